// Stand-in for libgogo in the tests: records every call, answers from a script.
// Built twice: libfakegogo.so with all nine entry points, and libfakegogo_nover.so without
// MPGE_getVersion (FAKE_GOGO_OMIT_GETVERSION).

#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "libs/gogo/gogo.h"
#include "tests/encoder/FakeGogo.h"

namespace fakegogo {
namespace {

constexpr std::int32_t kMemoryFrameBytes = 4608;  // 1152 stereo 16-bit samples

struct State {
    std::mutex lock;
    std::vector<Call> log;
    std::uint32_t versionCode = 0;
    std::string versionText = "fake";
    std::int32_t versionStatus = 0;
    std::uint32_t units = 0x2E;
    std::int32_t unitStatus = 0;
    std::int32_t initStatus = 0;
    std::int32_t detectStatus = 0;
    std::int32_t allFrames = 1000;
    std::vector<std::int32_t> frames;
    std::int32_t after = 1;
    std::size_t next = 0;
    std::int32_t delayUs = 0;
    bool memory = false;
    MPGE_INPUT_PROC proc = nullptr;
    std::vector<std::uint8_t> pulled;
    std::int32_t frameCalls = 0;
};

State& S() {
    static State s;
    return s;
}

std::uint16_t FpuWord() {
#if defined(__i386__) || defined(__x86_64__)
    std::uint16_t word = 0;
    asm volatile("fnstcw %0" : "=m"(word));
    return word;
#else
    return 0x037F;
#endif
}

std::uint64_t Tag() {
    return std::hash<std::thread::id>()(std::this_thread::get_id());
}

void Record(Call c) {
    c.threadTag = Tag();
    std::lock_guard g(S().lock);
    S().log.push_back(std::move(c));
}

void RecordPlain(const char* name, bool fpu = false) {
    Call c;
    c.name = name;
    if (fpu) {
        c.fpuWord = FpuWord();
        c.schedPolicy = ::sched_getscheduler(0);
        c.nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()));
    }
    Record(std::move(c));
}

}  // namespace

void Reset() {
    State& s = S();
    std::lock_guard g(s.lock);
    s.log.clear();
    s.versionCode = 0;
    s.versionText = "fake";
    s.versionStatus = 0;
    s.units = 0x2E;
    s.unitStatus = 0;
    s.initStatus = 0;
    s.detectStatus = 0;
    s.allFrames = 1000;
    s.frames.clear();
    s.after = 1;
    s.next = 0;
    s.delayUs = 0;
    s.memory = false;
    s.proc = nullptr;
    s.pulled.clear();
    s.frameCalls = 0;
}

std::vector<Call> Log() {
    std::lock_guard g(S().lock);
    return S().log;
}

void ClearLog() {
    std::lock_guard g(S().lock);
    S().log.clear();
}

std::vector<std::vector<std::intptr_t>> SettingCodes() {
    std::vector<std::vector<std::intptr_t>> out;
    for (const Call& c : Log())
        if (c.name == "setConfigure") out.push_back({c.code, c.value1, c.value2});
    return out;
}

std::uint64_t CurrentThreadTag() {
    return Tag();
}

void SetVersion(std::uint32_t code, const std::string& text, std::int32_t status) {
    std::lock_guard g(S().lock);
    S().versionCode = code;
    S().versionText = text;
    S().versionStatus = status;
}

void SetUnits(std::uint32_t bits, std::int32_t status) {
    std::lock_guard g(S().lock);
    S().units = bits;
    S().unitStatus = status;
}

void SetInitializeStatus(std::int32_t status) {
    std::lock_guard g(S().lock);
    S().initStatus = status;
}

void SetDetectStatus(std::int32_t status) {
    std::lock_guard g(S().lock);
    S().detectStatus = status;
}

void SetAllFrames(std::int32_t frames) {
    std::lock_guard g(S().lock);
    S().allFrames = frames;
}

void SetFrames(const std::vector<std::int32_t>& script, std::int32_t after) {
    std::lock_guard g(S().lock);
    S().frames = script;
    S().after = after;
    S().next = 0;
}

void SetFrameDelayMicroseconds(std::int32_t us) {
    std::lock_guard g(S().lock);
    S().delayUs = us;
}

