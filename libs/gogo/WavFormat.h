// The PCM layout of an input: what the reader found in a WAV file, or what the memory-input
// record says. Plain data; any thread.
#pragma once

#include <cstdint>

namespace gogo {

struct WavFormat {
    uint16_t channels = 0;       // 1 or 2
    uint32_t sampleRate = 0;     // Hz
    uint16_t bitsPerSample = 0;  // container bits: 8, 16, 24 or 32
    uint16_t blockAlign = 0;     // channels * bitsPerSample / 8
    bool isFloat = false;        // 32-bit IEEE float samples
};

}  // namespace gogo
