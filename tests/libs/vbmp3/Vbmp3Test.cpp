// Tests of libvbmp3 through its C interface, in the order the program calls it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>

#include <cstddef>
#include <cstring>
#include <filesystem>
#include <random>

#include "libs/vbmp3/vbmp3.h"
#include "tests/libs/vbmp3/Mp3Fixtures.h"

namespace vbmp3test {
namespace {

namespace fs = std::filesystem;

static_assert(sizeof(Mp3StreamInfo) == 272);
static_assert(offsetof(Mp3StreamInfo, TotalLength) == 268);
static_assert(offsetof(Mp3StreamInfo, reserved) + sizeof(Mp3StreamInfo::reserved) == 268);
static_assert(sizeof(DecoderOptionBlock) == 12);
static_assert(offsetof(DecoderOptionBlock, channels) == 0);
static_assert(offsetof(DecoderOptionBlock, flags) == 4);
static_assert(offsetof(DecoderOptionBlock, sampleRate) == 8);

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) {
        all.insert(all.end(), p.begin(), p.end());
    }
    return all;
}

class Vbmp3Test : public ::testing::Test {
  protected:
    void SetUp() override { DecoderStartup(); }
    void TearDown() override { DecoderStartup(); }

    fs::path WriteMp3(const std::string& name, const Bytes& bytes) {
        const fs::path path = dir_ / name;
        WriteFile(path, bytes);
        return path;
    }

    TempDir dir_;
};

// --- Streams that must decode -------------------------------------------------------

struct StreamCase {
    const char* name;
    int rate;
    int channels;
    double seconds;
    int kbps;
    int mpegVersion;
    bool tagged;      // ID3v2 in front, APE and ID3v1 behind
    bool freeFormat;  // made by the lame command with --freeformat
};

void PrintTo(const StreamCase& c, std::ostream* os) {
    *os << c.name;
}

class DecodeStream : public Vbmp3Test, public ::testing::WithParamInterface<StreamCase> {};

TEST_P(DecodeStream, WritesTheSourcePcmAtItsOwnRateAndChannels) {
    const StreamCase& c = GetParam();
    const Pcm source = MakeTone(c.rate, c.channels, c.seconds);
    Bytes mp3 = c.freeFormat ? EncodeWithLameCli(
                                   source, "--freeformat -b " + std::to_string(c.kbps), dir_.Path())
                             : EncodeMp3(source, c.kbps);
    ASSERT_FALSE(mp3.empty());
    if (c.tagged) {
        mp3 = Concat({Id3v2Tag(), mp3, ApeTag(), Id3v1Tag()});
    }
    const fs::path in = WriteMp3("in.mp3", mp3);
    const fs::path out = dir_ / "out.wav";

    const BatchRun run = RunBatch(in, out);
    ASSERT_TRUE(run.opened);
    ASSERT_TRUE(run.begun);
    EXPECT_EQ(run.result, VBMP3_RESULT_COMPLETE);

    EXPECT_EQ(run.info.sampleRate, c.rate);
    EXPECT_EQ(run.info.channels, c.channels);
    EXPECT_EQ(run.info.mpegVersion, c.mpegVersion);
    EXPECT_EQ(run.info.layer, 3);
    EXPECT_EQ(run.info.outputSampleRate, c.rate);  // {0, 0, 44100} keeps the source's rate
    EXPECT_EQ(run.info.outputChannels, c.channels);
    EXPECT_EQ(run.info.fileBytes, int64_t(mp3.size()));
    const int64_t trailing = c.tagged ? int64_t(ApeTag().size() + Id3v1Tag().size()) : 0;
    EXPECT_EQ(run.info.audioEndBytes, int64_t(mp3.size()) - trailing);
    EXPECT_EQ(run.info.lengthUnitBytes, 1);
    EXPECT_EQ(run.info.TotalLength, run.info.audioEndBytes);

    // Progress: never backwards, ends exactly at TotalLength, i.e. 100 %.
    ASSERT_FALSE(run.positions.empty());
    EXPECT_TRUE(std::is_sorted(run.positions.begin(), run.positions.end()));
    EXPECT_EQ(run.positions.back(), run.info.TotalLength);
    EXPECT_EQ(run.lastPercent, 100);

    const Wav wav = ReadWav(out);
    ASSERT_TRUE(wav.valid);
    EXPECT_EQ(wav.formatTag, 1);
    EXPECT_EQ(wav.bits, 16);
    EXPECT_EQ(wav.pcm.rate, c.rate);
    EXPECT_EQ(wav.pcm.channels, c.channels);
    // The LAME info frame makes the decode gapless: the exact input length.
    EXPECT_EQ(wav.pcm.Frames(), source.Frames());
    EXPECT_GT(Correlation(wav.pcm, source), 0.95);
    EXPECT_EQ(dir_.Entries(), (std::vector<std::string>{"in.mp3", "out.wav"}));
}

