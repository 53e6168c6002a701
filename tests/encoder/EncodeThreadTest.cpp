// The worker thread and the notification window, seen through the component's events,
// with the stand-in library scripting the frame steps.

#include "encoder/EncodeThread.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <memory>
#include <thread>

#include "encoder/GogoTea.h"
#include "platform/Thread.h"
#include "tests/encoder/FakeGogo.h"
#include "tests/encoder/TestSupport.h"

using namespace encoder;
using testsupport::EventLog;
using testsupport::PumpFor;
using testsupport::PumpUntil;
using Events = std::vector<std::string>;

namespace {

class EncodeThreadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fakegogo::Reset();
        tea = std::make_unique<TGogoTea>();
        tea->SetPriority(tpNormal);
        tea->SetSourceFile("/in/a.wav");
        tea->SetDestFile("/out/a.mp3");
        events.Attach(*tea);
    }
    void TearDown() override {
        if (tea->IsEncoding()) {
            tea->AbortEncode();
            PumpUntil([&] { return !tea->IsEncoding(); });
        }
        tea.reset();
    }
    bool WaitFinished() {
        return PumpUntil([&] { return events.finished; });
    }
    static std::vector<fakegogo::Call> Calls(const std::string& name) {
        std::vector<fakegogo::Call> out;
        for (const auto& c : fakegogo::Log())
            if (c.name == name) out.push_back(c);
        return out;
    }

    std::unique_ptr<TGogoTea> tea;
    EventLog events;
};

