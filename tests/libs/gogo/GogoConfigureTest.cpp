// The set-up: what MPGE_detectConfigure refuses (each with its own status), the settings'
// checks, the order of calls and the version and unit queries.
#include <gtest/gtest.h>
#include <lame/lame.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <string>

#include "GogoTestSupport.h"
#include "Mp3Probe.h"
#include "WavBuilder.h"

namespace gogotest {
namespace {

class GogoConfigure : public ScratchDir {};

std::vector<uint8_t> SmallWav(const std::function<void(WavSpec&)>& tweak = {}) {
    WavSpec desc;
    if (tweak) tweak(desc);
    return BuildWav(desc, Sine(2000, 2, 44100));
}

void SetLe32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

TEST_F(GogoConfigure, RefusesBrokenAndUnsupportedInputsWithTheirOwnStatus) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        MPGE_STATUS expected;
    };
    auto withChunkBeforeData = [](std::vector<uint8_t> chunk) {
        return SmallWav([&](WavSpec& s) { s.chunksBeforeData = chunk; });
    };
    std::vector<uint8_t> wrapping = {'j', 'u', 'n', 'k', 0xF8, 0xFF, 0xFF, 0xFF};
    std::vector<uint8_t> pastEnd = {'j', 'u', 'n', 'k', 0x00, 0x10, 0x00, 0x00};
    std::vector<uint8_t> truncated = SmallWav();
    truncated.resize(40);  // inside the fmt chunk
    std::vector<uint8_t> noData = SmallWav();
    noData.resize(12 + 24);  // RIFF header and fmt only
    SetLe32(noData, 4, static_cast<uint32_t>(noData.size() - 8));
    std::vector<uint8_t> rifx = SmallWav();
    rifx[3] = 'X';
    std::vector<uint8_t> avi = SmallWav();
    std::memcpy(avi.data() + 8, "AVI ", 4);
    std::vector<uint8_t> badGuid = SmallWav([](WavSpec& s) { s.formatTag = 0xFFFE; });
    badGuid[12 + 8 + 24 + 5] ^= 0x40;  // a byte of the subformat GUID's tail

    std::vector<Case> cases = {
        {"compressed (ADPCM)", SmallWav([](WavSpec& s) { s.formatTag = 2; }), GOGO_ERR_FORMAT_TAG},
        {"MPEG payload", SmallWav([](WavSpec& s) { s.formatTag = 0x55; }), GOGO_ERR_FORMAT_TAG},
        {"unknown subformat", badGuid, GOGO_ERR_FORMAT_TAG},
        {"0 channels", SmallWav([](WavSpec& s) {
             s.channels = 0;
             s.blockAlign = 4;
         }),
         GOGO_ERR_CHANNELS},
        {"3 channels", SmallWav([](WavSpec& s) { s.channels = 3; }), GOGO_ERR_CHANNELS},
        {"fmt of 14 bytes", SmallWav([](WavSpec& s) { s.fmtSize = 14; }), GOGO_ERR_FMT_TOO_SHORT},
        {"extensible fmt of 18 bytes", SmallWav([](WavSpec& s) {
             s.formatTag = 0xFFFE;
             s.fmtSize = 18;
         }),
         GOGO_ERR_FMT_TOO_SHORT},
        {"block align 0", SmallWav([](WavSpec& s) { s.blockAlign = 0; }), GOGO_ERR_BLOCK_ALIGN},
        {"block align 3", SmallWav([](WavSpec& s) { s.blockAlign = 3; }), GOGO_ERR_BLOCK_ALIGN},
        {"12-bit samples", SmallWav([](WavSpec& s) {
             s.bits = 12;
             s.blockAlign = 4;
         }),
         GOGO_ERR_BITS},
        {"64-bit float", SmallWav([](WavSpec& s) {
             s.formatTag = 3;
             s.bits = 64;
         }),
         GOGO_ERR_BITS},
        {"sample rate 0", SmallWav([](WavSpec& s) { s.sampleRate = 0; }), GOGO_ERR_SAMPLE_RATE},
        {"second fmt", SmallWav([](WavSpec& s) { s.secondFmt = true; }), GOGO_ERR_SECOND_FMT},
        {"data before fmt", SmallWav([](WavSpec& s) { s.dataBeforeFmt = true; }), GOGO_ERR_NO_FMT},
        {"chunk size that wraps", withChunkBeforeData(wrapping), GOGO_ERR_CHUNK_SIZE},
        {"chunk past the end", withChunkBeforeData(pastEnd), GOGO_ERR_TRUNCATED},
        {"truncated header", truncated, GOGO_ERR_TRUNCATED},
        {"RIFF header only", std::vector<uint8_t>(truncated.begin(), truncated.begin() + 12),
         GOGO_ERR_TRUNCATED},
        {"no data chunk", noData, GOGO_ERR_NO_DATA},
        {"RIFX", rifx, GOGO_ERR_NOT_RIFF},
        {"RIFF AVI", avi, GOGO_ERR_NOT_RIFF},
        {"text file", {'h', 'e', 'l', 'l', 'o', '\n'}, GOGO_ERR_NOT_RIFF},
        {"zero-length file", {}, GOGO_ERR_INPUT_EMPTY},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(Path("in.wav"), c.bytes);
        EXPECT_EQ(DetectOnly(Path("in.wav"), Path("out.mp3")), c.expected);
        // A refused set-up leaves nothing in the folder.
        EXPECT_EQ(Entries(), std::vector<std::string>{"in.wav"});
    }
}

