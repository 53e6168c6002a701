#pragma once
// Per-thread message queues and hidden notification windows: our stand-in for the
// Win32 thread and window messages (PostThreadMessage, PostMessage, PeekMessage,
// DispatchMessage, WaitMessage, AllocateHWnd).
//
// Every thread has exactly one queue. A thread started through platform::Thread has
// its queue before its body runs, so a post to its id right after the constructor
// returns is never lost. Any other thread (the main thread among them) gets its queue
// on its first call into this header. Posting is allowed from any thread; peeking,
// waiting and dispatching act on the calling thread's own queue.
//
// A window belongs to the thread that allocated it; messages posted to it are queued
// on that thread and run its procedure there. A post to a destroyed window fails, and
// a message already queued for a window that has since been destroyed is dropped by
// DispatchMessage, never delivered to freed memory.

#include <chrono>
#include <cstdint>
#include <functional>

namespace platform {

using WParam = std::intptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;
using ThreadId = std::uint64_t;  // 0 is no thread
using HWnd = std::uint64_t;      // 0 is no window; handles are never reused

struct Msg {
    HWnd hwnd = 0;  // 0 for a thread message
    std::uint32_t message = 0;
    WParam wParam = 0;
    LParam lParam = 0;
};

constexpr std::uint32_t WM_NULL = 0x0000;
constexpr std::uint32_t WM_QUIT = 0x0012;
constexpr std::uint32_t WM_USER = 0x0400;

// The calling thread's id (creating its queue if it has none yet).
ThreadId CurrentThreadId();

// Appends a thread message to the queue of thread `id`. False when no such thread
// exists (never started, or already ended). Any thread.
bool PostThreadMessage(ThreadId id, std::uint32_t message, WParam wParam, LParam lParam);

// Appends a message for window `hwnd` to its owner thread's queue. False when the
// window does not exist (any more). Any thread.
bool PostMessage(HWnd hwnd, std::uint32_t message, WParam wParam, LParam lParam);

// Posts WM_QUIT with the exit code as wParam to the calling thread's queue.
void PostQuitMessage(int exitCode);

// Takes (remove = true) or copies the oldest message of the calling thread's queue.
// False when the queue is empty. Never blocks.
bool PeekMessage(Msg& out, bool remove = true);

// Waits for a message and removes it. Returns false for WM_QUIT (which is removed too).
bool GetMessage(Msg& out);

// Sleeps until the calling thread's queue holds at least one message (returns at once
// if it already does). No spinning: the thread blocks in the kernel.
void WaitMessage();

// As WaitMessage, but gives up after `timeout`. True when a message is waiting.
bool WaitMessageFor(std::chrono::milliseconds timeout);

// A file descriptor that is readable while the calling thread's queue holds messages
// (an eventfd on Linux). A toolkit's main loop watches it to wake for our posts.
// The descriptor stays valid for the life of the thread; do not read or close it.
int QueueWakeHandle();

// Runs the procedure of msg.hwnd on the calling thread and returns its result. A thread
// message (hwnd 0), a window of another thread, or a destroyed window: nothing runs, 0.
LResult DispatchMessage(const Msg& msg);

// Window procedure of a hidden window: message, wParam, lParam -> result.
using WindowProc = std::function<LResult(std::uint32_t, WParam, LParam)>;

// Creates a hidden window owned by the calling thread.
HWnd AllocateHWnd(WindowProc proc);

// Destroys a window; messages still queued for it are dropped. Safe to call from inside
// its own procedure (the running call finishes first). Unknown handles are ignored.
void DeallocateHWnd(HWnd hwnd);

bool IsWindow(HWnd hwnd);

// What a window procedure returns for a message it does not handle: 0.
LResult DefWindowProc(HWnd hwnd, std::uint32_t message, WParam wParam, LParam lParam);

}  // namespace platform
