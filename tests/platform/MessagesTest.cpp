#include "platform/Messages.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <time.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "platform/Thread.h"

namespace platform {
namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t kTest = WM_USER + 1;

// Drains the calling thread's queue into a list (thread messages only) until WM_QUIT.
std::vector<Msg> CollectUntilQuit() {
    std::vector<Msg> got;
    Msg msg;
    while (GetMessage(msg)) got.push_back(msg);
    return got;
}

bool Readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 0) == 1;
}

double ThreadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

TEST(ThreadQueue, PostsBeforeTheBodyRunsArriveInOrder) {
    for (bool suspended : {true, false}) {
        std::vector<Msg> got;
        Thread thread([&] { got = CollectUntilQuit(); }, suspended);
        for (int i = 0; i < 100; ++i) ASSERT_TRUE(PostThreadMessage(thread.Id(), kTest, i, -i));
        ASSERT_TRUE(PostThreadMessage(thread.Id(), WM_QUIT, 0, 0));
        thread.Resume();
        thread.Join();
        ASSERT_EQ(got.size(), 100u) << "suspended=" << suspended;
        for (int i = 0; i < 100; ++i) {
            EXPECT_EQ(got[i].hwnd, 0u);
            EXPECT_EQ(got[i].message, kTest);
            EXPECT_EQ(got[i].wParam, i);
            EXPECT_EQ(got[i].lParam, -i);
        }
    }
}

TEST(ThreadQueue, EachSendersPostsStayInOrder) {
    std::vector<Msg> got;
    Thread receiver([&] { got = CollectUntilQuit(); });
    constexpr int kPerSender = 2000;
    {
        std::vector<std::unique_ptr<Thread>> senders;
        for (int s = 0; s < 3; ++s)
            senders.push_back(std::make_unique<Thread>([&, s] {
                for (int i = 0; i < kPerSender; ++i) PostThreadMessage(receiver.Id(), kTest, s, i);
            }));
    }
    PostThreadMessage(receiver.Id(), WM_QUIT, 0, 0);
    receiver.Join();
    ASSERT_EQ(got.size(), 3u * kPerSender);
    int next[3] = {0, 0, 0};
    for (const Msg& m : got) EXPECT_EQ(m.lParam, next[m.wParam]++);
}

TEST(ThreadQueue, WaitSleepsInTheKernelUntilAPost) {
    std::atomic<double> cpuMs{-1};
    std::atomic<bool> waiting{false};
    Thread waiter([&] {
        CurrentThreadId();
        waiting = true;
        const double before = ThreadCpuMs();
        WaitMessage();
        cpuMs = ThreadCpuMs() - before;
        Msg msg;
        EXPECT_TRUE(PeekMessage(msg));
        EXPECT_EQ(msg.message, kTest);
    });
    while (!waiting) std::this_thread::yield();
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(200ms);
    ASSERT_TRUE(PostThreadMessage(waiter.Id(), kTest, 0, 0));
    waiter.Join();
    EXPECT_GE(std::chrono::steady_clock::now() - start, 200ms);
    EXPECT_GE(cpuMs.load(), 0.0);
    EXPECT_LT(cpuMs.load(), 20.0) << "the waiting thread burnt CPU time";
}

TEST(ThreadQueue, PeekWaitForAndTheWakeHandle) {
    Msg msg;
    while (PeekMessage(msg)) {
    }
    const int fd = QueueWakeHandle();
    EXPECT_FALSE(Readable(fd));
    EXPECT_FALSE(PeekMessage(msg));

    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(WaitMessageFor(50ms));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 45ms);

    ASSERT_TRUE(PostThreadMessage(CurrentThreadId(), kTest, 1, 0));
    ASSERT_TRUE(PostThreadMessage(CurrentThreadId(), kTest, 2, 0));
    EXPECT_TRUE(Readable(fd));
    EXPECT_TRUE(WaitMessageFor(0ms));
    ASSERT_TRUE(PeekMessage(msg, false));  // a copy: the message stays
    EXPECT_EQ(msg.wParam, 1);
    ASSERT_TRUE(PeekMessage(msg));
    EXPECT_EQ(msg.wParam, 1);
    EXPECT_TRUE(Readable(fd));
    ASSERT_TRUE(PeekMessage(msg));
    EXPECT_EQ(msg.wParam, 2);
    EXPECT_FALSE(Readable(fd));

    PostQuitMessage(7);
    EXPECT_FALSE(GetMessage(msg));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 7);
    EXPECT_FALSE(PeekMessage(msg));
}