TEST_F(GogoConfigure, RefusesMissingInputsAndUnusableDestinations) {
    WriteFile(Path("in.wav"), SmallWav());
    ASSERT_EQ(mkdir(Path("x.wav").c_str(), 0755), 0);
    ASSERT_EQ(mkdir(Path("out.mp3").c_str(), 0755), 0);
    EXPECT_EQ(DetectOnly(Path("missing.wav"), Path("o.mp3")), GOGO_ERR_INPUT_OPEN);
    EXPECT_EQ(DetectOnly(Path("x.wav"), Path("o.mp3")), GOGO_ERR_INPUT_NOT_FILE);
    EXPECT_EQ(DetectOnly("/dev/zero", Path("o.mp3")), GOGO_ERR_INPUT_NOT_FILE);
    EXPECT_EQ(DetectOnly(Path("in.wav"), Path("no/such/folder/o.mp3")), GOGO_ERR_OUTPUT_DIR);
    EXPECT_EQ(DetectOnly(Path("in.wav"), Path("in.wav/o.mp3")), GOGO_ERR_OUTPUT_DIR);
    EXPECT_EQ(DetectOnly(Path("in.wav"), "/proc/gogo_o.mp3"), GOGO_ERR_OUTPUT_DIR);
    EXPECT_EQ(DetectOnly(Path("in.wav"), Path("out.mp3")), GOGO_ERR_OUTPUT_IS_DIR);
    if (geteuid() != 0) {  // permissions do not stop root
        ASSERT_EQ(mkdir(Path("ro").c_str(), 0555), 0);
        EXPECT_EQ(DetectOnly(Path("in.wav"), Path("ro/o.mp3")), GOGO_ERR_OUTPUT_DIR);
    }
    EXPECT_EQ(RunEncode("", "", [] {}).detect, GOGO_ERR_NO_INPUT);
    EXPECT_EQ(RunEncode("", "",
                        [&] {
                            MPGE_setConfigure(MC_INPUTFILE, 0,
                                              reinterpret_cast<intptr_t>(Path("in.wav").c_str()));
                        })
                  .detect,
              GOGO_ERR_NO_OUTPUT);
}

