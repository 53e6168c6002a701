#include "encoder/EncodeThread.h"

#include <chrono>

#include "binding/Gogodefs.h"

namespace encoder {
namespace {

// Signed difference of two serial numbers, so that the comparison survives a wrap.
bool SerialReached(std::uint32_t closed, std::uint32_t wanted) {
    return static_cast<std::int32_t>(closed - wanted) >= 0;
}

}  // namespace

TEncodeThread::TEncodeThread()
    : thread_(std::make_unique<platform::Thread>([this] { Execute(); }, /*suspended=*/true)) {}

TEncodeThread::~TEncodeThread() {
    WaitFor();
}

void TEncodeThread::Resume() {
    thread_->Resume();
}

platform::ThreadId TEncodeThread::ThreadID() const {
    return thread_->Id();
}

void TEncodeThread::SetPriority(platform::ThreadPriority priority) {
    thread_->SetPriority(priority);
}

platform::ThreadPriority TEncodeThread::Priority() const {
    return thread_->Priority();
}

void TEncodeThread::WaitFor() {
    thread_->Resume();
    thread_->Join();
}

void TEncodeThread::WaitClosed(std::uint32_t serial) const {
    if (serial == 0) return;
    for (std::uint32_t closed = closedSerial_.load(); !SerialReached(closed, serial);
         closed = closedSerial_.load()) {
        closedSerial_.wait(closed);
    }
}

void TEncodeThread::Notify(std::uint32_t message, platform::WParam wParam,
                           platform::LParam lParam) {
    // A post to a window that is already gone fails; nobody is left to tell.
    platform::PostMessage(FNotifyWnd, message, wParam, lParam);
}

void TEncodeThread::CloseLibrary(std::uint16_t savedControlWord, std::uint32_t serial) {
    // Both results are of no interest. An exception out of either must not end the
    // process from a worker thread, so it is swallowed: the encode is over either way.
    try {
        binding::MPGE_closeCoder();
    } catch (...) {
    }
    try {
        binding::MPGE_endCoder();
    } catch (...) {
    }
    platform::ResetFpu();
    platform::SetFpuControlWord(savedControlWord);
    closedSerial_.store(serial);
    closedSerial_.notify_all();
}

void TEncodeThread::Execute() {
    const std::uint16_t savedControlWord = platform::GetFpuControlWord();
    bool encoding = false;
    std::int32_t frameCounter = 0;
    std::int32_t frequency = 1;
    std::uint32_t pendingSerial = 0;  // serial of the next start message
    std::uint32_t serial = 0;         // serial of the running (or last) encode
    platform::SetCurrentThreadPriority(platform::ThreadPriority::Idle);

    while (!Terminated()) {
        platform::Msg msg;
        while (platform::PeekMessage(msg, true)) {
            if (msg.hwnd != 0) {
                platform::DispatchMessage(msg);
                continue;
            }
            switch (msg.message) {
                case TM_ENCODE_SERIAL:
                    pendingSerial = static_cast<std::uint32_t>(msg.wParam);
                    break;
                case TM_ENCODE_START:
                    if (encoding) {
                        // The running encode goes on with its frequency and frame count;
                        // it now answers for the later start, so the owner's IsEncoding
                        // drops when it ends.
                        serial = pendingSerial;
                        break;
                    }
                    frequency = static_cast<std::int32_t>(msg.lParam);
                    FAllFrames = static_cast<std::int32_t>(msg.wParam);
                    frameCounter = 0;
                    encoding = true;
                    serial = pendingSerial;
                    platform::ResetFpu();
                    platform::SetFpuControlWord(kEncodeFpuControlWord);
                    Notify(NM_PROGRESS, 0, FAllFrames);
                    break;
                case TM_ENCODE_ABORT:
                case TM_THREAD_QUIT:
                    if (encoding) CloseLibrary(savedControlWord, serial);
                    platform::SetCurrentThreadPriority(platform::ThreadPriority::Idle);
                    encoding = false;
                    if (msg.message == TM_THREAD_QUIT) return;
                    Notify(NM_ENCODE_FINISH, -1, serial);
                    break;
                default:
                    break;
            }
        }

        if (!encoding) {
            // Idle: wake at once for the next message, and at least every 100 ms to look
            // at the Terminated flag.
            platform::WaitMessageFor(std::chrono::milliseconds(100));
            continue;
        }

        std::int32_t r;
        try {
            r = binding::MPGE_processFrame();
        } catch (...) {
            r = 10;
        }
        ++frameCounter;
        if (r == 0) {
            if (frequency != 0 && frameCounter % frequency == 0)
                Notify(NM_PROGRESS, frameCounter, FAllFrames);
            continue;
        }
        if (r == 1) {
            Notify(NM_STREAM_END, 0, 0);
            Notify(NM_PROGRESS, FAllFrames, FAllFrames);
        } else {
            Notify(NM_ENCODE_ERROR, r, serial);
            encoding = false;
        }
        platform::SleepMs(10);
        CloseLibrary(savedControlWord, serial);
        platform::SetCurrentThreadPriority(platform::ThreadPriority::Idle);
        encoding = false;
        Notify(NM_ENCODE_FINISH, r == 1 ? 0 : -1, serial);
        frameCounter = 0;
    }

    if (encoding) {
        CloseLibrary(savedControlWord, serial);
        Notify(NM_ENCODE_FINISH, 0, serial);
        platform::SleepMs(1);
    }
}

}  // namespace encoder
