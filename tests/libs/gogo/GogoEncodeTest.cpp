// Real encodes through libgogo, checked by walking the frames and decoding with libmpg123.
#include <gtest/gtest.h>

#include <cstring>

#include "GogoTestSupport.h"
#include "Mp3Probe.h"
#include "WavBuilder.h"

namespace gogotest {
namespace {

class GogoEncode : public ScratchDir {};

TEST_F(GogoEncode, StereoSineAt128JointIsGaplessAndSameSound) {
    const uint32_t frames = 44100 * 3 + 123;
    auto src = Sine(frames, 2, 44100);
    WriteFile(Path("in.wav"), BuildWav({}, src));
    EncodeRun run = RunEncode(Path("in.wav"), Path("out.mp3"));
    ASSERT_EQ(run.detect, GOGO_OK);
    EXPECT_EQ(run.last, GOGO_END);
    EXPECT_EQ(run.calls, run.allFrames);

    FrameScan scan = ScanFrames(run.output.data(), run.output.size());
    ASSERT_TRUE(scan.wellFormed);
    EXPECT_TRUE(scan.infoFrame);
    EXPECT_EQ(scan.audioFrames, run.allFrames);
    EXPECT_EQ(scan.bitRates, std::set<int>{128});
    EXPECT_EQ(scan.modeBits, 1);  // joint stereo
    EXPECT_EQ(scan.mpegVersion, 1);

    Decoded d = Decode(run.output.data(), run.output.size());
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.rate, 44100);
    EXPECT_EQ(d.channels, 2);
    EXPECT_EQ(d.Frames(), frames);
    EXPECT_GT(Correlation(src, 2, d, 0, 0), 0.98);
    EXPECT_GT(Correlation(src, 2, d, 1, 0), 0.98);
}

// Frame count contract over lengths around the frame boundaries, for 1152- and 576-sample
// frames: frames in the file (info frame excluded) = AllFrames = calls.
TEST_F(GogoEncode, AllFramesIsExactAroundFrameBoundaries) {
    struct Case {
        uint32_t rate;
        int kbps;
    };
    for (Case c : {Case{44100, 128}, Case{22050, 64}, Case{8000, 32}}) {
        for (uint32_t n : {0u, 1u, 575u, 576u, 577u, 1151u, 1152u, 1153u, 2304u, 5000u}) {
            SCOPED_TRACE("rate " + std::to_string(c.rate) + " n " + std::to_string(n));
            WavSpec desc;
            desc.sampleRate = c.rate;
            WriteFile(Path("in.wav"), BuildWav(desc, Sine(n, 2, c.rate)));
            EncodeRun run = RunEncode(Path("in.wav"), Path("out.mp3"),
                                      [&] { MPGE_setConfigure(MC_BITRATE, c.kbps, 0); });
            ASSERT_EQ(run.detect, GOGO_OK);
            EXPECT_EQ(run.last, GOGO_END);
            EXPECT_EQ(run.calls, run.allFrames);
            FrameScan scan = ScanFrames(run.output.data(), run.output.size());
            ASSERT_TRUE(scan.wellFormed);
            EXPECT_EQ(scan.audioFrames, run.allFrames);
            EXPECT_EQ(scan.sampleRate, static_cast<int>(c.rate));
            Decoded d = Decode(run.output.data(), run.output.size());
            if (n > 0) {
                EXPECT_EQ(d.Frames(), n);
            }
        }
    }
}

// Rates that are not MPEG rates go through LAME's resampler: the count and the length
// still match (lengths chosen away from a frame boundary).
TEST_F(GogoEncode, ResampledInputsKeepTheirLength) {
    struct Case {
        uint32_t rate;
        uint32_t n;
        int outRate;
    };
    for (Case c : {Case{96000, 0, 48000}, Case{96000, 123457, 48000}, Case{88200, 96000, 48000},
                   Case{37800, 1000, 32000}}) {
        SCOPED_TRACE(std::to_string(c.rate) + " Hz, " + std::to_string(c.n));
        WavSpec desc;
        desc.sampleRate = c.rate;
        WriteFile(Path("in.wav"), BuildWav(desc, Sine(c.n, 2, c.rate)));
        EncodeRun run = RunEncode(Path("in.wav"), Path("out.mp3"));
        ASSERT_EQ(run.last, GOGO_END);
        EXPECT_EQ(run.calls, run.allFrames);
        FrameScan scan = ScanFrames(run.output.data(), run.output.size());
        EXPECT_EQ(scan.sampleRate, c.outRate);
        EXPECT_EQ(scan.audioFrames, run.allFrames);
        double expected = static_cast<double>(c.n) * c.outRate / c.rate;
        if (c.n > 0) {
            EXPECT_NEAR(static_cast<double>(Decode(run.output.data(), run.output.size()).Frames()),
                        expected, 1.0);
        }
    }
}

struct FormatCase {
    const char* name;
    WavSpec desc;
    int kbps;
    int mpegVersion;
};

class GogoFormats : public ScratchDir, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(GogoFormats, EncodesFaithfully) {
    const FormatCase& c = GetParam();
    const uint32_t frames = c.desc.sampleRate * 2;
    auto src = Sine(frames, c.desc.channels, c.desc.sampleRate, 440.0);
    WriteFile(Path("in.wav"), BuildWav(c.desc, src));
    EncodeRun run = RunEncode(Path("in.wav"), Path("out.mp3"),
                              [&] { MPGE_setConfigure(MC_BITRATE, c.kbps, 0); });
    ASSERT_EQ(run.detect, GOGO_OK);
    ASSERT_EQ(run.last, GOGO_END);
    FrameScan scan = ScanFrames(run.output.data(), run.output.size());
    ASSERT_TRUE(scan.wellFormed);
    EXPECT_EQ(scan.audioFrames, run.allFrames);
    EXPECT_EQ(scan.mpegVersion, c.mpegVersion);
    EXPECT_EQ(scan.bitRates, std::set<int>{c.kbps});
    EXPECT_EQ(scan.modeBits == 3, c.desc.channels == 1);
    Decoded d = Decode(run.output.data(), run.output.size());
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.rate, static_cast<long>(c.desc.sampleRate));
    EXPECT_EQ(d.channels, c.desc.channels);
    EXPECT_EQ(d.Frames(), frames);
    // A sine at the wrong pitch, a swapped or a garbled channel all fail this.
    for (int ch = 0; ch < c.desc.channels; ++ch) {
        EXPECT_GT(Correlation(src, c.desc.channels, d, ch, 0), 0.97) << "channel " << ch;
    }
}