TEST_F(GogoConfigure, BitRatesMustBelongToTheStreamsMpegVersion) {
    struct Case {
        uint32_t rate;
        int kbps;
        MPGE_STATUS expected;
    };
    const Case cases[] = {
        {44100, 100, GOGO_ERR_BITRATE}, {44100, 8, GOGO_ERR_BITRATE},
        {44100, 0, GOGO_ERR_BITRATE},   {44100, -1, GOGO_ERR_BITRATE},
        {44100, 144, GOGO_ERR_BITRATE}, {48000, 320, GOGO_OK},
        {32000, 32, GOGO_OK},           {22050, 192, GOGO_ERR_BITRATE},
        {22050, 144, GOGO_OK},          {24000, 8, GOGO_OK},
        {11025, 80, GOGO_ERR_BITRATE},  {8000, 64, GOGO_OK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.rate) + " Hz " + std::to_string(c.kbps) + " kbit/s");
        WavSpec desc;
        desc.sampleRate = c.rate;
        WriteFile(Path("in.wav"), BuildWav(desc, Sine(2000, 2, c.rate)));
        EXPECT_EQ(DetectOnly(Path("in.wav"), Path("o.mp3"),
                             [&] { MPGE_setConfigure(MC_BITRATE, c.kbps, 0); }),
                  c.expected);
    }
    WriteFile(Path("in.wav"), SmallWav());
    auto vbr = [&](int lo, int hi) {
        return DetectOnly(Path("in.wav"), Path("o.mp3"), [&] {
            MPGE_setConfigure(MC_VBR, 4, 0);
            MPGE_setConfigure(MC_VBRBITRATE, lo, hi);
        });
    };
    EXPECT_EQ(vbr(32, 320), GOGO_OK);
    EXPECT_EQ(vbr(32, 500), GOGO_ERR_VBR_RANGE);
    EXPECT_EQ(vbr(256, 128), GOGO_ERR_VBR_RANGE);
    // VBR does not use the CBR rate, so an odd one does not matter there.
    EXPECT_EQ(DetectOnly(Path("in.wav"), Path("o.mp3"),
                         [] {
                             MPGE_setConfigure(MC_BITRATE, 100, 0);
                             MPGE_setConfigure(MC_VBR, 4, 0);
                         }),
              GOGO_OK);
}

