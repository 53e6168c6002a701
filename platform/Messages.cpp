#include "platform/Messages.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <deque>
#include <memory>
#include <mutex>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "platform/detail/ThreadQueues.h"

namespace platform {
namespace {

// One thread's queue. Its eventfd counter is non-zero exactly while messages wait, so a
// poll on it (ours in WaitMessage, or a toolkit's main loop) wakes for every post.
class Queue {
  public:
    Queue() : fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
        if (fd_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
    }
    ~Queue() { ::close(fd_); }
    Queue(const Queue&) = delete;
    Queue& operator=(const Queue&) = delete;

    bool Push(const Msg& msg) {
        std::lock_guard lock(mutex_);
        if (closed_) return false;
        if (messages_.empty()) Signal();
        messages_.push_back(msg);
        return true;
    }

    bool Take(Msg& out, bool remove) {
        std::lock_guard lock(mutex_);
        if (messages_.empty()) return false;
        out = messages_.front();
        if (remove) {
            messages_.pop_front();
            if (messages_.empty()) Drain();
        }
        return true;
    }

    void Close() {
        std::lock_guard lock(mutex_);
        closed_ = true;
        if (!messages_.empty()) Drain();
        messages_.clear();
    }

    int Fd() const { return fd_; }

  private:
    void Signal() {
        const std::uint64_t one = 1;
        // Cannot fail short of a counter overflow, which one pending 1 never reaches.
        [[maybe_unused]] auto n = ::write(fd_, &one, sizeof one);
    }
    void Drain() {
        std::uint64_t value = 0;
        [[maybe_unused]] auto n = ::read(fd_, &value, sizeof value);
    }

    const int fd_;
    std::mutex mutex_;
    std::deque<Msg> messages_;
    bool closed_ = false;
};

struct Window {
    ThreadId owner = 0;
    std::shared_ptr<WindowProc> proc;
};

// Every queue and window of the process. Leaked on purpose: threads (the main thread
// among them) end their queues from thread-local destructors that may run after static
// destruction has begun.
class Registry {
  public:
    static Registry& Get() {
        static Registry* registry = new Registry;
        return *registry;
    }

    ThreadId AddQueue(std::shared_ptr<Queue> queue) {
        std::lock_guard lock(mutex_);
        const ThreadId id = nextThread_++;
        queues_.emplace(id, std::move(queue));
        return id;
    }

    std::shared_ptr<Queue> QueueOf(ThreadId id) {
        std::lock_guard lock(mutex_);
        auto it = queues_.find(id);
        return it == queues_.end() ? nullptr : it->second;
    }

    void EndQueue(ThreadId id) {
        std::shared_ptr<Queue> queue;
        std::vector<std::shared_ptr<WindowProc>> procs;  // released after the lock
        {
            std::lock_guard lock(mutex_);
            auto it = queues_.find(id);
            if (it == queues_.end()) return;
            queue = std::move(it->second);
            queues_.erase(it);
            for (auto w = windows_.begin(); w != windows_.end();) {
                if (w->second.owner == id) {
                    procs.push_back(std::move(w->second.proc));
                    w = windows_.erase(w);
                } else {
                    ++w;
                }
            }
        }
        queue->Close();
    }

    HWnd AddWindow(ThreadId owner, WindowProc proc) {
        std::lock_guard lock(mutex_);
        const HWnd hwnd = nextWindow_++;
        windows_.emplace(hwnd, Window{owner, std::make_shared<WindowProc>(std::move(proc))});
        return hwnd;
    }

    void RemoveWindow(HWnd hwnd) {
        std::shared_ptr<WindowProc> proc;  // a running call may still hold it
        std::lock_guard lock(mutex_);
        auto it = windows_.find(hwnd);
        if (it == windows_.end()) return;
        proc = std::move(it->second.proc);
        windows_.erase(it);
    }

    // The owner's queue of a live window, or null.
    std::shared_ptr<Queue> OwnerQueueOf(HWnd hwnd) {
        std::lock_guard lock(mutex_);
        auto w = windows_.find(hwnd);
        if (w == windows_.end()) return nullptr;
        auto q = queues_.find(w->second.owner);
        return q == queues_.end() ? nullptr : q->second;
    }

