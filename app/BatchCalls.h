#pragma once
// The outside operations the two batches call, gathered in one table so that tests can
// stand in for them: the six decoder operations of libvbmp3 (linked at load time) with
// its result query, the two file operations of a deletion, and the batches' pauses.
// The table starts out with the real functions; tests replace entries and put them back
// with ResetBatchCalls.
//
// Main thread only.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "libs/vbmp3/vbmp3.h"
#include "platform/Files.h"

namespace app {

struct BatchCalls {
    // libvbmp3.
    std::function<std::int32_t()> DecoderStartup = ::DecoderStartup;
    std::function<std::int32_t(const char*, Mp3StreamInfo*)> DecoderOpenInput = ::DecoderOpenInput;
    std::function<std::int32_t(const DecoderOptionBlock*)> DecoderSetOptions = ::DecoderSetOptions;
    std::function<std::int32_t()> DecoderCloseInput = ::DecoderCloseInput;
    std::function<std::int32_t(const char*)> DecoderBeginWavOutput = ::DecoderBeginWavOutput;
    std::function<std::int32_t(std::int32_t*)> DecoderPoll = ::DecoderPoll;
    std::function<std::int32_t()> DecoderLastResult = ::DecoderLastResult;
    // Files.
    std::function<bool(const std::string&)> SetAttributesNormal = platform::SetAttributesNormal;
    std::function<bool(const std::string&)> DeleteFile = platform::DeleteFile;
    // A pause of the main thread (only ever called with a positive count).
    std::function<void(std::int32_t)> Sleep = [](std::int32_t ms) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    };
};

inline BatchCalls& Calls() {
    static BatchCalls calls;
    return calls;
}

inline void ResetBatchCalls() {
    Calls() = BatchCalls{};
}

}  // namespace app
