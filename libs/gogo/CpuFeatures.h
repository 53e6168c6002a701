// What the processor offers, in the GOGO_UNIT_* bits of gogo.h, read with cpuid.
// Stateless; any thread.
#pragma once

#include <cstdint>

namespace gogo {

class CpuFeatures {
  public:
    static uint32_t UnitBits();
};

}  // namespace gogo