INSTANTIATE_TEST_SUITE_P(
    Streams, DecodeStream,
    ::testing::Values(StreamCase{"Stereo44k128", 44100, 2, 5.0, 128, 10, false, false},
                      StreamCase{"Mono48k", 48000, 1, 2.0, 64, 10, false, false},
                      StreamCase{"Mpeg2At22k", 22050, 2, 2.0, 64, 20, false, false},
                      StreamCase{"Mpeg25At8kMono", 8000, 1, 2.0, 32, 25, false, false},
                      StreamCase{"Id3v2ApeId3v1", 44100, 2, 2.0, 128, 10, true, false},
                      StreamCase{"FreeFormat", 44100, 2, 2.0, 256, 10, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Vbmp3Test, LongFileIsDecodedOverManyPollsWithRisingProgress) {
    const Pcm source = MakeTone(44100, 2, 30.0);
    const fs::path in = WriteMp3("long.mp3", EncodeMp3(source, 128));
    const BatchRun run = RunBatch(in, dir_ / "long.wav");
    ASSERT_EQ(run.result, VBMP3_RESULT_COMPLETE);
    // 1149 frames: each poll does a bounded, real share of the work.
    EXPECT_GE(run.positions.size(), 8u);
    EXPECT_LE(run.positions.size(), 1149u / 16);
    int between = 0;
    for (size_t i = 0; i + 1 < run.positions.size(); ++i) {
        EXPECT_LT(run.positions[i], run.positions[i + 1]);
        between += run.positions[i] > 0 && run.positions[i] < run.info.TotalLength;
    }
    EXPECT_GE(between, 4);
}

TEST_F(Vbmp3Test, FileAbove21MBKeepsProgressWithin32Bits) {
    // position * 100 must not overflow a signed 32-bit integer: above 21474836 bytes the
    // unit grows to a power of two of bytes. 32 kHz mono at 320 kbit/s keeps the decode
    // short.
    const Bytes second = EncodeMp3(MakeTone(32000, 1, 1.0), 320, false);
    Bytes mp3;
    while (mp3.size() <= 22u * 1000 * 1000) {
        mp3.insert(mp3.end(), second.begin(), second.end());
    }
    const BatchRun run = RunBatch(WriteMp3("big.mp3", mp3), dir_ / "big.wav");
    ASSERT_EQ(run.result, VBMP3_RESULT_COMPLETE);
    EXPECT_EQ(run.info.lengthUnitBytes, 2);
    EXPECT_EQ(run.info.TotalLength, int32_t(mp3.size() / 2));
    EXPECT_LE(int64_t(run.info.TotalLength) * 100, INT32_MAX);
    EXPECT_EQ(run.positions.back(), run.info.TotalLength);
    EXPECT_EQ(run.lastPercent, 100);
    EXPECT_TRUE(std::is_sorted(run.positions.begin(), run.positions.end()));
}

TEST_F(Vbmp3Test, OptionsChangeChannelsAndRateOnlyWhenAskedFor) {
    const Pcm source = MakeTone(48000, 2, 2.0);
    const fs::path in = WriteMp3("in.mp3", EncodeMp3(source, 128));
    struct {
        DecoderOptionBlock options;
        int rate;
        int channels;
    } cases[] = {
        {{0, 0, 44100}, 48000, 2},                      // the program's block: as the source
        {{1, 0, 22050}, 48000, 1},                      // mono; rate ignored without the flag
        {{0, VBMP3_OPTION_RESAMPLE, 24000}, 24000, 2},  // resampled
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rate);
        ASSERT_EQ(DecoderSetOptions(&c.options), 1);
        Mp3StreamInfo info{};
        ASSERT_EQ(DecoderOpenInput(in.c_str(), &info), 1);
        EXPECT_EQ(info.outputSampleRate, c.rate);
        EXPECT_EQ(info.outputChannels, c.channels);
        const fs::path out = dir_ / "out.wav";
        ASSERT_EQ(DecoderBeginWavOutput(out.c_str()), 1);
        while (DecoderPoll(nullptr)) {
        }
        ASSERT_EQ(DecoderLastResult(), VBMP3_RESULT_COMPLETE);
        const Wav wav = ReadWav(out);
        ASSERT_TRUE(wav.valid);
        EXPECT_EQ(wav.pcm.rate, c.rate);
        EXPECT_EQ(wav.pcm.channels, c.channels);
        const double seconds = double(wav.pcm.Frames()) / c.rate;
        EXPECT_NEAR(seconds, 2.0, 0.05);
    }
}

TEST_F(Vbmp3Test, InvalidOptionsAreRefusedAndTheOldOnesStay) {
    const DecoderOptionBlock mono{1, 0, 0};
    ASSERT_EQ(DecoderSetOptions(&mono), 1);
    const DecoderOptionBlock bad[] = {{3, 0, 44100},
                                      {-1, 0, 44100},
                                      {0, 2, 44100},
                                      {0, VBMP3_OPTION_RESAMPLE, 0},
                                      {0, VBMP3_OPTION_RESAMPLE, 96000}};
    for (const auto& b : bad) {
        EXPECT_EQ(DecoderSetOptions(&b), 0);
    }
    EXPECT_EQ(DecoderSetOptions(nullptr), 0);
    const fs::path in = WriteMp3("in.mp3", EncodeMp3(MakeTone(44100, 2, 0.5), 128));
    Mp3StreamInfo info{};
    ASSERT_EQ(DecoderOpenInput(in.c_str(), &info), 1);
    EXPECT_EQ(info.outputChannels, 1);
    // DecoderStartup restores the defaults.
    DecoderStartup();
    ASSERT_EQ(DecoderOpenInput(in.c_str(), &info), 1);
    EXPECT_EQ(info.outputChannels, 2);
}

// --- Inputs that must be refused ----------------------------------------------------

TEST_F(Vbmp3Test, RefusesWhatIsNotMpegAudio) {
    std::mt19937 random(1234);
    Bytes noise(200000);
    for (auto& b : noise) {
        b = uint8_t(random());
    }
    const Pcm tone = MakeTone(44100, 2, 2.0);
    const Bytes mp3 = EncodeMp3(tone, 128);
    fs::create_directory(dir_ / "folder.mp3");
    const struct {
        const char* name;
        fs::path path;
    } cases[] = {
        {"wav renamed", WriteMp3("wav.mp3", WavBytes(tone))},
        {"id3 only", WriteMp3("tags.mp3", Concat({Id3v2Tag(), Id3v1Tag()}))},
        {"random bytes", WriteMp3("random.mp3", noise)},
        {"zero length", WriteMp3("empty.mp3", {})},
        {"id3 and half a frame",
         WriteMp3("half.mp3", Concat({Id3v2Tag(), Bytes(mp3.begin(), mp3.begin() + 200)}))},
        {"missing", dir_ / "missing.mp3"},
        {"folder", dir_ / "folder.mp3"},
        {"empty path", fs::path()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Mp3StreamInfo info;
        std::memset(&info, 0xAB, sizeof info);
        EXPECT_EQ(DecoderOpenInput(c.path.c_str(), &info), 0);
        EXPECT_EQ(info.TotalLength, 0);
        EXPECT_EQ(info.sampleRate, 0);
        // Nothing is open afterwards.
        EXPECT_EQ(DecoderBeginWavOutput((dir_ / "out.wav").c_str()), 0);
        int32_t position = -1;
        EXPECT_EQ(DecoderPoll(&position), 0);
    }
    EXPECT_EQ(DecoderOpenInput(nullptr, nullptr), 0);
    EXPECT_FALSE(fs::exists(dir_ / "out.wav"));
}

// --- Broken streams -----------------------------------------------------------------

TEST_F(Vbmp3Test, TruncatedStreamIsACompleteDecodeOfWhatIsThere) {
    const Pcm source = MakeTone(44100, 2, 4.0);
    Bytes mp3 = EncodeMp3(source, 128);
    mp3.resize(mp3.size() * 6 / 10 + 123);  // cut inside a frame
    const BatchRun run = RunBatch(WriteMp3("cut.mp3", mp3), dir_ / "cut.wav");
    ASSERT_EQ(run.result, VBMP3_RESULT_COMPLETE);
    EXPECT_EQ(run.lastPercent, 100);
    const Wav wav = ReadWav(dir_ / "cut.wav");
    ASSERT_TRUE(wav.valid);
    EXPECT_NEAR(double(wav.pcm.Frames()), source.Frames() * 0.6, 2 * 1152);
    EXPECT_GT(Correlation(wav.pcm, source), 0.95);
}

TEST_F(Vbmp3Test, StreamThatBreaksMidwayLeavesNoFile) {
    // Far more garbage between two runs of frames than the decoder resynchronises over.
    const Bytes mp3 = EncodeMp3(MakeTone(44100, 2, 4.0), 128);
    std::mt19937 random(99);
    Bytes junk(100000);
    for (auto& b : junk) {
        b = uint8_t(random());
    }
    const size_t half = mp3.size() / 2;
    const Bytes broken = Concat(
        {Bytes(mp3.begin(), mp3.begin() + half), junk, Bytes(mp3.begin() + half, mp3.end())});
    const BatchRun run = RunBatch(WriteMp3("broken.mp3", broken), dir_ / "broken.wav");
    ASSERT_TRUE(run.begun);
    EXPECT_EQ(run.result, VBMP3_RESULT_DECODE_ERROR);
    EXPECT_LT(run.lastPercent, 100);
    EXPECT_EQ(dir_.Entries(), std::vector<std::string>{"broken.mp3"});
}

// --- Output ------------------------------------------------------------------------

TEST_F(Vbmp3Test, OutputAppearsOnlyWhenComplete) {
    const fs::path in = WriteMp3("in.mp3", EncodeMp3(MakeTone(44100, 2, 10.0), 128));
    const fs::path out = dir_ / "out.wav";
    ASSERT_EQ(DecoderOpenInput(in.c_str(), nullptr), 1);
    ASSERT_EQ(DecoderBeginWavOutput(out.c_str()), 1);
    EXPECT_EQ(DecoderBeginWavOutput(out.c_str()), 0);  // one output at a time
    ASSERT_EQ(DecoderPoll(nullptr), 1);
    // While decoding, only the temporary exists, beside the destination.
    std::vector<std::string> entries = dir_.Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].rfind(".out.wav.", 0), 0u) << entries[0];
    EXPECT_EQ(entries[0].size(), std::string(".out.wav.XXXXXX.part").size());
    EXPECT_EQ(entries[0].substr(entries[0].size() - 5), ".part");
    EXPECT_EQ(DecoderLastResult(), VBMP3_RESULT_NONE);

    // Closing in the middle discards it.
    EXPECT_EQ(DecoderCloseInput(), 1);
    EXPECT_EQ(DecoderLastResult(), VBMP3_RESULT_ABORTED);
    EXPECT_EQ(dir_.Entries(), std::vector<std::string>{"in.mp3"});
    EXPECT_EQ(DecoderCloseInput(), 1);  // nothing open: harmless
    EXPECT_EQ(DecoderPoll(nullptr), 0);

    // A second output of the same open input decodes it again, identically.
    ASSERT_EQ(DecoderOpenInput(in.c_str(), nullptr), 1);
    for (const char* name : {"a.wav", "b.wav"}) {
        ASSERT_EQ(DecoderBeginWavOutput((dir_ / name).c_str()), 1);
        while (DecoderPoll(nullptr)) {
        }
        ASSERT_EQ(DecoderLastResult(), VBMP3_RESULT_COMPLETE);
    }
    EXPECT_EQ(ReadFile(dir_ / "a.wav"), ReadFile(dir_ / "b.wav"));

    // A name as long as the file system allows still gets its temporary.
    const std::string longName = std::string(251, 'n') + ".wav";
    ASSERT_EQ(DecoderBeginWavOutput((dir_ / longName).c_str()), 1);
    while (DecoderPoll(nullptr)) {
    }
    EXPECT_EQ(DecoderLastResult(), VBMP3_RESULT_COMPLETE);
    EXPECT_EQ(ReadFile(dir_ / longName), ReadFile(dir_ / "a.wav"));
}

