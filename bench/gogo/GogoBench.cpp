// Library-level benchmark harness for libgogo.
//   gogo_bench make-wav <out.wav> <seconds>   writes a stereo 16-bit 44.1 kHz test signal
//   gogo_bench encode <in.wav> <out.mp3>      encodes it with the component's defaults
// The encode prints its wall time and the frame count to stdout.
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "libs/gogo/gogo.h"

namespace {

void Put16(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}

// Music-like material: a few drifting partials, a beat of noise bursts, and soft noise, so
// that the psychoacoustic model and the bit reservoir have real work to do.
int MakeWav(const char* path, int seconds) {
    const uint32_t rate = 44100;
    const uint64_t frames = static_cast<uint64_t>(rate) * static_cast<uint64_t>(seconds);
    FILE* f = std::fopen(path, "wb");
    if (!f) return 1;
    std::vector<uint8_t> h;
    h.insert(h.end(), {'R', 'I', 'F', 'F'});
    Put32(h, static_cast<uint32_t>(36 + frames * 4));
    h.insert(h.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(h, 16);
    Put16(h, 1);
    Put16(h, 2);
    Put32(h, rate);
    Put32(h, rate * 4);
    Put16(h, 4);
    Put16(h, 16);
    h.insert(h.end(), {'d', 'a', 't', 'a'});
    Put32(h, static_cast<uint32_t>(frames * 4));
    std::fwrite(h.data(), 1, h.size(), f);

    uint32_t seed = 12345;
    auto noise = [&] {
        seed = seed * 1664525u + 1013904223u;
        return (static_cast<int32_t>(seed >> 8) - (1 << 23)) / static_cast<double>(1 << 23);
    };
    const double pi = 3.14159265358979323846;
    double phase[6] = {};
    double lp = 0;
    std::vector<int16_t> buf;
    buf.reserve(2 * 65536);
    for (uint64_t i = 0; i < frames; ++i) {
        double t = static_cast<double>(i) / rate;
        double base = 110.0 * std::pow(2.0, std::floor(std::fmod(t * 2.0, 12.0)) / 12.0);
        double l = 0, r = 0;
        for (int k = 0; k < 6; ++k) {
            phase[k] += 2 * pi * base * (k + 1) * (1.0 + 0.001 * k) / rate;
            double a = 0.25 / (k + 1);
            l += a * std::sin(phase[k]);
            r += a * std::sin(phase[k] + 0.3 * k);
        }
        double beat = std::fmod(t, 0.5) < 0.05 ? 1.0 : 0.0;
        lp = 0.9 * lp + 0.1 * noise();
        double n = 0.05 * noise() + 0.4 * beat * lp;
        l += n;
        r += n * 0.9;
        buf.push_back(static_cast<int16_t>(std::lround(std::fmax(-1, std::fmin(1, l)) * 20000)));
        buf.push_back(static_cast<int16_t>(std::lround(std::fmax(-1, std::fmin(1, r)) * 20000)));
        if (buf.size() == buf.capacity()) {
            std::fwrite(buf.data(), 2, buf.size(), f);
            buf.clear();
        }
    }
    std::fwrite(buf.data(), 2, buf.size(), f);
    return std::fclose(f) == 0 ? 0 : 1;
}

int Encode(const char* in, const char* out) {
    auto start = std::chrono::steady_clock::now();
    if (MPGE_initializeWork() != GOGO_OK) return 1;
    // The codes the encoder component passes with its default properties.
    MPGE_setConfigure(MC_INPUTFILE, MC_INPDEV_FILE, reinterpret_cast<intptr_t>(in));
    MPGE_setConfigure(MC_OUTPUTFILE, 0, reinterpret_cast<intptr_t>(out));
    MPGE_setConfigure(MC_USEPSY, 0, 0);
    MPGE_setConfigure(MC_BITRATE, 128, 0);
    MPGE_setConfigure(MC_USELPF16, 0, 0);
    for (int code = MC_USEMMX; code <= MC_USEE3DNOW; ++code) MPGE_setConfigure(code, 1, 0);
    MPGE_setConfigure(MC_USESPC1, 0, 0);
    MPGE_setConfigure(MC_USESPC2, 0, 0);
    MPGE_setConfigure(MC_EMPHASIS, 0, 0);
    MPGE_setConfigure(MC_ENCODEMODE, 2, 0);
    MPGE_setConfigure(MC_CPU, 1, 0);
    MPGE_STATUS st = MPGE_detectConfigure();
    if (st != GOGO_OK) {
        std::fprintf(stderr, "detectConfigure: %d\n", st);
        return 1;
    }
    int32_t all = 0;
    MPGE_getConfigure(MC_GETFRAMES, &all);
    int32_t calls = 0;
    MPGE_STATUS r;
    do {
        r = MPGE_processFrame();
        ++calls;
    } while (r == 0);
    MPGE_closeCoder();
    MPGE_endCoder();
    double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (r != GOGO_END) {
        std::fprintf(stderr, "processFrame: %d\n", r);
        return 1;
    }
    std::printf("seconds %.3f frames %d calls %d\n", secs, all, calls);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "make-wav") == 0)
        return MakeWav(argv[2], std::atoi(argv[3]));
    if (argc == 4 && std::strcmp(argv[1], "encode") == 0) return Encode(argv[2], argv[3]);
    std::fprintf(stderr, "usage: %s make-wav <out.wav> <seconds> | encode <in.wav> <out.mp3>\n",
                 argv[0]);
    return 2;
}