TEST(ThreadQueue, PostToAThreadThatEndedOrNeverExistedFails) {
    ThreadId id = 0;
    {
        Thread thread([] {});
        id = thread.Id();
        thread.Join();
        EXPECT_TRUE(thread.Finished());
        EXPECT_FALSE(PostThreadMessage(id, kTest, 0, 0));
    }
    EXPECT_FALSE(PostThreadMessage(0, kTest, 0, 0));
    EXPECT_FALSE(PostThreadMessage(id + 100000, kTest, 0, 0));

    // A thread that did not come through platform::Thread loses its queue when it ends.
    std::thread plain([&] { id = CurrentThreadId(); });
    plain.join();
    EXPECT_NE(id, 0u);
    EXPECT_FALSE(PostThreadMessage(id, kTest, 0, 0));
}

TEST(HiddenWindow, MessagesRunTheProcedureOnTheOwnerThread) {
    std::atomic<HWnd> hwnd{0};
    std::vector<std::pair<std::uint32_t, WParam>> seen;
    std::thread::id ranOn;
    std::thread::id ownerThread;
    Thread owner([&] {
        ownerThread = std::this_thread::get_id();
        hwnd = AllocateHWnd([&](std::uint32_t m, WParam w, LParam) -> LResult {
            ranOn = std::this_thread::get_id();
            seen.emplace_back(m, w);
            return w * 2;
        });
        Msg msg;
        while (GetMessage(msg)) {
            if (msg.hwnd) {
                EXPECT_EQ(DispatchMessage(msg), msg.wParam * 2);
            }
        }
        DeallocateHWnd(hwnd);
    });
    while (hwnd == 0) std::this_thread::yield();
    EXPECT_TRUE(IsWindow(hwnd));
    // Dispatching from a thread that does not own the window runs nothing.
    EXPECT_EQ(DispatchMessage(Msg{hwnd, kTest, 99, 0}), 0);
    ASSERT_TRUE(PostMessage(hwnd, kTest, 1, 0));
    ASSERT_TRUE(PostMessage(hwnd, kTest + 1, 2, 0));
    ASSERT_TRUE(PostThreadMessage(owner.Id(), WM_QUIT, 0, 0));
    owner.Join();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], std::make_pair(kTest, WParam{1}));
    EXPECT_EQ(seen[1], std::make_pair(kTest + 1, WParam{2}));
    EXPECT_EQ(ranOn, ownerThread);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(PostMessage(hwnd, kTest, 0, 0));
}

TEST(HiddenWindow, ADestroyedWindowGetsNothing) {
    int calls = 0;
    const HWnd hwnd = AllocateHWnd([&](std::uint32_t, WParam, LParam) -> LResult {
        ++calls;
        return 1;
    });
    ASSERT_TRUE(PostMessage(hwnd, kTest, 0, 0));
    DeallocateHWnd(hwnd);
    DeallocateHWnd(hwnd);  // unknown handles are ignored
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(PostMessage(hwnd, kTest, 0, 0));
    Msg msg;
    ASSERT_TRUE(PeekMessage(msg));  // queued before the window went
    EXPECT_EQ(msg.hwnd, hwnd);
    EXPECT_EQ(DispatchMessage(msg), 0);
    EXPECT_EQ(calls, 0);
    EXPECT_FALSE(PeekMessage(msg));
    EXPECT_EQ(DefWindowProc(hwnd, kTest, 1, 2), 0);

    // A new window never reuses the old handle.
    const HWnd next = AllocateHWnd([](std::uint32_t, WParam, LParam) -> LResult { return 0; });
    EXPECT_NE(next, hwnd);
    DeallocateHWnd(next);
}

TEST(HiddenWindow, DestroyingItselfInsideItsProcedureIsSafe) {
    auto payload = std::make_shared<std::vector<int>>(1000, 5);
    HWnd hwnd = 0;
    int sumAfterDestroy = 0;
    hwnd = AllocateHWnd([&, payload](std::uint32_t, WParam, LParam) -> LResult {
        DeallocateHWnd(hwnd);
        // The captures of this very procedure are still alive until the call returns.
        for (int v : *payload) sumAfterDestroy += v;
        return 3;
    });
    payload.reset();
    ASSERT_TRUE(PostMessage(hwnd, kTest, 0, 0));
    ASSERT_TRUE(PostMessage(hwnd, kTest, 0, 0));
    Msg msg;
    ASSERT_TRUE(PeekMessage(msg));
    EXPECT_EQ(DispatchMessage(msg), 3);
    EXPECT_EQ(sumAfterDestroy, 5000);
    ASSERT_TRUE(PeekMessage(msg));
    EXPECT_EQ(DispatchMessage(msg), 0);  // the second one is dropped
    EXPECT_EQ(sumAfterDestroy, 5000);
}

TEST(HiddenWindow, AWindowEndsWithItsOwnerThread) {
    HWnd hwnd = 0;
    {
        Thread owner([&] {
            hwnd = AllocateHWnd([](std::uint32_t, WParam, LParam) -> LResult { return 0; });
        });
    }
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(PostMessage(hwnd, kTest, 0, 0));
}

}  // namespace
}  // namespace platform
