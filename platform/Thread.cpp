#include "platform/Thread.h"

#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/detail/ThreadQueues.h"

namespace platform {
namespace {

// Nice values for the levels above idle. Idle itself is SCHED_IDLE, which the kernel
// runs only when nothing else wants the processor.
int NiceOf(ThreadPriority priority) {
    switch (priority) {
        case ThreadPriority::Lowest:
            return 10;
        case ThreadPriority::Lower:
            return 5;
        case ThreadPriority::Normal:
            return 0;
        case ThreadPriority::Higher:
            return -5;
        case ThreadPriority::Highest:
            return -10;
        case ThreadPriority::TimeCritical:
            return -15;
        case ThreadPriority::Idle:
            break;
    }
    return 19;
}

// Every failure is ignored: an unprivileged process may not raise its priority, and
// leaving SCHED_IDLE may be refused too; the thread then keeps what it has.
void ApplyPriority(pid_t tid, ThreadPriority priority) {
    sched_param param{};
    param.sched_priority = 0;
    if (priority == ThreadPriority::Idle) {
        ::sched_setscheduler(tid, SCHED_IDLE, &param);
        return;
    }
    if (::sched_getscheduler(tid) != SCHED_OTHER) ::sched_setscheduler(tid, SCHED_OTHER, &param);
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(tid), NiceOf(priority));
}

}  // namespace

struct Thread::State {
    ThreadId id = 0;
    std::function<void()> body;
    std::thread thread;
    std::atomic<bool> finished{false};

    std::mutex mutex;  // guards the fields below
    std::condition_variable resumedChanged;
    bool resumed = false;
    pid_t tid = 0;  // the kernel's id while the body may run; 0 before and after
    ThreadPriority priority = ThreadPriority::Normal;
    bool priorityRequested = false;

    void Run() {
        detail::BindThreadQueue(id);
        {
            std::unique_lock lock(mutex);
            tid = ::gettid();
            if (priorityRequested) ApplyPriority(tid, priority);
            resumedChanged.wait(lock, [this] { return resumed; });
        }
        body();
        body = nullptr;  // its captures die on this thread, as the body's own data did
        {
            // The kernel may hand the id to another thread once this one has ended.
            std::lock_guard lock(mutex);
            tid = 0;
        }
        detail::EndThreadQueue(id);
        finished.store(true);
    }
};

Thread::Thread(std::function<void()> body, bool suspended) : state_(std::make_shared<State>()) {
    state_->id = detail::CreateThreadQueue();
    state_->body = std::move(body);
    state_->resumed = !suspended;
    try {
        state_->thread = std::thread([state = state_] { state->Run(); });
    } catch (...) {
        detail::EndThreadQueue(state_->id);
        throw;
    }
}

Thread::~Thread() {
    Resume();
    Join();
}

ThreadId Thread::Id() const {
    return state_->id;
}

void Thread::Resume() {
    {
        std::lock_guard lock(state_->mutex);
        if (state_->resumed) return;
        state_->resumed = true;
    }
    state_->resumedChanged.notify_all();
}

void Thread::Join() {
    if (state_->thread.joinable() && state_->thread.get_id() != std::this_thread::get_id())
        state_->thread.join();
}

bool Thread::Finished() const {
    return state_->finished.load();
}

void Thread::SetPriority(ThreadPriority priority) {
    std::lock_guard lock(state_->mutex);
    state_->priority = priority;
    state_->priorityRequested = true;
    if (state_->tid != 0) ApplyPriority(state_->tid, priority);
}

ThreadPriority Thread::Priority() const {
    std::lock_guard lock(state_->mutex);
    return state_->priority;
}

void SetCurrentThreadPriority(ThreadPriority priority) {
    ApplyPriority(::gettid(), priority);
}

void SleepMs(std::uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

#if defined(__i386__) || defined(__x86_64__)
std::uint16_t GetFpuControlWord() {
    std::uint16_t word = 0;
    asm volatile("fnstcw %0" : "=m"(word));
    return word;
}

void SetFpuControlWord(std::uint16_t word) {
    asm volatile("fldcw %0" : : "m"(word));
}

void ResetFpu() {
    asm volatile("fninit\n\tfnclex" : : : "memory");
}
#else
std::uint16_t GetFpuControlWord() {
    return 0x037F;
}
void SetFpuControlWord(std::uint16_t) {}
void ResetFpu() {}
#endif

}  // namespace platform