TEST_F(Vbmp3Test, UnusableDestinationIsReportedAndLeavesNothing) {
    const fs::path in = WriteMp3("in.mp3", EncodeMp3(MakeTone(44100, 2, 1.0), 128));
    // Begin fails where no file can be created.
    for (const fs::path& out : {dir_ / "no-such-folder" / "out.wav", in / "out.wav"}) {
        ASSERT_EQ(DecoderOpenInput(in.c_str(), nullptr), 1);
        EXPECT_EQ(DecoderBeginWavOutput(out.c_str()), 0);
        EXPECT_EQ(DecoderPoll(nullptr), 0);
    }
    // A folder in the destination's place cannot be replaced: the decode fails at the end.
    fs::create_directory(dir_ / "taken.wav");
    const BatchRun run = RunBatch(in, dir_ / "taken.wav");
    ASSERT_TRUE(run.begun);
    EXPECT_EQ(run.result, VBMP3_RESULT_WRITE_ERROR);
    EXPECT_TRUE(fs::is_directory(dir_ / "taken.wav"));
    EXPECT_EQ(dir_.Entries(), (std::vector<std::string>{"in.mp3", "taken.wav"}));
}

// Writing stops with an error after limitBytes, as on a full disk: RLIMIT_FSIZE makes
// write() fail with EFBIG past the limit (SIGXFSZ is ignored for the duration).
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t limitBytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = limitBytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, oldHandler_);
    }

  private:
    rlimit saved_{};
    sighandler_t oldHandler_;
};