WavSpec MakeWavSpec(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
                    uint16_t sub = 1) {
    WavSpec s;
    s.formatTag = tag;
    s.channels = channels;
    s.sampleRate = rate;
    s.bits = bits;
    s.subFormat = sub;
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, GogoFormats,
    ::testing::Values(FormatCase{"mono48k16", MakeWavSpec(1, 1, 48000, 16), 96, 1},
                      FormatCase{"stereo8bit", MakeWavSpec(1, 2, 44100, 8), 128, 1},
                      FormatCase{"mono8bit", MakeWavSpec(1, 1, 32000, 8), 64, 1},
                      FormatCase{"stereo24bit", MakeWavSpec(1, 2, 44100, 24), 192, 1},
                      FormatCase{"stereo32bit", MakeWavSpec(1, 2, 48000, 32), 160, 1},
                      FormatCase{"stereoFloat", MakeWavSpec(3, 2, 44100, 32), 128, 1},
                      FormatCase{"extensible24", MakeWavSpec(0xFFFE, 2, 44100, 24, 1), 128, 1},
                      FormatCase{"extensibleFloatMono", MakeWavSpec(0xFFFE, 1, 22050, 32, 3), 64,
                                 2},
                      FormatCase{"mono11k", MakeWavSpec(1, 1, 11025, 16), 32, 25}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GogoEncode, ChannelModesReachTheHeader) {
    WriteFile(Path("in.wav"), BuildWav({}, Sine(44100, 2, 44100)));
    struct Mode {
        int code;
        int headerBits;
    };
    // 0 mono, 1 stereo, 2 joint, 3 MS stereo (joint with mid/side forced), 4 dual channel.
    for (Mode m : {Mode{0, 3}, Mode{1, 0}, Mode{2, 1}, Mode{3, 1}, Mode{4, 2}}) {
        SCOPED_TRACE(m.code);
        EncodeRun run = RunEncode(Path("in.wav"), Path("out.mp3"),
                                  [&] { MPGE_setConfigure(MC_ENCODEMODE, m.code, 0); });
        ASSERT_EQ(run.last, GOGO_END);
        FrameScan scan = ScanFrames(run.output.data(), run.output.size());
        EXPECT_EQ(scan.modeBits, m.headerBits);
        Decoded d = Decode(run.output.data(), run.output.size());
        EXPECT_EQ(d.channels, m.code == 0 ? 1 : 2);
    }
}

TEST_F(GogoEncode, EmphasisAndVbrSettingsTakeEffect) {
    auto src = Sine(44100 * 2, 2, 44100, 440.0);
    WriteFile(Path("in.wav"), BuildWav({}, src));
    EncodeRun run = RunEncode(Path("in.wav"), Path("out.mp3"), [] {
        MPGE_setConfigure(MC_VBR, 2, 0);
        MPGE_setConfigure(MC_VBRBITRATE, 32, 256);
        MPGE_setConfigure(MC_EMPHASIS, 3, 0);
    });
    ASSERT_EQ(run.last, GOGO_END);
    FrameScan scan = ScanFrames(run.output.data(), run.output.size());
    ASSERT_TRUE(scan.wellFormed);
    EXPECT_EQ(scan.audioFrames, run.allFrames);
    EXPECT_GT(scan.bitRates.size(), 1u);  // VBR
    EXPECT_GE(*scan.bitRates.begin(), 32);
    EXPECT_LE(*scan.bitRates.rbegin(), 256);
    EXPECT_EQ(scan.emphasis, 3);
    Decoded d = Decode(run.output.data(), run.output.size());
    EXPECT_EQ(d.Frames(), src.size() / 2);
    EXPECT_GT(Correlation(src, 2, d, 0, 0), 0.97);
}

TEST_F(GogoEncode, Id3BlockLeadsTheMp3File) {
    std::vector<uint8_t> id3 = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 20};
    id3.resize(30, 0);
    std::memcpy(id3.data() + 10, "TIT2\0\0\0\x05\0\0\0ABCD", 15);
    WriteFile(Path("in.wav"), BuildWav({}, Sine(20000, 2, 44100)));
    EncodeRun run = RunEncode(Path("in.wav"), Path("out.mp3"), [&] {
        MPGE_setConfigure(MC_OUTSTREAM, 0, 0);
        MPGE_setConfigure(MC_ADDTAG, static_cast<intptr_t>(id3.size()),
                          reinterpret_cast<intptr_t>(id3.data()));
        id3[20] = 'X';  // the library keeps its own copy
    });
    ASSERT_EQ(run.last, GOGO_END);
    id3[20] = 0;
    ASSERT_GT(run.output.size(), id3.size());
    EXPECT_TRUE(std::equal(id3.begin(), id3.end(), run.output.begin()));
    FrameScan scan = ScanFrames(run.output.data() + id3.size(), run.output.size() - id3.size());
    EXPECT_TRUE(scan.wellFormed);
    EXPECT_TRUE(scan.infoFrame);
    EXPECT_EQ(scan.audioFrames, run.allFrames);
    EXPECT_EQ(Decode(run.output.data(), run.output.size()).Frames(), 20000u);
}

