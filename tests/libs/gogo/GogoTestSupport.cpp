#include "GogoTestSupport.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "WavBuilder.h"

namespace gogotest {

void ScratchDir::SetUp() {
    char templ[] = "/tmp/gogo_test_XXXXXX";
    ASSERT_NE(mkdtemp(templ), nullptr);
    dir_ = templ;
}

void ScratchDir::TearDown() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

std::vector<std::string> ScratchDir::Entries() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir_)) {
        names.push_back(e.path().filename().string());
    }
    return names;
}

namespace {

void DefaultSetup(const std::string& input, const std::string& output) {
    MPGE_setConfigure(MC_INPUTFILE, MC_INPDEV_FILE, reinterpret_cast<intptr_t>(input.c_str()));
    MPGE_setConfigure(MC_OUTPUTFILE, 0, reinterpret_cast<intptr_t>(output.c_str()));
    MPGE_setConfigure(MC_USEPSY, 0, 0);
    MPGE_setConfigure(MC_BITRATE, 128, 0);
    MPGE_setConfigure(MC_USELPF16, 0, 0);
    for (int code = MC_USEMMX; code <= MC_USEE3DNOW; ++code) MPGE_setConfigure(code, 1, 0);
    MPGE_setConfigure(MC_USESPC1, 0, 0);
    MPGE_setConfigure(MC_USESPC2, 0, 0);
    MPGE_setConfigure(MC_EMPHASIS, 0, 0);
    MPGE_setConfigure(MC_ENCODEMODE, 2, 0);
    MPGE_setConfigure(MC_CPU, 1, 0);
}

}  // namespace

EncodeRun RunEncode(const std::string& input, const std::string& output,
                    const std::function<void()>& extra) {
    EncodeRun run;
    EXPECT_EQ(MPGE_initializeWork(), GOGO_OK);
    if (!input.empty()) DefaultSetup(input, output);
    if (extra) extra();
    run.detect = MPGE_detectConfigure();
    if (run.detect == GOGO_OK) {
        EXPECT_EQ(MPGE_getConfigure(MC_GETFRAMES, &run.allFrames), GOGO_OK);
        for (;;) {
            MPGE_STATUS r = MPGE_processFrame();
            ++run.calls;
            if (r != 0) {
                run.last = r;
                break;
            }
            if (run.calls > 10'000'000) break;
        }
    }
    MPGE_closeCoder();
    MPGE_endCoder();
    run.output = ReadFile(output);
    return run;
}

MPGE_STATUS DetectOnly(const std::string& input, const std::string& output,
                       const std::function<void()>& extra) {
    EXPECT_EQ(MPGE_initializeWork(), GOGO_OK);
    DefaultSetup(input, output);
    if (extra) extra();
    MPGE_STATUS st = MPGE_detectConfigure();
    MPGE_closeCoder();
    MPGE_endCoder();
    return st;
}

size_t SkipId3v2(const std::vector<uint8_t>& b) {
    if (b.size() < 10 || b[0] != 'I' || b[1] != 'D' || b[2] != '3') return 0;
    return 10 +
           ((b[6] & 0x7Fu) << 21 | (b[7] & 0x7Fu) << 14 | (b[8] & 0x7Fu) << 7 | (b[9] & 0x7Fu));
}

std::vector<RiffChunk> RiffChunks(const std::vector<uint8_t>& b, std::string* formType) {
    std::vector<RiffChunk> chunks;
    auto le32 = [&](size_t p) {
        return static_cast<uint32_t>(b[p] | b[p + 1] << 8 | b[p + 2] << 16 |
                                     static_cast<uint32_t>(b[p + 3]) << 24);
    };
    if (b.size() < 12 || std::string(b.begin(), b.begin() + 4) != "RIFF") return {};
    if (le32(4) != b.size() - 8) return {};
    *formType = std::string(b.begin() + 8, b.begin() + 12);
    size_t pos = 12;
    while (pos < b.size()) {
        if (pos + 8 > b.size()) return {};
        RiffChunk c{
            std::string(b.begin() + static_cast<long>(pos), b.begin() + static_cast<long>(pos) + 4),
            pos + 8, le32(pos + 4)};
        if (c.offset + c.size > b.size()) return {};
        chunks.push_back(c);
        pos = c.offset + c.size + (c.size & 1u);
    }
    return chunks;
}

}  // namespace gogotest
