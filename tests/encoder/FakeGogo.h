#pragma once
// Control side of the stand-in encoder library (libfakegogo.so): the nine entry points
// record every call with its arguments, and their results follow a script the test sets.
// Tests link the library and bind it by name, so the loader's dlopen returns this very
// instance. Any thread; the log is guarded by a lock.

#include <cstdint>
#include <string>
#include <vector>

namespace fakegogo {

struct Call {
    std::string name;  // entry point without the MPGE_ prefix: "setConfigure", ...
    std::int32_t code = 0;
    std::intptr_t value1 = 0;
    std::intptr_t value2 = 0;
    std::string text;             // codes 1 (file) and 2: the path; 16 and 27: the bytes
    std::uint16_t fpuWord = 0;    // processFrame, closeCoder, endCoder: x87 control word
    std::uint64_t threadTag = 0;  // a number per calling thread
    int schedPolicy = -1;         // processFrame: the calling thread's scheduling policy
    int nice = 0;                 // processFrame: the calling thread's nice value
};

// A frame step that throws instead of returning.
inline constexpr std::int32_t kThrow = 0x7FFFFFFF;

// Puts every script back to its default: all statuses 0, version 0x0000 "fake",
// unit bits 0x2E, 1000 frames, frames end with 1 at the first call, no delay.
void Reset();
std::vector<Call> Log();
void ClearLog();
// Only the setConfigure calls, as (code, value1, value2).
std::vector<std::vector<std::intptr_t>> SettingCodes();
std::uint64_t CurrentThreadTag();

void SetVersion(std::uint32_t code, const std::string& text, std::int32_t status = 0);
void SetUnits(std::uint32_t bits, std::int32_t status = 0);
void SetInitializeStatus(std::int32_t status);
void SetDetectStatus(std::int32_t status);  // kThrow throws
void SetAllFrames(std::int32_t frames);
// Results of successive processFrame calls; after the script `after` repeats.
void SetFrames(const std::vector<std::int32_t>& script, std::int32_t after);
void SetFrameDelayMicroseconds(std::int32_t us);
// Memory mode: each frame step pulls this many bytes through the input function and ends
// (returns 1) when it reports no more input. Total bytes pulled so far:
std::int64_t MemoryBytesPulled();
std::vector<std::uint8_t> MemoryData();  // everything pulled, in order
std::int32_t FrameCalls();

}  // namespace fakegogo
