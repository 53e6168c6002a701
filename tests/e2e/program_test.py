#!/usr/bin/env python3
"""The built program end to end: real encoder and decoder libraries, generated files,
the console front-end (no display), standard input from /dev/null or a pseudo-terminal.

Usage: program_test.py --binary build/bin/tovanek [unittest arguments]
Needs sox and lame; tmpfs mounts (for the full and read-only destinations) need root.
"""

import array
import math
import os
import random
import pty
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
import wave

BINARY = None


def run_program(args, ini, stdin=subprocess.DEVNULL, timeout=120):
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    env.pop("TOVANEK_RENDERER", None)
    env["TOVANEK_INI"] = ini
    return subprocess.run([BINARY] + list(args), stdin=stdin, capture_output=True,
                          env=env, timeout=timeout, text=True, errors="replace")


def sox(*args):
    subprocess.run(["sox", *args], check=True, capture_output=True)


def read_wav(path):
    """(rate, channels, frames, mono samples as floats in -1..1) of a 16-bit PCM file."""
    with wave.open(path, "rb") as w:
        rate, channels, width, frames = (w.getframerate(), w.getnchannels(),
                                         w.getsampwidth(), w.getnframes())
        data = w.readframes(frames)
    assert width == 2, "16-bit PCM expected"
    samples = array.array("h")
    samples.frombytes(data)
    mono = [sum(samples[i:i + channels]) / (channels * 32768.0)
            for i in range(0, len(samples), channels)]
    return rate, channels, frames, mono


