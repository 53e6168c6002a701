#include "libs/gogo/SampleConverter.h"

#include <cstring>

namespace gogo {
namespace {

inline float Sample(const uint8_t* p, uint16_t bits, bool isFloat) {
    switch (bits) {
        case 8:
            return (static_cast<float>(p[0]) - 128.0f) * 256.0f;
        case 16:
            return static_cast<float>(static_cast<int16_t>(p[0] | (p[1] << 8)));
        case 24: {
            int32_t v = static_cast<int32_t>(static_cast<uint32_t>(p[0]) << 8 |
                                             static_cast<uint32_t>(p[1]) << 16 |
                                             static_cast<uint32_t>(p[2]) << 24);
            return static_cast<float>(v) * (1.0f / 65536.0f);
        }
        default: {
            uint32_t u = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
            if (isFloat) {
                float f;
                std::memcpy(&f, &u, sizeof f);
                if (!(f >= -1.0f)) f = (f > 0.0f) ? 1.0f : (f == f ? -1.0f : 0.0f);
                if (f > 1.0f) f = 1.0f;
                return f * 32767.0f;
            }
            return static_cast<float>(static_cast<int32_t>(u)) * (1.0f / 65536.0f);
        }
    }
}

}  // namespace

void SampleConverter::ToPlanes(const uint8_t* in, size_t frames, const WavFormat& format,
                               float* left, float* right) {
    const size_t bytes = format.bitsPerSample / 8u;
    const uint16_t bits = format.bitsPerSample;
    const bool isFloat = format.isFloat;
    if (format.channels == 1) {
        for (size_t i = 0; i < frames; ++i, in += bytes) {
            left[i] = Sample(in, bits, isFloat);
        }
        return;
    }
    for (size_t i = 0; i < frames; ++i, in += 2 * bytes) {
        left[i] = Sample(in, bits, isFloat);
        right[i] = Sample(in + bytes, bits, isFloat);
    }
}

}  // namespace gogo
