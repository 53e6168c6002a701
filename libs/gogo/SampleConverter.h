// Turns interleaved little-endian PCM of any accepted layout into the two float planes LAME
// takes (full scale = +-32768). Stateless; any thread.
#pragma once

#include <cstddef>
#include <cstdint>

#include "libs/gogo/WavFormat.h"

namespace gogo {

class SampleConverter {
  public:
    // Converts `frames` sample frames of `in`. `right` receives the second channel and is
    // not touched for mono. Float samples are clamped to +-1 (NaN becomes 0) first.
    static void ToPlanes(const uint8_t* in, size_t frames, const WavFormat& format, float* left,
                         float* right);
};

}  // namespace gogo
