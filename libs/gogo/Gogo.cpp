// The nine C entry points of libgogo. They own the process's single encoder, serialise all
// calls with one lock and turn every C++ exception into a status.
#include <lame/lame.h>

#include <cstdio>
#include <memory>
#include <mutex>
#include <new>

#include "gogo.h"
#include "libs/gogo/CpuFeatures.h"
#include "libs/gogo/GogoEncoder.h"
#include "libs/gogo/GogoTestHooks.h"
#include "libs/gogo/OutputFile.h"

namespace {

std::mutex g_lock;
std::unique_ptr<gogo::GogoEncoder> g_encoder;
// Set while this thread is inside the library, so that a memory-input function calling
// back into it gets GOGO_ERR_BUSY instead of a deadlock.
thread_local bool t_inside = false;

template <class Body>
MPGE_STATUS Guarded(Body body) noexcept {
    if (t_inside) return GOGO_ERR_BUSY;
    try {
        std::lock_guard<std::mutex> hold(g_lock);
        t_inside = true;
        struct Leave {
            ~Leave() { t_inside = false; }
        } leave;
        return body();
    } catch (const std::bad_alloc&) {
        return GOGO_ERR_OUT_OF_MEMORY;
    } catch (...) {
        return GOGO_ERR_INTERNAL;
    }
}

}  // namespace

extern "C" {

GOGO_API MPGE_STATUS MPGE_initializeWork(void) {
    return Guarded([] {
        if (g_encoder && g_encoder->StepsRunning()) return GOGO_ERR_BUSY;
        g_encoder.reset();
        g_encoder = std::make_unique<gogo::GogoEncoder>();
        return GOGO_OK;
    });
}

GOGO_API MPGE_STATUS MPGE_setConfigure(int32_t code, intptr_t value1, intptr_t value2) {
    return Guarded([=] {
        if (!g_encoder) return GOGO_ERR_NOT_READY;
        return g_encoder->SetConfigure(code, value1, value2);
    });
}

GOGO_API MPGE_STATUS MPGE_getConfigure(int32_t code, void* out) {
    return Guarded([=] {
        if (!g_encoder) return GOGO_ERR_NOT_READY;
        return g_encoder->GetConfigure(code, out);
    });
}

GOGO_API MPGE_STATUS MPGE_detectConfigure(void) {
    return Guarded([] {
        if (!g_encoder) return GOGO_ERR_NOT_READY;
        return g_encoder->DetectConfigure();
    });
}

GOGO_API MPGE_STATUS MPGE_processFrame(void) {
    return Guarded([] {
        if (!g_encoder) return GOGO_ERR_NOT_READY;
        return g_encoder->ProcessFrame();
    });
}

GOGO_API MPGE_STATUS MPGE_closeCoder(void) {
    return Guarded([] {
        if (g_encoder) g_encoder->Close();
        return GOGO_OK;
    });
}

GOGO_API MPGE_STATUS MPGE_endCoder(void) {
    return Guarded([] {
        g_encoder.reset();
        return GOGO_OK;
    });
}

GOGO_API MPGE_STATUS MPGE_getUnitStates(uint32_t* unit) {
    if (unit == nullptr) return GOGO_ERR_BAD_VALUE;
    *unit = gogo::CpuFeatures::UnitBits();
    return GOGO_OK;
}

GOGO_API MPGE_STATUS MPGE_getVersion(uint32_t* code, char* text) {
    if (code == nullptr || text == nullptr) return GOGO_ERR_BAD_VALUE;
    *code = GOGO_VERSION_CODE;
    const char* lame = get_lame_version();
    std::snprintf(text, 512, "libgogo 1.0 (LAME %s)", lame ? lame : "?");
    return GOGO_OK;
}

GOGO_API void gogo_testFailWritesAfter(int64_t bytes) {
    gogo::OutputFile::failAfterBytes.store(bytes < 0 ? -1 : bytes);
}

}  // extern "C"