TEST_F(GogoEncode, RiffOutputsCarryTheStreamAndTheTags) {
    const uint32_t frames = 30000;
    WriteFile(Path("in.wav"), BuildWav({}, Sine(frames, 2, 44100)));
    auto tag1 = Chunk("LIST", {'I', 'N', 'F', 'O', 'I', 'N', 'A', 'M', 3, 0, 0, 0, 'a', 'b', 0, 0});
    auto tag2 = Chunk("DISP", {1, 0, 0, 0, 'x'});
    for (int format : {1, 2}) {
        SCOPED_TRACE(format);
        EncodeRun run = RunEncode(Path("in.wav"), Path("out.rmp"), [&] {
            MPGE_setConfigure(MC_OUTSTREAM, format, 0);
            for (const auto* t : {&tag1, &tag2}) {
                MPGE_setConfigure(MC_RIFFTAG, static_cast<intptr_t>(t->size()),
                                  reinterpret_cast<intptr_t>(t->data()));
            }
        });
        ASSERT_EQ(run.last, GOGO_END);
        std::string form;
        auto chunks = RiffChunks(run.output, &form);
        ASSERT_FALSE(chunks.empty());
        std::vector<std::string> ids;
        for (const auto& c : chunks) ids.push_back(c.id);
        const RiffChunk* data = nullptr;
        for (const auto& c : chunks) {
            if (c.id == "data") data = &c;
        }
        ASSERT_NE(data, nullptr);
        if (format == 1) {
            EXPECT_EQ(form, "WAVE");
            EXPECT_EQ(ids, (std::vector<std::string>{"fmt ", "fact", "data", "LIST", "DISP"}));
            const uint8_t* fmt = run.output.data() + chunks[0].offset;
            EXPECT_EQ(fmt[0] | fmt[1] << 8, 0x55);
            EXPECT_EQ(fmt[2], 2);
            EXPECT_EQ(fmt[4] | fmt[5] << 8 | fmt[6] << 16, 44100);
            const uint8_t* fact = run.output.data() + chunks[1].offset;
            EXPECT_EQ(static_cast<uint32_t>(fact[0] | fact[1] << 8 | fact[2] << 16), frames);
        } else {
            EXPECT_EQ(form, "RMP3");
            EXPECT_EQ(ids, (std::vector<std::string>{"data", "LIST", "DISP"}));
        }
        // The tags are there byte for byte, in the order given.
        EXPECT_TRUE(
            std::equal(tag1.begin(), tag1.end(),
                       run.output.begin() + static_cast<long>(chunks[ids.size() - 2].offset) - 8));
        FrameScan scan = ScanFrames(run.output.data() + data->offset, data->size);
        EXPECT_TRUE(scan.wellFormed);
        EXPECT_TRUE(scan.infoFrame);
        EXPECT_EQ(scan.audioFrames, run.allFrames);
        EXPECT_EQ(Decode(run.output.data() + data->offset, data->size).Frames(), frames);
    }
}

