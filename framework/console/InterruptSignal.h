#pragma once
// InterruptSignal: turns the terminal's interrupt (SIGINT, Ctrl+C) into something the
// main thread handles at its next round of events. The handler only stores a flag and
// writes one byte to a pipe that the renderer's wait watches; it also restores the
// default action, so a second Ctrl+C ends the process as usual.
//
// Install, Take and WakeHandle: main thread only. Raise: any thread, and signal
// handlers (async-signal-safe).

namespace framework::console {

class InterruptSignal {
  public:
    // Installs the handler once per process (later calls do nothing).
    static void Install();
    // True once per interrupt since the last call; drains the wake pipe.
    static bool Take();
    // Readable while an interrupt waits to be taken (-1 before the first Install or
    // Raise).
    static int WakeHandle();
    // What the handler does (tests use it to stand in for Ctrl+C).
    static void Raise();
};

}  // namespace framework::console