TEST_F(EncodeThreadTest, CompletedEncodeReportsProgressThenFinish) {
    struct Case {
        const char* name;
        std::int32_t frequency;
        std::int32_t allFrames;
        std::int32_t zeros;  // frame steps that return 0 before the one that returns 1
        Events expected;
    };
    const Case cases[] = {
        {"frequency 1",
         1,
         4,
         3,
         {"progress 0/4", "progress 1/4", "progress 2/4", "progress 3/4", "progress 4/4",
          "finish false"}},
        {"frequency 100",
         100,
         300,
         250,
         {"progress 0/300", "progress 100/300", "progress 200/300", "progress 300/300",
          "finish false"}},
        {"end at the first call", 1, 77, 0, {"progress 0/77", "progress 77/77", "finish false"}},
        {"counted frames differ from AllFrames",
         2,
         1000,
         5,
         {"progress 0/1000", "progress 2/1000", "progress 4/1000", "progress 1000/1000",
          "finish false"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        events = {};
        events.Attach(*tea);
        fakegogo::SetAllFrames(c.allFrames);
        fakegogo::SetFrames(std::vector<std::int32_t>(c.zeros, 0), 1);
        tea->SetFrequency(c.frequency);
        bool encodingAtFinish = true;
        tea->OnFinish = [&](TGogoTea* sender, bool aborted) {
            EXPECT_EQ(sender, tea.get());
            encodingAtFinish = sender->IsEncoding();
            events.events.push_back(std::string("finish ") + (aborted ? "true" : "false"));
            events.finished = true;
        };
        tea->Execute();
        EXPECT_TRUE(tea->IsEncoding());
        ASSERT_TRUE(WaitFinished());
        PumpFor(std::chrono::milliseconds(30));
        EXPECT_EQ(events.events, c.expected);
        EXPECT_FALSE(encodingAtFinish);
        EXPECT_FALSE(tea->IsEncoding());
        EXPECT_EQ(tea->EncodeResult(), 0);
        // The component can set up the next encode at once.
        fakegogo::ClearLog();
    }
}

TEST_F(EncodeThreadTest, LibraryErrorAndThrownFrameStep) {
    struct Case {
        std::int32_t status;
        std::int32_t reported;
    };
    for (const Case c : {Case{-5, -5}, Case{7, 7}, Case{fakegogo::kThrow, 10}}) {
        SCOPED_TRACE(c.status);
        events = {};
        events.Attach(*tea);
        std::int32_t resultAtError = 0;
        bool encodingAtError = true;
        tea->OnError = [&](TGogoTea* sender, std::int32_t code) {
            resultAtError = sender->EncodeResult();
            encodingAtError = sender->IsEncoding();
            events.events.push_back("error " + std::to_string(code));
        };
        fakegogo::SetAllFrames(10);
        fakegogo::SetFrames({0, 0, c.status}, 1);
        tea->SetFrequency(1);
        tea->Execute();
        ASSERT_TRUE(WaitFinished());
        EXPECT_EQ(events.events, (Events{"progress 0/10", "progress 1/10", "progress 2/10",
                                         "error " + std::to_string(c.reported), "finish true"}));
        EXPECT_EQ(resultAtError, c.reported);
        EXPECT_FALSE(encodingAtError);
        EXPECT_EQ(tea->EncodeResult(), c.reported);
        // The library was closed on the worker after the failed frame.
        const auto log = fakegogo::Log();
        ASSERT_GE(log.size(), 2u);
        EXPECT_EQ(log[log.size() - 2].name, "closeCoder");
        EXPECT_EQ(log.back().name, "endCoder");
    }
}

TEST_F(EncodeThreadTest, AbortEndsTheEncodeAfterTheCurrentFrame) {
    fakegogo::SetFrames({}, 0);
    fakegogo::SetFrameDelayMicroseconds(1000);
    tea->SetFrequency(100000);
    tea->Execute();
    ASSERT_TRUE(PumpUntil([] { return fakegogo::FrameCalls() >= 3; }));
    tea->AbortEncode();
    ASSERT_TRUE(WaitFinished());
    PumpFor(std::chrono::milliseconds(30));
    EXPECT_EQ(events.events, (Events{"progress 0/1000", "finish true"}));
    EXPECT_FALSE(tea->IsEncoding());
    const auto log = fakegogo::Log();
    EXPECT_EQ(log.back().name, "endCoder");
    const std::int32_t frames = fakegogo::FrameCalls();
    PumpFor(std::chrono::milliseconds(50));
    EXPECT_EQ(fakegogo::FrameCalls(), frames);
}

TEST_F(EncodeThreadTest, AbortThatReachesAnIdleWorkerGivesASecondFinish) {
    fakegogo::SetAllFrames(5);
    fakegogo::SetFrames({}, 1);
    tea->Execute();
    // The encode ends at its first frame; the abort is posted while the owner still
    // believes it runs.
    while (fakegogo::FrameCalls() < 1) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(tea->IsEncoding());
    tea->AbortEncode();
    ASSERT_TRUE(PumpUntil([&] { return events.Count("finish true") == 1; }));
    EXPECT_EQ(events.events,
              (Events{"progress 0/5", "progress 5/5", "finish false", "finish true"}));
    EXPECT_FALSE(tea->IsEncoding());
    EXPECT_EQ(Calls("closeCoder").size(), 1u);
}

TEST_F(EncodeThreadTest, FramesRunOnTheWorkerUnderTheEncodeControlWord) {
    fakegogo::SetFrames({0, 0}, 1);
    const std::uint16_t ownerWord = platform::GetFpuControlWord();
    tea->Execute();
    ASSERT_TRUE(WaitFinished());
    const std::uint64_t owner = fakegogo::CurrentThreadTag();
    for (const char* name : {"initializeWork", "setConfigure", "detectConfigure", "getConfigure"})
        for (const auto& c : Calls(name)) EXPECT_EQ(c.threadTag, owner) << name;
    for (const char* name : {"processFrame", "closeCoder", "endCoder"}) {
        const auto calls = Calls(name);
        ASSERT_FALSE(calls.empty()) << name;
        for (const auto& c : calls) {
            EXPECT_NE(c.threadTag, owner) << name;
#if defined(__i386__) || defined(__x86_64__)
            // Bit 6 is reserved and reads back as 1.
            EXPECT_EQ(c.fpuWord | 0x40, kEncodeFpuControlWord | 0x40) << name;
#endif
        }
    }
    EXPECT_EQ(platform::GetFpuControlWord(), ownerWord);
}

TEST_F(EncodeThreadTest, WorkerRunsAtThePriorityAndIdlesBetweenEncodes) {
    fakegogo::SetFrames({0, 0}, 1);
    tea->SetPriority(tpIdle);
    tea->Execute();
    ASSERT_TRUE(WaitFinished());
    for (const auto& c : Calls("processFrame")) EXPECT_EQ(c.schedPolicy, SCHED_IDLE);

    // Linux lets an unprivileged thread lower its priority but not raise it again, so
    // without CAP_SYS_NICE or a nice limit of 20 the worker stays idle (the raise is
    // refused and ignored).
    rlimit nice{};
    ::getrlimit(RLIMIT_NICE, &nice);
    if (::geteuid() != 0 && nice.rlim_cur < 20)
        GTEST_SKIP() << "this process may not raise a thread's priority";

    fakegogo::Reset();
    events = {};
    events.Attach(*tea);
    fakegogo::SetFrames({0, 0}, 1);
    tea->SetPriority(tpNormal);
    tea->Execute();
    ASSERT_TRUE(WaitFinished());
    for (const auto& c : Calls("processFrame")) {
        EXPECT_EQ(c.schedPolicy, SCHED_OTHER);
        EXPECT_EQ(c.nice, 0);
    }
}

// A finish left over from an encode that failed must not end the next one.
TEST_F(EncodeThreadTest, StaleFinishDoesNotClearTheNextEncode) {
    fakegogo::SetFrames({-3}, 0);  // the first encode fails, the second runs on
    fakegogo::SetFrameDelayMicroseconds(500);
    tea->SetFrequency(100000);
    tea->Execute();
    // Stop pumping right at the error, as a batch does when IsEncoding drops.
    ASSERT_TRUE(PumpUntil([&] { return !tea->IsEncoding(); }));
    ASSERT_EQ(events.events.back(), "error -3");
    tea->Execute();  // waits for the worker's close; its finish is still queued
    ASSERT_TRUE(tea->IsEncoding());
    ASSERT_TRUE(PumpUntil([&] { return events.Count("finish true") == 1; }));
    PumpFor(std::chrono::milliseconds(100));
    EXPECT_TRUE(tea->IsEncoding());
    EXPECT_EQ(tea->EncodeResult(), 0);
    tea->AbortEncode();
    ASSERT_TRUE(PumpUntil([&] { return !tea->IsEncoding(); }));
    EXPECT_EQ(events.events, (Events{"progress 0/1000", "error -3", "finish true",
                                     "progress 0/1000", "finish true"}));
    // The second set-up started only after the first encode had closed the library.
    const auto log = fakegogo::Log();
    std::size_t end = 0, secondInit = 0;
    for (std::size_t i = 0; i < log.size(); ++i) {
        if (log[i].name == "endCoder" && end == 0) end = i;
        if (log[i].name == "initializeWork") secondInit = i;
    }
    EXPECT_LT(end, secondInit);
}

TEST_F(EncodeThreadTest, DestroyingDuringAnEncodeClosesTheLibraryOnTheWorker) {
    fakegogo::SetFrames({}, 0);
    fakegogo::SetFrameDelayMicroseconds(500);
    tea->Execute();
    ASSERT_TRUE(PumpUntil([] { return fakegogo::FrameCalls() >= 2; }));
    tea.reset();
    const auto log = fakegogo::Log();
    EXPECT_EQ(log[log.size() - 2].name, "closeCoder");
    EXPECT_EQ(log.back().name, "endCoder");
    EXPECT_NE(log.back().threadTag, fakegogo::CurrentThreadTag());
    tea = std::make_unique<TGogoTea>();  // for TearDown
}

// In memory mode a second Execute during an encode is dropped by the worker; the running
// encode keeps its count and the owner still sees its end.
TEST_F(EncodeThreadTest, SecondStartDuringAnEncodeIsDropped) {
    tea->SetEncodeMode(_MEMORY);
    tea->SetFrequency(1);
    fakegogo::SetAllFrames(2);
    tea->QuerySettings();
    tea->Execute();
    ASSERT_TRUE(PumpUntil([] { return fakegogo::FrameCalls() >= 1; }));
    tea->Execute();
    std::vector<std::uint8_t> pcm(4608 * 2, 1);
    ASSERT_TRUE(tea->WriteBuffer(pcm.data(), static_cast<std::int32_t>(pcm.size())));
    ASSERT_TRUE(tea->WriteBuffer(nullptr, 0));
    ASSERT_TRUE(PumpUntil([&] { return !tea->IsEncoding(); }));
    PumpFor(std::chrono::milliseconds(150));
    EXPECT_EQ(events.events, (Events{"progress 0/2", "progress 1/2", "progress 2/2", "progress 2/2",
                                     "finish false"}));
    EXPECT_EQ(fakegogo::MemoryBytesPulled(), 4608 * 2);
}

}  // namespace
