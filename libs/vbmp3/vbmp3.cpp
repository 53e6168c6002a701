// The C entry points of libvbmp3: one decoder per process behind a mutex. No C++
// exception leaves the library: each entry point turns one into its failure result.
#include "libs/vbmp3/vbmp3.h"

#include <mutex>

#include "libs/vbmp3/Mp3Decoder.h"

namespace {

std::mutex& Lock() {
    static std::mutex mutex;
    return mutex;
}

Mp3Decoder& Decoder() {
    static Mp3Decoder decoder;
    return decoder;
}

template <typename F>
int32_t Guarded(int32_t onFailure, F&& body) {
    try {
        std::lock_guard<std::mutex> lock(Lock());
        return body(Decoder());
    } catch (...) {
        return onFailure;
    }
}

}  // namespace

extern "C" {

int32_t DecoderStartup(void) {
    return Guarded(1, [](Mp3Decoder& d) {
        d.Reset();
        return 1;
    });
}

int32_t DecoderOpenInput(const char* path, Mp3StreamInfo* info) {
    return Guarded(0, [&](Mp3Decoder& d) -> int32_t {
        try {
            return d.Open(path, info) ? 1 : 0;
        } catch (...) {
            d.Close();
            throw;
        }
    });
}

int32_t DecoderSetOptions(const DecoderOptionBlock* options) {
    return Guarded(0, [&](Mp3Decoder& d) -> int32_t {
        return options != nullptr && d.SetOptions(*options) ? 1 : 0;
    });
}

int32_t DecoderCloseInput(void) {
    return Guarded(1, [](Mp3Decoder& d) {
        d.Close();
        return 1;
    });
}

int32_t DecoderBeginWavOutput(const char* path) {
    return Guarded(0, [&](Mp3Decoder& d) -> int32_t { return d.BeginWavOutput(path) ? 1 : 0; });
}

int32_t DecoderPoll(int32_t* position) {
    return Guarded(0, [&](Mp3Decoder& d) -> int32_t {
        try {
            return d.Poll(position) ? 1 : 0;
        } catch (...) {
            // A failure inside a poll ends the output as not completed.
            d.Close();
            throw;
        }
    });
}

int32_t DecoderLastResult(void) {
    return Guarded(VBMP3_RESULT_NONE, [](Mp3Decoder& d) { return d.LastResult(); });
}

}  // extern "C"