TEST_F(GogoConfigure, RefusedValuesAreReportedAgainByDetect) {
    WriteFile(Path("in.wav"), SmallWav());
    struct Case {
        int32_t code;
        intptr_t v1, v2;
        MPGE_STATUS expected;
    };
    static const uint8_t notChunks[] = {'a', 'b', 'c'};
    const Case cases[] = {
        {MC_ENCODEMODE, 5, 0, GOGO_ERR_BAD_VALUE},
        {MC_EMPHASIS, 2, 0, GOGO_ERR_BAD_VALUE},
        {MC_VBR, 10, 0, GOGO_ERR_BAD_VALUE},
        {MC_OUTSTREAM, 3, 0, GOGO_ERR_BAD_VALUE},
        {MC_USEPSY, 2, 0, GOGO_ERR_BAD_VALUE},
        {MC_ENHANCEDFILTER, 70, 55, GOGO_ERR_BAD_VALUE},
        {MC_MSTHRESHOLD, 101, 0, GOGO_ERR_BAD_VALUE},
        {MC_ADDTAG, 0, reinterpret_cast<intptr_t>(notChunks), GOGO_ERR_BAD_VALUE},
        {MC_RIFFTAG, 3, 0, GOGO_ERR_BAD_VALUE},
        {MC_INPUTFILE, 1, 0, GOGO_ERR_BAD_VALUE},
        {MC_INPUTFILE, MC_INPDEV_MEMORY, 0, GOGO_ERR_BAD_VALUE},
        {99, 0, 0, GOGO_ERR_UNKNOWN_CODE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        MPGE_STATUS set = -1;
        EXPECT_EQ(DetectOnly(Path("in.wav"), Path("o.mp3"),
                             [&] { set = MPGE_setConfigure(c.code, c.v1, c.v2); }),
                  c.expected);
        EXPECT_EQ(set, c.expected);
    }
    // A RIFF tag that is not a chunk sequence only matters for RIFF output.
    auto badTag = [&](int format) {
        return DetectOnly(Path("in.wav"), Path("o.mp3"), [&] {
            MPGE_setConfigure(MC_OUTSTREAM, format, 0);
            MPGE_setConfigure(MC_RIFFTAG, 3, reinterpret_cast<intptr_t>(notChunks));
        });
    };
    EXPECT_EQ(badTag(2), GOGO_ERR_TAG);
    EXPECT_EQ(badTag(0), GOGO_OK);
    // The memory record is checked as it is handed over.
    MPGE_MEMORY_INPUT rec{nullptr, -1, 16, 44100, 2};
    EXPECT_EQ(RunEncode("", Path("o.mp3"),
                        [&] {
                            MPGE_setConfigure(MC_INPUTFILE, MC_INPDEV_MEMORY,
                                              reinterpret_cast<intptr_t>(&rec));
                        })
                  .detect,
              GOGO_ERR_BAD_VALUE);
}

TEST_F(GogoConfigure, OddButValidHeadersAreRead) {
    // An odd-sized unknown chunk with its pad byte, a LIST chunk, and data sizes of 0 and
    // past the end of the file: all read to the real end of the samples.
    const uint32_t frames = 5000;
    auto src = Sine(frames, 2, 44100);
    struct Case {
        const char* name;
        int64_t dataSize;
    };
    for (Case c : {Case{"exact", -1}, Case{"zero", 0}, Case{"past end", 1 << 30},
                   Case{"all ones", 0xFFFFFFFF}}) {
        SCOPED_TRACE(c.name);
        WavSpec desc;
        desc.dataSize = c.dataSize;
        desc.chunksBeforeData = Chunk("odd ", {1, 2, 3});
        auto list = Chunk("LIST", {'I', 'N', 'F', 'O'});
        desc.chunksBeforeData.insert(desc.chunksBeforeData.end(), list.begin(), list.end());
        WriteFile(Path("in.wav"), BuildWav(desc, src));
        EncodeRun run = RunEncode(Path("in.wav"), Path("o.mp3"));
        ASSERT_EQ(run.last, GOGO_END);
        EXPECT_EQ(Decode(run.output.data(), run.output.size()).Frames(), frames);
    }
}

TEST_F(GogoConfigure, CallsOutOfOrderAreRefusedAndClosingIsAlwaysSafe) {
    WriteFile(Path("in.wav"), SmallWav());
    MPGE_endCoder();
    EXPECT_EQ(MPGE_processFrame(), GOGO_ERR_NOT_READY);
    EXPECT_EQ(MPGE_setConfigure(MC_BITRATE, 128, 0), GOGO_ERR_NOT_READY);
    EXPECT_EQ(MPGE_detectConfigure(), GOGO_ERR_NOT_READY);
    EXPECT_EQ(MPGE_closeCoder(), GOGO_OK);
    EXPECT_EQ(MPGE_endCoder(), GOGO_OK);

    ASSERT_EQ(MPGE_initializeWork(), GOGO_OK);
    int32_t frames = 0;
    EXPECT_EQ(MPGE_getConfigure(MC_GETFRAMES, &frames), GOGO_ERR_NOT_READY);
    EXPECT_EQ(MPGE_processFrame(), GOGO_ERR_NOT_READY);
    std::string in = Path("in.wav"), out = Path("o.mp3");
    MPGE_setConfigure(MC_INPUTFILE, 0, reinterpret_cast<intptr_t>(in.c_str()));
    MPGE_setConfigure(MC_OUTPUTFILE, 0, reinterpret_cast<intptr_t>(out.c_str()));
    ASSERT_EQ(MPGE_detectConfigure(), GOGO_OK);
    EXPECT_EQ(MPGE_setConfigure(MC_BITRATE, 64, 0), GOGO_ERR_BUSY);
    EXPECT_EQ(MPGE_detectConfigure(), GOGO_ERR_BUSY);
    EXPECT_EQ(MPGE_getConfigure(MC_GETFRAMES, nullptr), GOGO_ERR_BAD_VALUE);
    EXPECT_EQ(MPGE_getConfigure(3, &frames), GOGO_ERR_UNKNOWN_CODE);
    EXPECT_EQ(MPGE_processFrame(), 0);
    EXPECT_EQ(MPGE_initializeWork(), GOGO_ERR_BUSY);  // frame steps are running
    MPGE_STATUS r;
    while ((r = MPGE_processFrame()) == 0) {
    }
    EXPECT_EQ(r, GOGO_END);
    EXPECT_EQ(MPGE_processFrame(), GOGO_END);  // the end is reported again, nothing more
    EXPECT_EQ(MPGE_closeCoder(), GOGO_OK);
    EXPECT_EQ(MPGE_closeCoder(), GOGO_OK);
    EXPECT_EQ(MPGE_endCoder(), GOGO_OK);
    EXPECT_EQ(MPGE_endCoder(), GOGO_OK);
    EXPECT_EQ(Entries().size(), 2u);  // in.wav and o.mp3, no temporary

    // After a failed set-up.
    ASSERT_EQ(MPGE_initializeWork(), GOGO_OK);
    EXPECT_NE(MPGE_detectConfigure(), GOGO_OK);
    EXPECT_EQ(MPGE_closeCoder(), GOGO_OK);
    EXPECT_EQ(MPGE_endCoder(), GOGO_OK);
    EXPECT_EQ(MPGE_closeCoder(), GOGO_OK);
}

TEST(GogoQueries, VersionPassesBothGatesAndNamesLame) {
    uint32_t code = 0;
    char text[512];
    std::memset(text, 'x', sizeof text);
    ASSERT_EQ(MPGE_getVersion(&code, text), GOGO_OK);
    EXPECT_GE(code & 0xFF00u, 0x200u);
    EXPECT_GE(code & 0xFFu, 0x30u);  // gate A, and so gate B (0x26)
    ASSERT_NE(std::memchr(text, 0, sizeof text), nullptr);
    std::string s(text);
    EXPECT_NE(s.find("libgogo"), std::string::npos);
    EXPECT_NE(s.find(get_lame_version()), std::string::npos);
    EXPECT_EQ(MPGE_getVersion(nullptr, text), GOGO_ERR_BAD_VALUE);
}

TEST(GogoQueries, UnitStatesFollowTheProcessor) {
    uint32_t units = 0;
    ASSERT_EQ(MPGE_getUnitStates(&units), GOGO_OK);
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line, flags;
    while (std::getline(cpuinfo, line)) {
        if (line.rfind("flags", 0) == 0) {
            flags = line + " ";
            break;
        }
    }
    if (flags.empty()) GTEST_SKIP() << "no /proc/cpuinfo flags";
    auto has = [&](const char* f) {
        return flags.find(std::string(" ") + f + " ") != std::string::npos;
    };
    EXPECT_EQ((units & GOGO_UNIT_MMX) != 0, has("mmx"));
    EXPECT_EQ((units & GOGO_UNIT_SSE) != 0, has("sse"));
    EXPECT_EQ((units & GOGO_UNIT_SSE2) != 0, has("sse2"));
    EXPECT_EQ((units & GOGO_UNIT_3DNOW) != 0, has("3dnow"));
    EXPECT_EQ((units & GOGO_UNIT_EXT3DNOW) != 0, has("3dnowext"));
}

}  // namespace
}  // namespace gogotest
