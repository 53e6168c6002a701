#include "tests/libs/vbmp3/Mp3Fixtures.h"

#include <lame.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace vbmp3test {

namespace {

void PutLe(Bytes& b, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        b.push_back(uint8_t(v >> (8 * i)));
    }
}

uint32_t GetLe(const Bytes& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        v = v << 8 | b[at + size_t(i)];
    }
    return v;
}

}  // namespace

Pcm MakeTone(int rate, int channels, double seconds) {
    Pcm pcm;
    pcm.rate = rate;
    pcm.channels = channels;
    const size_t frames = size_t(seconds * rate);
    pcm.samples.resize(frames * size_t(channels));
    const double kPi = 3.14159265358979323846;
    for (size_t i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            const double freq = c == 0 ? 440.0 : 660.0;
            pcm.samples[i * size_t(channels) + size_t(c)] =
                int16_t(std::lround(16000.0 * std::sin(2 * kPi * freq * double(i) / rate)));
        }
    }
    return pcm;
}

Bytes EncodeMp3(const Pcm& pcm, int kbps, bool infoFrame) {
    lame_t gf = lame_init();
    if (!gf) {
        throw std::runtime_error("lame_init");
    }
    bool ok = lame_set_in_samplerate(gf, pcm.rate) == 0 &&
              lame_set_out_samplerate(gf, pcm.rate) == 0 &&
              lame_set_num_channels(gf, pcm.channels) == 0 && lame_set_brate(gf, kbps) == 0 &&
              lame_set_mode(gf, pcm.channels == 1 ? MONO : JOINT_STEREO) == 0 &&
              lame_set_bWriteVbrTag(gf, infoFrame ? 1 : 0) == 0 && lame_init_params(gf) == 0;
    Bytes out;
    std::vector<unsigned char> chunk(1 << 16);
    const size_t frames = pcm.Frames();
    constexpr size_t kStep = 1152;
    for (size_t at = 0; ok && at < frames; at += kStep) {
        const int n = int(std::min(kStep, frames - at));
        const short* p = pcm.samples.data() + at * size_t(pcm.channels);
        int got = pcm.channels == 2
                      ? lame_encode_buffer_interleaved(gf, const_cast<short*>(p), n, chunk.data(),
                                                       int(chunk.size()))
                      : lame_encode_buffer(gf, p, nullptr, n, chunk.data(), int(chunk.size()));
        ok = got >= 0;
        out.insert(out.end(), chunk.begin(), chunk.begin() + std::max(got, 0));
    }
    int got = ok ? lame_encode_flush(gf, chunk.data(), int(chunk.size())) : -1;
    ok = got >= 0;
    out.insert(out.end(), chunk.begin(), chunk.begin() + std::max(got, 0));
    if (ok && infoFrame) {
        size_t tag = lame_get_lametag_frame(gf, chunk.data(), chunk.size());
        ok = tag > 0 && tag <= out.size();
        if (ok) {
            std::memcpy(out.data(), chunk.data(), tag);
        }
    }
    lame_close(gf);
    if (!ok) {
        throw std::runtime_error("libmp3lame failed");
    }
    return out;
}

Bytes EncodeWithLameCli(const Pcm& pcm, const std::string& options,
                        const std::filesystem::path& scratch) {
    const auto in = scratch / "lame-in.wav";
    const auto out = scratch / "lame-out.mp3";
    WriteFile(in, WavBytes(pcm));
    const std::string cmd =
        "lame --quiet " + options + " '" + in.string() + "' '" + out.string() + "'";
    if (std::system(cmd.c_str()) != 0) {
        return {};
    }
    Bytes mp3 = ReadFile(out);
    std::filesystem::remove(in);
    std::filesystem::remove(out);
    return mp3;
}

Bytes Id3v2Tag() {
    // ID3v2.3 with one TIT2 frame and padding; sizes are synchsafe.
    Bytes frame = {'T', 'I', 'T', '2', 0, 0, 0, 6, 0, 0, 0, 'T', 'i', 't', 'l', 'e'};
    const uint32_t size = uint32_t(frame.size()) + 256;
    Bytes tag = {'I', 'D', '3', 3, 0, 0};
    for (int shift = 21; shift >= 0; shift -= 7) {
        tag.push_back(uint8_t((size >> shift) & 0x7F));
    }
    tag.insert(tag.end(), frame.begin(), frame.end());
    tag.resize(tag.size() + 256, 0);
    return tag;
}

Bytes Id3v1Tag() {
    Bytes tag(128, 0);
    std::memcpy(tag.data(), "TAGSong", 7);
    tag[127] = 12;
    return tag;
}

