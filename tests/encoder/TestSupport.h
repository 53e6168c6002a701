#pragma once
// Helpers shared by the encoder tests: pumping the calling thread's queue the way an
// owner does, and recording the component's events as text.

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "encoder/GogoTea.h"
#include "platform/Messages.h"

namespace testsupport {

// Dispatches the calling thread's messages one at a time until `done` holds (tested
// after every message) or the timeout passes; sleeps in WaitMessageFor between messages.
inline bool PumpUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (done()) return true;
        platform::Msg m;
        if (platform::PeekMessage(m, true)) {
            platform::DispatchMessage(m);
            continue;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return done();
        platform::WaitMessageFor(std::min(left, std::chrono::milliseconds(50)));
    }
}

// Dispatches whatever arrives during `span`.
inline void PumpFor(std::chrono::milliseconds span) {
    PumpUntil([] { return false; }, span);
}

// The events of one component as text: "progress 0/4", "error 7", "finish true".
struct EventLog {
    std::vector<std::string> events;
    bool finished = false;  // any OnFinish seen

    void Attach(encoder::TGogoTea& t) {
        t.OnProgress = [this](encoder::TGogoTea*, std::int32_t now, std::int32_t all) {
            events.push_back("progress " + std::to_string(now) + "/" + std::to_string(all));
        };
        t.OnError = [this](encoder::TGogoTea*, std::int32_t code) {
            events.push_back("error " + std::to_string(code));
        };
        t.OnFinish = [this](encoder::TGogoTea*, bool aborted) {
            events.push_back(std::string("finish ") + (aborted ? "true" : "false"));
            finished = true;
        };
    }
    std::size_t Count(const std::string& e) const {
        std::size_t n = 0;
        for (const auto& x : events) n += x == e;
        return n;
    }
};

}  // namespace testsupport