std::int64_t MemoryBytesPulled() {
    std::lock_guard g(S().lock);
    return static_cast<std::int64_t>(S().pulled.size());
}

std::vector<std::uint8_t> MemoryData() {
    std::lock_guard g(S().lock);
    return S().pulled;
}

std::int32_t FrameCalls() {
    std::lock_guard g(S().lock);
    return S().frameCalls;
}

}  // namespace fakegogo

using namespace fakegogo;

extern "C" {

MPGE_STATUS MPGE_initializeWork(void) {
    RecordPlain("initializeWork");
    std::lock_guard g(S().lock);
    S().memory = false;
    S().proc = nullptr;
    return S().initStatus;
}

MPGE_STATUS MPGE_setConfigure(int32_t code, intptr_t value1, intptr_t value2) {
    Call c;
    c.name = "setConfigure";
    c.code = code;
    c.value1 = value1;
    c.value2 = value2;
    if ((code == 1 && value1 == 0) || code == 2) {
        c.text = reinterpret_cast<const char*>(value2);
    } else if (code == 1 && value1 == 2) {
        const auto* rec = reinterpret_cast<const MPGE_MEMORY_INPUT*>(value2);
        c.text = std::to_string(rec->total_length) + "," + std::to_string(rec->bits_per_sample) +
                 "," + std::to_string(rec->samples_per_second) + "," +
                 std::to_string(rec->channels);
        std::lock_guard g(S().lock);
        S().memory = true;
        S().proc = rec->proc;
    } else if (code == 16 || code == 27) {
        c.text.assign(reinterpret_cast<const char*>(value2), static_cast<std::size_t>(value1));
    }
    Record(std::move(c));
    return 0;
}

MPGE_STATUS MPGE_getConfigure(int32_t code, void* out) {
    Call c;
    c.name = "getConfigure";
    c.code = code;
    Record(std::move(c));
    std::lock_guard g(S().lock);
    if (code == 15) *static_cast<int32_t*>(out) = S().allFrames;
    return 0;
}

MPGE_STATUS MPGE_detectConfigure(void) {
    RecordPlain("detectConfigure");
    std::int32_t status;
    {
        std::lock_guard g(S().lock);
        status = S().detectStatus;
    }
    if (status == kThrow) throw std::runtime_error("detect failed");
    return status;
}

MPGE_STATUS MPGE_processFrame(void) {
    RecordPlain("processFrame", true);
    std::int32_t delay;
    MPGE_INPUT_PROC proc = nullptr;
    std::int32_t r;
    {
        std::lock_guard g(S().lock);
        State& s = S();
        ++s.frameCalls;
        delay = s.delayUs;
        if (s.memory) {
            proc = s.proc;
            r = 0;
        } else {
            r = s.next < s.frames.size() ? s.frames[s.next++] : s.after;
        }
    }
    if (delay > 0) std::this_thread::sleep_for(std::chrono::microseconds(delay));
    if (proc != nullptr) {
        std::vector<std::uint8_t> buf(kMemoryFrameBytes, 0xAA);
        const int32_t more = proc(buf.data(), kMemoryFrameBytes);
        if (more != 0) return 1;
        std::lock_guard g(S().lock);
        S().pulled.insert(S().pulled.end(), buf.begin(), buf.end());
        return 0;
    }
    if (r == kThrow) throw std::runtime_error("frame failed");
    return r;
}

MPGE_STATUS MPGE_closeCoder(void) {
    RecordPlain("closeCoder", true);
    return 0;
}

MPGE_STATUS MPGE_endCoder(void) {
    RecordPlain("endCoder", true);
    return 0;
}

MPGE_STATUS MPGE_getUnitStates(uint32_t* unit) {
    RecordPlain("getUnitStates");
    std::lock_guard g(S().lock);
    *unit = S().units;
    return S().unitStatus;
}

#ifndef FAKE_GOGO_OMIT_GETVERSION
MPGE_STATUS MPGE_getVersion(uint32_t* code, char* text) {
    RecordPlain("getVersion");
    std::lock_guard g(S().lock);
    *code = S().versionCode;
    std::snprintf(text, 512, "%s", S().versionText.c_str());
    return S().versionStatus;
}
#endif

}  // extern "C"