def similarity(a, b, max_lag=3000):
    """Best normalised correlation of b against a over lags up to max_lag samples,
    found coarse (every 8th sample) then fine."""
    def corr(lag, step, start, length):
        sa = sb = saa = sbb = sab = 0.0
        n = 0
        for i in range(start, start + length, step):
            j = i + lag
            if j < 0 or j >= len(b) or i >= len(a):
                continue
            x, y = a[i], b[j]
            sab += x * y
            saa += x * x
            sbb += y * y
            n += 1
        if n == 0 or saa == 0 or sbb == 0:
            return 0.0
        return sab / math.sqrt(saa * sbb)

    start = min(len(a) // 4, 10000)
    length = min(len(a) - start, 20000)
    best = max(range(-max_lag, max_lag + 1, 8), key=lambda l: corr(l, 8, start, length))
    best = max(range(best - 8, best + 9), key=lambda l: corr(l, 2, start, length))
    return corr(best, 1, start, length)


def write(path, data):
    with open(path, "wb" if isinstance(data, bytes) else "w") as f:
        f.write(data)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def leftovers(folder):
    return [n for n in os.listdir(folder) if n.endswith(".part")]


class Folder(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="tovanek-e2e-")
        self.ini = os.path.join(self.dir, "main.ini")
        self.settings()
        self.mounts = []

    def tearDown(self):
        for m in reversed(self.mounts):
            subprocess.run(["umount", m], capture_output=True)
        shutil.rmtree(self.dir, ignore_errors=True)

    def settings(self, **values):
        body = {"ONAJI": "1", "SLEEP": "0", "WAIT": "0", "MOTODEL": "0"}
        body.update({k: str(v) for k, v in values.items()})
        with open(self.ini, "w") as f:
            f.write("[MAIN]\n" + "".join(f"{k}={v}\n" for k, v in body.items()))

    def p(self, *names):
        return os.path.join(self.dir, *names)

    def tmpfs(self, name, options):
        path = self.p(name)
        os.makedirs(path, exist_ok=True)
        r = subprocess.run(["mount", "-t", "tmpfs", "-o", options, "tmpfs", path],
                           capture_output=True)
        if r.returncode != 0:
            self.skipTest("cannot mount a tmpfs here")
        self.mounts.append(path)
        return path

    def assertRanCleanly(self, result):
        self.assertGreaterEqual(result.returncode, 0, "killed by a signal:\n" + result.stderr)
        self.assertEqual(result.returncode, 0, result.stderr)


class RoundTrip(Folder):
    # name, sox synthesis arguments, rate, channels, output options, least similarity
    SOURCES = [
        ("sine.wav", ["synth", "2", "sine", "440", "sine", "660"], 44100, 2, ["-b", "16"], 0.98),
        ("noise.wav", ["synth", "2", "pinknoise", "gain", "-6"], 44100, 2, ["-b", "16"], 0.9),
        ("silence.wav", ["trim", "0", "2"], 44100, 2, ["-b", "16"], None),
        ("mono48.wav", ["synth", "2", "sine", "1000"], 48000, 1, ["-b", "16"], 0.95),
        ("eight.wav", ["synth", "2", "sine", "300"], 44100, 2, ["-b", "8", "-e", "unsigned"], 0.9),
        ("deep.wav", ["synth", "2", "sine", "500"], 44100, 2, ["-b", "24"], 0.95),
        ("float.wav", ["synth", "2", "sine", "700"], 44100, 2, ["-b", "32", "-e", "float"], 0.95),
    ]

    def make_sources(self):
        os.makedirs(self.p("src"))
        for name, synth, rate, channels, fmt, _ in self.SOURCES:
            out = self.p("src", name)
            sox("-n", "-r", str(rate), "-c", str(channels), *fmt, out, *synth)
            # The 16-bit reference the decoded file is compared with.
            sox(out, "-b", "16", "-e", "signed-integer", self.p("src", name + ".ref.wav"))

    def check_decoded(self, decoded, reference, rate, channels, least):
        d_rate, d_channels, d_frames, d = read_wav(decoded)
        r_rate, _, r_frames, r = read_wav(reference)
        self.assertEqual(d_rate, rate)
        self.assertEqual(d_channels, channels)
        # The encoder's delay and padding may remain: within 0.1 s of the source.
        self.assertLess(abs(d_frames - r_frames), rate // 10, (d_frames, r_frames))
        if least is None:
            self.assertLess(max(abs(x) for x in d), 0.01, "silence stays silent")
        else:
            score = similarity(r, d)
            if os.environ.get("TOVANEK_E2E_VERBOSE"):
                print(f"{os.path.basename(decoded)}: similarity {score:.3f}", file=sys.stderr)
            self.assertGreater(score, least)

    def test_our_mp3s_decode_back_to_their_sources(self):
        self.make_sources()
        wavs = [self.p("src", s[0]) for s in self.SOURCES]
        result = run_program(wavs, self.ini)
        self.assertRanCleanly(result)
        self.assertNotIn("[", result.stderr, "no dialog: " + result.stderr)
        os.makedirs(self.p("mp3"))
        for name, *_ in self.SOURCES:
            mp3 = self.p("src", name[:-4] + ".mp3")
            self.assertTrue(os.path.getsize(mp3) > 1000, mp3)
            shutil.move(mp3, self.p("mp3", name[:-4] + ".mp3"))
        mp3s = [self.p("mp3", s[0][:-4] + ".mp3") for s in self.SOURCES]
        result = run_program(mp3s, self.ini)
        self.assertRanCleanly(result)
        for name, _, rate, channels, _, least in self.SOURCES:
            with self.subTest(name):
                self.check_decoded(self.p("mp3", name), self.p("src", name + ".ref.wav"),
                                   rate, channels, least)
        self.assertEqual(leftovers(self.p("mp3")), [])

    def test_lame_mp3s_decode(self):
        self.make_sources()
        os.makedirs(self.p("mp3"))
        chosen = [s for s in self.SOURCES if s[0] in ("sine.wav", "mono48.wav", "noise.wav")]
        for name, *_ in chosen:
            subprocess.run(["lame", "--quiet", "-b", "128", self.p("src", name + ".ref.wav"),
                            self.p("mp3", name[:-4] + ".mp3")], check=True)
        result = run_program([self.p("mp3", s[0][:-4] + ".mp3") for s in chosen], self.ini)
        self.assertRanCleanly(result)
        for name, _, rate, channels, _, least in chosen:
            with self.subTest(name):
                self.check_decoded(self.p("mp3", name), self.p("src", name + ".ref.wav"),
                                   rate, channels, least)

    def test_deletion_after_both_conversions(self):
        sox("-n", "-r", "44100", "-c", "2", "-b", "16", self.p("a.wav"), "synth", "1", "sine", "440")
        self.settings(MOTODEL=1)
        self.assertRanCleanly(run_program([self.p("a.wav")], self.ini))
        self.assertFalse(os.path.exists(self.p("a.wav")))
        self.assertRanCleanly(run_program([self.p("a.mp3")], self.ini))
        self.assertFalse(os.path.exists(self.p("a.mp3")))
        self.assertEqual(read_wav(self.p("a.wav"))[:2], (44100, 2))


class BadInputs(Folder):
    """A clear message naming the file, no crash, no source deleted, no partial output,
    and the batch stopping (the unattended answer to "go on?" is No)."""

    def good_wav(self, name="good.wav", seconds=1):
        sox("-n", "-r", "44100", "-c", "2", "-b", "16", self.p(name), "synth", str(seconds),
            "sine", "440")
        return self.p(name)

    def test_wav_inputs(self):
        self.settings(MOTODEL=1)
        good = self.good_wav("ref.wav")

        def truncated(p):
            with open(good, "rb") as f:
                data = f.read(30)
            write(p, data)

        cases = [
            ("missing.wav", lambda p: None, "ファイルを開けません"),
            ("empty.wav", lambda p: write(p, b""), "ファイルが空です"),
            ("text.wav", lambda p: write(p, "just some words, no audio\n" * 10),
             "WAV ファイルではありません"),
            ("cut.wav", truncated, "途中で切れています"),
            ("folder.wav", os.mkdir, "ファイルではありません"),
        ]
        for name, make, reason in cases:
            with self.subTest(name):
                bad = self.p(name)
                make(bad)
                later = self.good_wav()
                result = run_program([bad, later], self.ini)
                self.assertRanCleanly(result)
                self.assertIn(bad + ": ", result.stderr)
                self.assertIn(reason, result.stderr)
                self.assertIn("はい(Y)/いいえ(N): いいえ（標準入力が端末ではないため自動で回答）", result.stderr)
                self.assertFalse(os.path.exists(bad[:-4] + ".mp3"))
                self.assertFalse(os.path.exists(self.p("good.mp3")), "the batch stopped")
                self.assertEqual(os.path.exists(bad), name != "missing.wav")
                self.assertEqual(leftovers(self.dir), [])

    def test_mp3_inputs(self):
        self.settings(MOTODEL=1)
        id3 = b"ID3\x04\x00\x00\x00\x00\x00\x0aTIT2\x00\x00\x00\x01\x00\x00\x00\x00"
        cases = [
            ("missing.mp3", lambda p: None),
            ("noise.mp3", lambda p: write(p, os.urandom(20000))),
            ("tag.mp3", lambda p: write(p, id3)),
            ("empty.mp3", lambda p: write(p, b"")),
            ("folder.mp3", os.mkdir),
        ]
        for name, make in cases:
            with self.subTest(name):
                bad = self.p(name)
                make(bad)
                result = run_program([bad], self.ini)
                self.assertRanCleanly(result)
                self.assertIn("[ErrorMessage] " + bad + " File Open Error!!", result.stderr)
                self.assertFalse(os.path.exists(bad[:-4] + ".wav"))
                self.assertEqual(os.path.exists(bad), name != "missing.mp3")
                self.assertEqual(leftovers(self.dir), [])

    def test_mp3_damaged_in_the_middle_is_kept(self):
        self.settings(MOTODEL=1)
        wav = self.good_wav("ref.wav", seconds=5)
        mp3 = self.p("garbled.mp3")
        subprocess.run(["lame", "--quiet", "-b", "128", wav, mp3], check=True)
        data = bytearray(read(mp3))
        third = len(data) // 3
        data[third:third + 20000] = random.Random(7).randbytes(20000)
        write(mp3, bytes(data))
        result = run_program([mp3], self.ini)
        self.assertRanCleanly(result)
        self.assertIn("[ErrorMessage] " + mp3 + ": MP3 ファイルを最後まで読めません", result.stderr)
        self.assertTrue(os.path.exists(mp3), "a failed decode never deletes its MP3")
        self.assertFalse(os.path.exists(self.p("garbled.wav")))
        self.assertEqual(leftovers(self.dir), [])

    def test_read_only_destination(self):
        ro = self.tmpfs("ro", "size=4m")
        shutil.copy(self.good_wav(), os.path.join(ro, "a.wav"))
        subprocess.run(["lame", "--quiet", "-b", "128", self.p("good.wav"), os.path.join(ro, "b.mp3")],
                       check=True)
        subprocess.run(["mount", "-o", "remount,ro", ro], check=True)
        result = run_program([os.path.join(ro, "a.wav"), os.path.join(ro, "b.mp3")], self.ini)
        self.assertRanCleanly(result)
        self.assertIn(os.path.join(ro, "a.wav") + ": 保存先のフォルダがないか、書き込めません", result.stderr)
        # The WAV batch stopped at No; the MP3 batch still runs and cannot begin its output.
        self.assertIn("[ErrorMessage] " + os.path.join(ro, "b.mp3") + " Decode Error!!", result.stderr)
        self.assertEqual(sorted(os.listdir(ro)), ["a.wav", "b.mp3"])

    def test_full_destination(self):
        full = self.tmpfs("full", "size=200k")
        self.settings(ONAJI=0, SAVEDIR=full, MOTODEL=1)
        wav = self.good_wav("long.wav", seconds=30)  # about 480 KB of MP3
        result = run_program([wav], self.ini)
        self.assertRanCleanly(result)
        self.assertIn(wav + ": MP3 ファイルを書き込めません", result.stderr)
        self.assertTrue(os.path.exists(wav))
        self.assertEqual(os.listdir(full), [])

        mp3 = self.p("long.mp3")
        subprocess.run(["lame", "--quiet", "-b", "128", wav, mp3], check=True)
        result = run_program([mp3], self.ini)
        self.assertRanCleanly(result)
        self.assertIn(mp3 + ": WAV ファイルを書き込めません", result.stderr)
        self.assertTrue(os.path.exists(mp3))
        self.assertEqual(os.listdir(full), [])


class Console(Folder):
    def wavs(self, *names, seconds=1):
        for n in names:
            sox("-n", "-r", "44100", "-c", "2", "-b", "16", self.p(n), "synth", str(seconds),
                "sine", "440")
        return [self.p(n) for n in names]

    def test_plain_output_one_line_per_file(self):
        result = run_program(self.wavs("a.wav", "b.wav"), self.ini)
        self.assertRanCleanly(result)
        self.assertEqual(result.stdout, "1 / 2  a.wav\n2 / 2  b.wav\n")

    def test_closed_input_keeps_existing_files(self):
        files = self.wavs("a.wav")
        write(self.p("a.mp3"), b"old")
        result = run_program(files, self.ini)
        self.assertRanCleanly(result)
        self.assertIn("[確認] " + self.p("a.mp3") + " はすでに存在します。上書きしますか？\n"
                      "はい(Y)/いいえ(N)/キャンセル(C): いいえ（標準入力が端末ではないため自動で回答）", result.stderr)
        self.assertEqual(read(self.p("a.mp3")), b"old")

    def test_settings_window_without_display(self):
        start = time.monotonic()
        result = run_program([], self.ini, timeout=20)
        self.assertRanCleanly(result)
        self.assertLess(time.monotonic() - start, 10)
        lines = result.stderr.strip().splitlines()
        self.assertEqual(len(lines), 1, result.stderr)
        self.assertIn("グラフィカルな画面", lines[0])
        self.assertIn(self.ini, lines[0])

    def run_in_terminal(self, args, typed=b"", interrupt_after=None, timeout=60):
        """Runs the program on a pseudo-terminal, typing `typed` whenever it asks.
        Returns (exit status, everything it wrote)."""
        env = dict(os.environ)
        env.pop("DISPLAY", None)
        env.pop("WAYLAND_DISPLAY", None)
        env["TOVANEK_INI"] = self.ini
        pid, fd = pty.fork()
        if pid == 0:
            os.execve(BINARY, [BINARY] + args, env)
        out = b""
        answers = typed.split(b"\n")[:-1] if typed else []
        start = time.monotonic()
        interrupted = False
        while True:
            if interrupt_after and not interrupted and out.count(b"\r") >= interrupt_after:
                os.kill(pid, signal.SIGINT)
                interrupted = True
            ready, _, _ = select.select([fd], [], [], 0.2)
            if ready:
                try:
                    chunk = os.read(fd, 4096)
                except OSError:
                    break
                if not chunk:
                    break
                out += chunk
                if answers and out.rstrip().endswith(b":"):
                    os.write(fd, answers.pop(0) + b"\n")
            if time.monotonic() - start > timeout:
                os.kill(pid, signal.SIGKILL)
                self.fail("no end: " + out.decode(errors="replace"))
        _, status = os.waitpid(pid, 0)
        return status, out.decode(errors="replace")

    def test_terminal_redraws_in_place_and_takes_typed_answers(self):
        files = self.wavs("a.wav", "b.wav")
        write(self.p("b.mp3"), b"old")
        status, out = self.run_in_terminal(files, typed=b"maybe\ny\n")
        self.assertEqual(status, 0, out)
        self.assertIn("\r1 / 2  a.wav  [####################] 100%", out)
        self.assertIn("\r2 / 2  b.wav  [####################] 100%", out)
        self.assertEqual(out.count("はい(Y)/いいえ(N)/キャンセル(C): "), 2, out)  # "maybe" is asked again
        self.assertNotEqual(read(self.p("b.mp3")), b"old")

    def test_terminal_cancel(self):
        files = self.wavs("a.wav", "b.wav")
        write(self.p("a.mp3"), b"old")
        status, out = self.run_in_terminal(files, typed=b"c\n")
        self.assertEqual(status, 0, out)
        self.assertEqual(read(self.p("a.mp3")), b"old")
        self.assertFalse(os.path.exists(self.p("b.mp3")))

    def test_interrupt_stops_after_the_current_file(self):
        files = self.wavs("a.wav", "b.wav", "c.wav", seconds=20)
        status, out = self.run_in_terminal(files, interrupt_after=3)
        self.assertEqual(status, 0, out)
        self.assertIn("中断", out)
        made = [os.path.exists(self.p(n)) for n in ("a.mp3", "b.mp3", "c.mp3")]
        self.assertEqual(made, [True, False, False], out)
        self.assertEqual(leftovers(self.dir), [])


if __name__ == "__main__":
    if "--binary" in sys.argv:
        i = sys.argv.index("--binary")
        BINARY = os.path.abspath(sys.argv[i + 1])
        del sys.argv[i:i + 2]
    else:
        BINARY = os.environ.get("TOVANEK_BIN", "")
    if not BINARY or not os.access(BINARY, os.X_OK):
        sys.exit("no program: pass --binary build/bin/tovanek")
    unittest.main()
