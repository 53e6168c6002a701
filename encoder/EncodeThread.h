#pragma once
// TEncodeThread: the encoder component's worker. It takes thread messages from the
// component (start, abort, quit), runs libgogo frame by frame and posts notifications to
// the component's hidden window (stream end, error, finish, progress).
//
// Threads: created, resumed, terminated, waited for and destroyed by the component's
// owner thread; SetPriority, Priority and the Closed* queries from any thread. The body
// runs on the worker itself. Its message queue exists from the constructor on, so a post
// made right after construction is never lost.

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/Messages.h"
#include "platform/Thread.h"

namespace encoder {

// Thread messages, component -> worker.
inline constexpr std::uint32_t TM_ENCODE_START = 0x500;  // wParam AllFrames, lParam Frequency
inline constexpr std::uint32_t TM_ENCODE_ABORT = 0x501;
inline constexpr std::uint32_t TM_THREAD_QUIT = 0x502;
// Sent right before TM_ENCODE_START: wParam is the serial number of that start.
inline constexpr std::uint32_t TM_ENCODE_SERIAL = 0x503;

// Notifications, worker -> component window.
inline constexpr std::uint32_t NM_STREAM_END = 0x600;
// wParam the error code, lParam the serial of the encode.
inline constexpr std::uint32_t NM_ENCODE_ERROR = 0x601;
// wParam 0 completed or -1 aborted/failed, lParam the serial of the encode.
inline constexpr std::uint32_t NM_ENCODE_FINISH = 0x602;
// wParam frames done, lParam all frames.
inline constexpr std::uint32_t NM_PROGRESS = 0x603;

// The x87 control word an encode runs under: all exceptions masked, 64-bit precision,
// rounding to nearest.
inline constexpr std::uint16_t kEncodeFpuControlWord = 0x133F;

class TEncodeThread {
  public:
    // Starts the thread suspended; call SetNotifyWnd and then Resume.
    TEncodeThread();
    // Resumes if needed and waits for the body to end (the owner posts TM_THREAD_QUIT or
    // calls Terminate first).
    ~TEncodeThread();
    TEncodeThread(const TEncodeThread&) = delete;
    TEncodeThread& operator=(const TEncodeThread&) = delete;

    void SetNotifyWnd(platform::HWnd wnd) { FNotifyWnd = wnd; }  // before Resume
    void Resume();
    platform::ThreadId ThreadID() const;
    void SetPriority(platform::ThreadPriority priority);
    platform::ThreadPriority Priority() const;
    void Terminate() { terminated_.store(true); }
    bool Terminated() const { return terminated_.load(); }
    void WaitFor();

    // The serial of the last encode whose library the worker has closed (0 before any).
    std::uint32_t ClosedSerial() const { return closedSerial_.load(); }
    // Blocks (no spinning) until the encode with `serial`, or a later one, has closed the
    // library. Returns at once for serial 0.
    void WaitClosed(std::uint32_t serial) const;

  private:
    void Execute();
    void CloseLibrary(std::uint16_t savedControlWord, std::uint32_t serial);
    void Notify(std::uint32_t message, platform::WParam wParam, platform::LParam lParam);

    std::int32_t FAllFrames = 0;
    platform::HWnd FNotifyWnd = 0;
    std::atomic<bool> terminated_{false};
    std::atomic<std::uint32_t> closedSerial_{0};
    // Last member: the thread ends (in its destructor) before the fields above go away.
    std::unique_ptr<platform::Thread> thread_;
};

}  // namespace encoder
