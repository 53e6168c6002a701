// Failures during the frame steps and early ends: nothing half-written may ever appear
// under the destination's name, and no temporary may stay behind.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "GogoTestSupport.h"
#include "WavBuilder.h"
#include "libs/gogo/GogoTestHooks.h"

namespace gogotest {
namespace {

class GogoFailure : public ScratchDir {
  protected:
    void TearDown() override {
        gogo_testFailWritesAfter(-1);
        ScratchDir::TearDown();
    }
    // Set up an encode of `seconds` of stereo sine from dir/in.wav to `out`.
    void Start(const std::string& out, int seconds = 5, int kbps = 128) {
        in_ = Path("in.wav");
        if (access(in_.c_str(), F_OK) != 0) {
            WriteFile(in_, BuildWav({}, Sine(44100u * static_cast<uint32_t>(seconds), 2, 44100)));
        }
        out_ = out;
        ASSERT_EQ(MPGE_initializeWork(), GOGO_OK);
        MPGE_setConfigure(MC_INPUTFILE, 0, reinterpret_cast<intptr_t>(in_.c_str()));
        MPGE_setConfigure(MC_OUTPUTFILE, 0, reinterpret_cast<intptr_t>(out_.c_str()));
        MPGE_setConfigure(MC_BITRATE, kbps, 0);
        ASSERT_EQ(MPGE_detectConfigure(), GOGO_OK);
        ASSERT_EQ(MPGE_getConfigure(MC_GETFRAMES, &allFrames_), GOGO_OK);
    }
    MPGE_STATUS RunToEnd(int* calls = nullptr) {
        MPGE_STATUS r;
        int n = 0;
        while ((r = MPGE_processFrame()) == 0) ++n;
        if (calls) *calls = n + 1;
        return r;
    }
    std::string in_, out_;
    int32_t allFrames_ = 0;
};

TEST_F(GogoFailure, DiskFullIsReportedAndLeavesNoFile) {
    struct Case {
        int seconds, kbps;
        int64_t limit;
        bool atTheEnd;
    };
    // While the frames stream out (the output is larger than the write buffer), and at the
    // very end (the last flush and the info frame's write-back).
    for (Case c : {Case{30, 320, 500000, false}, Case{5, 128, 79000, true}}) {
        SCOPED_TRACE(c.limit);
        unlink(Path("in.wav").c_str());
        gogo_testFailWritesAfter(c.limit);
        Start(Path("out.mp3"), c.seconds, c.kbps);
        int calls = 0;
        EXPECT_EQ(RunToEnd(&calls), GOGO_ERR_WRITE);
        EXPECT_EQ(calls == allFrames_, c.atTheEnd) << calls << " of " << allFrames_;
        EXPECT_EQ(MPGE_processFrame(), GOGO_ERR_WRITE);            // the failure stays
        EXPECT_EQ(Entries(), std::vector<std::string>{"in.wav"});  // removed at once
        MPGE_closeCoder();
        MPGE_endCoder();
        EXPECT_EQ(Entries(), std::vector<std::string>{"in.wav"});
    }
}

TEST_F(GogoFailure, RealFullFileSystem) {
    std::string mnt = Path("small");
    ASSERT_EQ(mkdir(mnt.c_str(), 0755), 0);
    if (mount("tmpfs", mnt.c_str(), "tmpfs", 0, "size=64k") != 0) {
        GTEST_SKIP() << "cannot mount a tmpfs here";
    }
    Start(mnt + "/out.mp3", 10);  // about 160 KB of MP3
    EXPECT_EQ(RunToEnd(), GOGO_ERR_WRITE);
    MPGE_closeCoder();
    MPGE_endCoder();
    struct stat st {};
    EXPECT_NE(stat((mnt + "/out.mp3").c_str(), &st), 0);
    bool empty = true;
    for (const auto& e : std::filesystem::directory_iterator(mnt)) {
        ADD_FAILURE() << "left behind: " << e.path();
        empty = false;
    }
    EXPECT_TRUE(empty);
    umount(mnt.c_str());
}

TEST_F(GogoFailure, CloseInTheMiddleRemovesEverything) {
    Start(Path("out.mp3"));
    for (int i = 0; i < 50; ++i) ASSERT_EQ(MPGE_processFrame(), 0);
    EXPECT_EQ(Entries().size(), 2u);  // in.wav and the hidden temporary
    EXPECT_EQ(MPGE_closeCoder(), GOGO_OK);
    EXPECT_EQ(MPGE_endCoder(), GOGO_OK);
    EXPECT_EQ(Entries(), std::vector<std::string>{"in.wav"});

    // Set up but never started, and a new set-up over an unfinished one.
    Start(Path("out.mp3"));
    MPGE_closeCoder();
    EXPECT_EQ(Entries(), std::vector<std::string>{"in.wav"});
    Start(Path("out.mp3"));
    ASSERT_EQ(MPGE_initializeWork(), GOGO_OK);
    EXPECT_EQ(Entries(), std::vector<std::string>{"in.wav"});
    MPGE_endCoder();
}

TEST_F(GogoFailure, AnExistingDestinationSurvivesAFailedEncode) {
    WriteFile(Path("out.mp3"), {'o', 'l', 'd'});
    Start(Path("out.mp3"));
    for (int i = 0; i < 10; ++i) ASSERT_EQ(MPGE_processFrame(), 0);
    MPGE_closeCoder();
    MPGE_endCoder();
    EXPECT_EQ(ReadFile(Path("out.mp3")), (std::vector<uint8_t>{'o', 'l', 'd'}));
    // A completed encode replaces it.
    Start(Path("out.mp3"));
    EXPECT_EQ(RunToEnd(), GOGO_END);
    MPGE_endCoder();
    EXPECT_GT(ReadFile(Path("out.mp3")).size(), 3u);
    EXPECT_EQ(Entries().size(), 2u);
}

TEST_F(GogoFailure, InputThatShrinksIsAReadError) {
    Start(Path("out.mp3"));
    ASSERT_EQ(MPGE_processFrame(), 0);
    ASSERT_EQ(truncate(in_.c_str(), 100000), 0);
    EXPECT_EQ(RunToEnd(), GOGO_ERR_READ);
    MPGE_endCoder();
    EXPECT_EQ(Entries(), std::vector<std::string>{"in.wav"});
}

}  // namespace
}  // namespace gogotest
