#pragma once
// Threads whose message queue exists before they run, priorities, sleeping, and the x87
// control word.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/Messages.h"

namespace platform {

// The seven levels of the VCL's TThreadPriority, in its order.
enum class ThreadPriority : std::uint8_t {
    Idle,
    Lowest,
    Lower,
    Normal,
    Higher,
    Highest,
    TimeCritical
};

// A joinable thread. The constructor registers the new thread's message queue before
// it returns, so PostThreadMessage(Id(), ...) succeeds at once. With `suspended` the
// body waits until Resume(). The destructor joins (after resuming a suspended thread).
// Created, resumed, joined and destroyed on one owner thread. The body's own queue ends
// when the body returns: posts to Id() fail from then on. An exception that leaves the
// body ends the process, as with std::thread.
class Thread {
  public:
    explicit Thread(std::function<void()> body, bool suspended = false);
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    ThreadId Id() const;
    void Resume();
    void Join();            // waits for the body to return; idempotent
    bool Finished() const;  // the body has returned

    // Applies a priority to this thread (any thread may call). Idle maps to SCHED_IDLE,
    // the others to nice values; a raise the system refuses is ignored.
    void SetPriority(ThreadPriority priority);
    ThreadPriority Priority() const;

  private:
    struct State;
    std::shared_ptr<State> state_;
};

// Applies a priority to the calling thread, as Thread::SetPriority does.
void SetCurrentThreadPriority(ThreadPriority priority);

void SleepMs(std::uint32_t milliseconds);

// x87 floating-point control word on x86 and x86-64 (fnstcw/fldcw); elsewhere reading
// gives 0x037F and writing does nothing. ResetFpu is fninit followed by fnclex. The
// processor keeps bit 6 set: 0x133F written reads back as 0x137F. Any thread (each has
// its own control word).
std::uint16_t GetFpuControlWord();
void SetFpuControlWord(std::uint16_t word);
void ResetFpu();

}  // namespace platform
