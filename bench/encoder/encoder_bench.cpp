// Harness for bench.sh.
//   encoder_bench gen SECONDS OUT.wav          writes a 44.1 kHz 16-bit stereo test signal
//   encoder_bench encode IN.wav OUT.mp3 idle|normal
// encode runs one file-mode encode through TGogoTea with its defaults, waiting the way an
// owner does (dispatching notifications, sleeping in WaitMessage), and prints
//   wall_s main_thread_cpu_s frames
// where the CPU time is the main thread's from Execute until IsEncoding drops.

#include <time.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "encoder/GogoTea.h"
#include "platform/Messages.h"

namespace {

double Seconds(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return static_cast<double>(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

void Put(std::ofstream& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((v >> (8 * i)) & 0xFF));
}

int Generate(double seconds, const char* path) {
    const std::uint32_t rate = 44100;
    const std::uint64_t frames = static_cast<std::uint64_t>(seconds * rate);
    std::ofstream out(path, std::ios::binary);
    out.write("RIFF", 4);
    Put(out, static_cast<std::uint32_t>(36 + frames * 4), 4);
    out.write("WAVEfmt ", 8);
    Put(out, 16, 4);
    Put(out, 1, 2);
    Put(out, 2, 2);
    Put(out, rate, 4);
    Put(out, rate * 4, 4);
    Put(out, 4, 2);
    Put(out, 16, 2);
    out.write("data", 4);
    Put(out, static_cast<std::uint32_t>(frames * 4), 4);
    // Tones that wander in pitch, plus some noise, so the encoder has real work to do.
    std::uint32_t noise = 12345;
    std::vector<std::int16_t> block;
    block.reserve(2 * 4096);
    double phaseL = 0, phaseR = 0;
    for (std::uint64_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        phaseL += 2 * M_PI * (440 + 200 * std::sin(0.3 * t)) / rate;
        phaseR += 2 * M_PI * (660 + 300 * std::sin(0.17 * t)) / rate;
        noise = noise * 1664525u + 1013904223u;
        const double n = (static_cast<double>(noise >> 8) / (1 << 24) - 0.5) * 0.1;
        block.push_back(static_cast<std::int16_t>(12000 * (std::sin(phaseL) + n)));
        block.push_back(static_cast<std::int16_t>(12000 * (std::sin(phaseR) - n)));
        if (block.size() == block.capacity() || i + 1 == frames) {
            out.write(reinterpret_cast<const char*>(block.data()),
                      static_cast<std::streamsize>(block.size() * 2));
            block.clear();
        }
    }
    return out ? 0 : 1;
}

int Encode(const char* in, const char* out, const std::string& priority) {
    encoder::TGogoTea tea;
    tea.SetPriority(priority == "idle" ? encoder::tpIdle : encoder::tpNormal);
    tea.SetSourceFile(in);
    tea.SetDestFile(out);
    std::int32_t errors = 0;
    tea.OnError = [&](encoder::TGogoTea*, std::int32_t) { ++errors; };

    const double wall0 = Seconds(CLOCK_MONOTONIC);
    tea.Execute();
    const double cpu0 = Seconds(CLOCK_THREAD_CPUTIME_ID);
    while (tea.IsEncoding()) {
        platform::Msg m;
        while (platform::PeekMessage(m, true)) platform::DispatchMessage(m);
        if (tea.IsEncoding()) platform::WaitMessage();
    }
    const double cpu = Seconds(CLOCK_THREAD_CPUTIME_ID) - cpu0;
    const double wall = Seconds(CLOCK_MONOTONIC) - wall0;
    std::printf("%.3f %.4f %d\n", wall, cpu, tea.AllFrames());
    return errors == 0 && tea.EncodeResult() == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc == 4 && std::strcmp(argv[1], "gen") == 0)
            return Generate(std::atof(argv[2]), argv[3]);
        if (argc == 5 && std::strcmp(argv[1], "encode") == 0)
            return Encode(argv[2], argv[3], argv[4]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::fprintf(stderr, "usage: %s gen SECONDS OUT.wav | encode IN.wav OUT.mp3 idle|normal\n",
                 argv[0]);
    return 2;
}
