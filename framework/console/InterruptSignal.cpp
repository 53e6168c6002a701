#include "framework/console/InterruptSignal.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <mutex>

namespace framework::console {

namespace {

std::atomic<bool> g_pending{false};
std::atomic<int> g_readEnd{-1};
std::atomic<int> g_writeEnd{-1};
std::once_flag g_pipeOnce;
std::once_flag g_handlerOnce;

void MakePipe() {
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) return;
    g_readEnd.store(fds[0]);
    g_writeEnd.store(fds[1]);
}

extern "C" void OnInterrupt(int) {
    InterruptSignal::Raise();
}

}  // namespace

void InterruptSignal::Install() {
    std::call_once(g_pipeOnce, MakePipe);
    std::call_once(g_handlerOnce, [] {
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        // No SA_RESTART: a prompt waiting for its answer returns from read() and can
        // give up. SA_RESETHAND: the second Ctrl+C has its default effect.
        action.sa_flags = SA_RESETHAND;
        ::sigaction(SIGINT, &action, nullptr);
    });
}

void InterruptSignal::Raise() {
    // Only async-signal-safe work here: an atomic store and a write.
    g_pending.store(true);
    const int fd = g_writeEnd.load();
    if (fd >= 0) {
        const char byte = 1;
        [[maybe_unused]] ssize_t n = ::write(fd, &byte, 1);
    }
}

bool InterruptSignal::Take() {
    const int fd = g_readEnd.load();
    if (fd >= 0) {
        char buffer[64];
        while (::read(fd, buffer, sizeof buffer) > 0) {
        }
    }
    return g_pending.exchange(false);
}

int InterruptSignal::WakeHandle() {
    std::call_once(g_pipeOnce, MakePipe);
    return g_readEnd.load();
}

}  // namespace framework::console