    // The procedure of a live window owned by `owner`, or null.
    std::shared_ptr<WindowProc> ProcOf(HWnd hwnd, ThreadId owner) {
        std::lock_guard lock(mutex_);
        auto w = windows_.find(hwnd);
        if (w == windows_.end() || w->second.owner != owner) return nullptr;
        return w->second.proc;
    }

    bool HasWindow(HWnd hwnd) {
        std::lock_guard lock(mutex_);
        return windows_.count(hwnd) != 0;
    }

  private:
    std::mutex mutex_;
    ThreadId nextThread_ = 1;
    HWnd nextWindow_ = 1;
    std::unordered_map<ThreadId, std::shared_ptr<Queue>> queues_;
    std::unordered_map<HWnd, Window> windows_;
};

// The calling thread's queue. A thread that did not come through platform::Thread gets
// one on first use; its queue ends with the thread.
struct Binding {
    ThreadId id = 0;
    std::shared_ptr<Queue> queue;
    ~Binding() {
        if (id != 0) Registry::Get().EndQueue(id);
    }
};
thread_local Binding tlsBinding;

Binding& Own() {
    if (!tlsBinding.queue) {
        auto queue = std::make_shared<Queue>();
        tlsBinding.id = Registry::Get().AddQueue(queue);
        tlsBinding.queue = std::move(queue);
    }
    return tlsBinding;
}

}  // namespace

namespace detail {

ThreadId CreateThreadQueue() {
    return Registry::Get().AddQueue(std::make_shared<Queue>());
}

void BindThreadQueue(ThreadId id) {
    auto queue = Registry::Get().QueueOf(id);
    if (!queue) return;
    tlsBinding.id = id;
    tlsBinding.queue = std::move(queue);
}

void EndThreadQueue(ThreadId id) {
    Registry::Get().EndQueue(id);
}

}  // namespace detail

ThreadId CurrentThreadId() {
    return Own().id;
}

bool PostThreadMessage(ThreadId id, std::uint32_t message, WParam wParam, LParam lParam) {
    auto queue = Registry::Get().QueueOf(id);
    return queue && queue->Push(Msg{0, message, wParam, lParam});
}

bool PostMessage(HWnd hwnd, std::uint32_t message, WParam wParam, LParam lParam) {
    auto queue = Registry::Get().OwnerQueueOf(hwnd);
    return queue && queue->Push(Msg{hwnd, message, wParam, lParam});
}

void PostQuitMessage(int exitCode) {
    Own().queue->Push(Msg{0, WM_QUIT, exitCode, 0});
}

bool PeekMessage(Msg& out, bool remove) {
    return Own().queue->Take(out, remove);
}

bool GetMessage(Msg& out) {
    while (!PeekMessage(out, true)) WaitMessage();
    return out.message != WM_QUIT;
}

void WaitMessage() {
    while (!WaitMessageFor(std::chrono::milliseconds(-1))) {
    }
}

bool WaitMessageFor(std::chrono::milliseconds timeout) {
    const int fd = Own().queue->Fd();
    const bool forever = timeout.count() < 0;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int waitMs = -1;
        if (!forever) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            waitMs = static_cast<int>(std::max<std::int64_t>(0, left.count()));
        }
        pollfd p{fd, POLLIN, 0};
        const int n = ::poll(&p, 1, waitMs);
        if (n > 0) return true;
        if (n == 0) return false;
        if (errno != EINTR) return false;
    }
}

int QueueWakeHandle() {
    return Own().queue->Fd();
}

LResult DispatchMessage(const Msg& msg) {
    if (msg.hwnd == 0) return 0;
    // Copied out under the registry's lock and called after it is released, so the
    // procedure may post, allocate or destroy windows (itself included).
    auto proc = Registry::Get().ProcOf(msg.hwnd, CurrentThreadId());
    if (!proc || !*proc) return 0;
    return (*proc)(msg.message, msg.wParam, msg.lParam);
}

HWnd AllocateHWnd(WindowProc proc) {
    return Registry::Get().AddWindow(CurrentThreadId(), std::move(proc));
}

void DeallocateHWnd(HWnd hwnd) {
    Registry::Get().RemoveWindow(hwnd);
}

bool IsWindow(HWnd hwnd) {
    return Registry::Get().HasWindow(hwnd);
}

LResult DefWindowProc(HWnd, std::uint32_t, WParam, LParam) {
    return 0;
}

}  // namespace platform