// Memory input: the callback serves a PCM block, zero-pads the last short read and then
// reports the end with a zero-filled buffer, as the component's ring does.
std::vector<uint8_t> g_pcm;
size_t g_pcmPos = 0;
int g_calls = 0;
MPGE_STATUS g_reentry = -1;
int32_t ServePcm(void* buffer, int32_t size) {
    // A callback that calls back into the library is turned away instead of deadlocking
    // or closing the encode under its own feet.
    if (++g_calls == 3) g_reentry = MPGE_closeCoder();
    auto* out = static_cast<uint8_t*>(buffer);
    size_t n = std::min(static_cast<size_t>(size), g_pcm.size() - g_pcmPos);
    std::memcpy(out, g_pcm.data() + g_pcmPos, n);
    std::memset(out + n, 0, static_cast<size_t>(size) - n);
    g_pcmPos += n;
    return n > 0 ? 0 : 1;
}

TEST_F(GogoEncode, MemoryInputThroughTheCallback) {
    const uint32_t frames = 44100 + 500;
    auto src = Sine(frames, 2, 44100, 440.0);
    auto wav = BuildWav({}, src);
    for (int32_t total : {-1, static_cast<int32_t>(frames * 4)}) {
        SCOPED_TRACE(total);
        g_pcm.assign(wav.begin() + 44, wav.end());
        g_pcmPos = 0;
        g_calls = 0;
        g_reentry = -1;
        MPGE_MEMORY_INPUT rec{ServePcm, total, 16, 44100, 2};
        EncodeRun run = RunEncode("", Path("out.mp3"), [&] {
            MPGE_setConfigure(MC_INPUTFILE, MC_INPDEV_MEMORY, reinterpret_cast<intptr_t>(&rec));
            MPGE_setConfigure(MC_OUTPUTFILE, 0,
                              reinterpret_cast<intptr_t>(Path("out.mp3").c_str()));
            MPGE_setConfigure(MC_BITRATE, 128, 0);
        });
        ASSERT_EQ(run.detect, GOGO_OK);
        ASSERT_EQ(run.last, GOGO_END);
        EXPECT_EQ(g_reentry, GOGO_ERR_BUSY);
        FrameScan scan = ScanFrames(run.output.data(), run.output.size());
        ASSERT_TRUE(scan.wellFormed);
        Decoded d = Decode(run.output.data(), run.output.size());
        EXPECT_GT(Correlation(src, 2, d, 0, 0), 0.97);
        if (total < 0) {
            EXPECT_EQ(run.allFrames, -1);
            // The zero padding of the last read becomes part of the stream.
            EXPECT_EQ(d.Frames(), (frames + 1151) / 1152 * 1152);
        } else {
            EXPECT_EQ(scan.audioFrames, run.allFrames);
            EXPECT_EQ(run.calls, run.allFrames);
            EXPECT_EQ(d.Frames(), frames);
        }
    }
}

}  // namespace
}  // namespace gogotest