Bytes ApeTag() {
    // One binary item whose value is a run of MPEG-1 layer III frame headers.
    Bytes item;
    Bytes value;
    for (int i = 0; i < 64; ++i) {
        value.insert(value.end(), {0xFF, 0xFB, 0x90, 0x64});
    }
    PutLe(item, uint32_t(value.size()), 4);
    PutLe(item, 1u << 1, 4);  // binary item
    for (char c : std::string("Cover Art (Front)")) {
        item.push_back(uint8_t(c));
    }
    item.push_back(0);
    item.insert(item.end(), value.begin(), value.end());
    auto block = [&](bool header) {
        Bytes b = {'A', 'P', 'E', 'T', 'A', 'G', 'E', 'X'};
        PutLe(b, 2000, 4);
        PutLe(b, uint32_t(item.size() + 32), 4);  // items and footer
        PutLe(b, 1, 4);
        PutLe(b, 0x80000000u | (header ? 0x20000000u : 0u), 4);
        b.resize(b.size() + 8, 0);
        return b;
    };
    Bytes tag = block(true);
    tag.insert(tag.end(), item.begin(), item.end());
    Bytes footer = block(false);
    tag.insert(tag.end(), footer.begin(), footer.end());
    return tag;
}

Bytes WavBytes(const Pcm& pcm) {
    Bytes b = {'R', 'I', 'F', 'F'};
    const uint32_t data = uint32_t(pcm.samples.size() * 2);
    PutLe(b, data + 36, 4);
    for (char c : std::string("WAVEfmt ")) {
        b.push_back(uint8_t(c));
    }
    PutLe(b, 16, 4);
    PutLe(b, 1, 2);
    PutLe(b, uint32_t(pcm.channels), 2);
    PutLe(b, uint32_t(pcm.rate), 4);
    PutLe(b, uint32_t(pcm.rate * pcm.channels * 2), 4);
    PutLe(b, uint32_t(pcm.channels * 2), 2);
    PutLe(b, 16, 2);
    for (char c : std::string("data")) {
        b.push_back(uint8_t(c));
    }
    PutLe(b, data, 4);
    for (int16_t s : pcm.samples) {
        PutLe(b, uint16_t(s), 2);
    }
    return b;
}

void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

Bytes ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Wav ReadWav(const std::filesystem::path& path) {
    Wav wav;
    const Bytes b = ReadFile(path);
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 ||
        std::memcmp(b.data() + 8, "WAVE", 4) != 0 || GetLe(b, 4, 4) != b.size() - 8) {
        return wav;
    }
    bool haveFormat = false;
    for (size_t at = 12; at + 8 <= b.size();) {
        const uint32_t size = GetLe(b, at + 4, 4);
        if (at + 8 + size > b.size()) {
            return wav;
        }
        if (std::memcmp(b.data() + at, "fmt ", 4) == 0 && size >= 16) {
            wav.formatTag = int(GetLe(b, at + 8, 2));
            wav.pcm.channels = int(GetLe(b, at + 10, 2));
            wav.pcm.rate = int(GetLe(b, at + 12, 4));
            wav.bits = int(GetLe(b, at + 22, 2));
            const uint32_t byteRate = GetLe(b, at + 16, 4);
            const uint32_t align = GetLe(b, at + 20, 2);
            haveFormat = align == uint32_t(wav.pcm.channels * 2) &&
                         byteRate == uint32_t(wav.pcm.rate) * align;
        } else if (std::memcmp(b.data() + at, "data", 4) == 0 && haveFormat &&
                   at + 8 + size == b.size()) {
            wav.pcm.samples.resize(size / 2);
            for (size_t i = 0; i < size / 2; ++i) {
                wav.pcm.samples[i] = int16_t(GetLe(b, at + 8 + 2 * i, 2));
            }
            wav.valid = true;
            return wav;
        }
        at += 8 + size + (size & 1);
    }
    return wav;
}

double Correlation(const Pcm& a, const Pcm& b) {
    const size_t n = std::min(a.Frames(), b.Frames());
    double ab = 0, aa = 0, bb = 0;
    for (size_t i = 0; i < n; ++i) {
        const double x = a.samples[i * size_t(a.channels)];
        const double y = b.samples[i * size_t(b.channels)];
        ab += x * y;
        aa += x * x;
        bb += y * y;
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0.0;
}

BatchRun RunBatch(const std::filesystem::path& mp3, const std::filesystem::path& wav) {
    BatchRun run;
    DecoderCloseInput();
    if (!DecoderOpenInput(mp3.c_str(), &run.info)) {
        return run;
    }
    const DecoderOptionBlock options{0, 0, 44100};
    DecoderSetOptions(&options);
    DecoderCloseInput();
    run.opened = DecoderOpenInput(mp3.c_str(), &run.info) != 0;
    if (!run.opened) {
        return run;
    }
    run.begun = DecoderBeginWavOutput(wav.c_str()) != 0;
    if (!run.begun) {
        return run;
    }
    int32_t position = 0;
    bool more = true;
    // A bound well above any fixture's need, so a decoder that spins fails the test
    // instead of hanging it.
    for (int guard = 0; more && guard < 1000000; ++guard) {
        more = DecoderPoll(&position) != 0;
        run.positions.push_back(position);
        if (run.info.TotalLength > 0) {
            run.lastPercent = position * 100 / run.info.TotalLength;
        }
    }
    run.result = DecoderLastResult();
    return run;
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vbmp3-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        throw std::runtime_error("mkdtemp");
    }
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::vector<std::string> TempDir::Entries() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path_)) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace vbmp3test
