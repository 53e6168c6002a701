#include "platform/Thread.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>

namespace platform {
namespace {

using namespace std::chrono_literals;

TEST(Thread, SuspendedBodyWaitsForResumeAndTheDestructorJoins) {
    std::atomic<int> runs{0};
    std::atomic<ThreadId> seenId{0};
    {
        Thread thread(
            [&] {
                ++runs;
                seenId = CurrentThreadId();
            },
            true);
        SleepMs(30);
        EXPECT_EQ(runs, 0);
        EXPECT_FALSE(thread.Finished());
        thread.Resume();
        thread.Join();
        thread.Join();  // idempotent
        EXPECT_TRUE(thread.Finished());
        EXPECT_EQ(runs, 1);
        EXPECT_EQ(seenId, thread.Id());
        EXPECT_NE(seenId, CurrentThreadId());
    }
    {
        Thread neverResumed([&] { ++runs; }, true);
    }
    EXPECT_EQ(runs, 2);
}

// The body reports its own scheduling after each change the owner makes.
TEST(Thread, PrioritiesMapToSchedIdleAndNiceValues) {
    struct Seen {
        int policy;
        int nice;
    };
    std::atomic<int> policy{-1}, nice{-100};
    Thread thread([&] {
        Msg msg;
        while (GetMessage(msg)) {
            policy = ::sched_getscheduler(0);
            errno = 0;
            nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()));
            PostThreadMessage(static_cast<ThreadId>(msg.wParam), WM_USER, 0, 0);
        }
    });
    EXPECT_EQ(thread.Priority(), ThreadPriority::Normal);
    const auto probe = [&](ThreadPriority p) {
        thread.SetPriority(p);
        PostThreadMessage(thread.Id(), WM_USER, static_cast<WParam>(CurrentThreadId()), 0);
        Msg reply;
        GetMessage(reply);
        EXPECT_EQ(thread.Priority(), p);
        return Seen{policy.load(), nice.load()};
    };
    Seen s = probe(ThreadPriority::Lower);
    EXPECT_EQ(s.policy, SCHED_OTHER);
    EXPECT_EQ(s.nice, 5);
    s = probe(ThreadPriority::Idle);
    EXPECT_EQ(s.policy, SCHED_IDLE);
    s = probe(ThreadPriority::Lowest);
    // Leaving SCHED_IDLE may be refused without privilege; then it stays idle.
    if (s.policy == SCHED_OTHER) {
        EXPECT_EQ(s.nice, 10);
    }
    if (::geteuid() == 0) {
        s = probe(ThreadPriority::Highest);
        EXPECT_EQ(s.policy, SCHED_OTHER);
        EXPECT_EQ(s.nice, -10);
    }
    PostThreadMessage(thread.Id(), WM_QUIT, 0, 0);
    thread.Join();
    thread.SetPriority(ThreadPriority::Higher);  // after the end: stored, applied nowhere
    EXPECT_EQ(thread.Priority(), ThreadPriority::Higher);
}

TEST(Thread, PriorityRequestedBeforeTheBodyRunsApplies) {
    std::atomic<int> policy{-1};
    Thread thread([&] { policy = ::sched_getscheduler(0); }, true);
    thread.SetPriority(ThreadPriority::Idle);
    thread.Resume();
    thread.Join();
    EXPECT_EQ(policy, SCHED_IDLE);
}

#if defined(__i386__) || defined(__x86_64__)
TEST(Fpu, ControlWordRoundTripsAndResetRestoresTheDefault) {
    // Run on a thread of its own so the test process keeps its control word.
    Thread thread([] {
        SetFpuControlWord(0x133F);
        // Bit 6 is reserved and always reads back as 1.
        EXPECT_EQ(GetFpuControlWord(), 0x133F | 0x40);
        ResetFpu();
        EXPECT_EQ(GetFpuControlWord(), 0x037F);
    });
}
#endif

}  // namespace
}  // namespace platform