TEST_F(Vbmp3Test, WriteFailureMidwayLeavesNoFile) {
    const fs::path in = WriteMp3("in.mp3", EncodeMp3(MakeTone(44100, 2, 10.0), 128));
    {
        FileSizeLimit limit(600 * 1024);  // the WAV needs 1.7 MiB
        const BatchRun run = RunBatch(in, dir_ / "out.wav");
        ASSERT_TRUE(run.begun);
        EXPECT_EQ(run.result, VBMP3_RESULT_WRITE_ERROR);
    }
    EXPECT_EQ(dir_.Entries(), std::vector<std::string>{"in.mp3"});
}

TEST_F(Vbmp3Test, FullFileSystemLeavesNoFile) {
    const fs::path mount = dir_ / "small";
    fs::create_directory(mount);
    if (::mount("tmpfs", mount.c_str(), "tmpfs", 0, "size=512k") != 0) {
        GTEST_SKIP() << "cannot mount a tmpfs here";
    }
    const fs::path in = WriteMp3("in.mp3", EncodeMp3(MakeTone(44100, 2, 10.0), 128));
    const BatchRun run = RunBatch(in, mount / "out.wav");
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(mount)) {
        left.push_back(e.path().filename().string());
    }
    ::umount(mount.c_str());
    ASSERT_TRUE(run.begun);
    EXPECT_EQ(run.result, VBMP3_RESULT_WRITE_ERROR);
    EXPECT_TRUE(left.empty());
}

}  // namespace
}  // namespace vbmp3test
