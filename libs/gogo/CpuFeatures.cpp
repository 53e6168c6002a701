#include "libs/gogo/CpuFeatures.h"

#include "gogo.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace gogo {

uint32_t CpuFeatures::UnitBits() {
    uint32_t bits = 0;
#if defined(__i386__) || defined(__x86_64__)
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (__get_cpuid(1, &a, &b, &c, &d)) {
        if (d & (1u << 0)) bits |= GOGO_UNIT_FPU;
        if (d & (1u << 23)) bits |= GOGO_UNIT_MMX;
        if (d & (1u << 25)) bits |= GOGO_UNIT_SSE;
        if (d & (1u << 26)) bits |= GOGO_UNIT_SSE2;
    }
    if (__get_cpuid(0x80000001u, &a, &b, &c, &d)) {
        if (d & (1u << 31)) bits |= GOGO_UNIT_3DNOW;
        if (d & (1u << 30)) bits |= GOGO_UNIT_EXT3DNOW;
    }
#endif
    return bits;
}

}  // namespace gogo
