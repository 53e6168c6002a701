// Decodes one MP3 file to a WAV file through libvbmp3 in the program's call order and
// prints the wall time, the number of polls and the outcome.
//   vbmp3_bench IN.mp3 OUT.wav
#include <chrono>
#include <cstdio>

#include "libs/vbmp3/vbmp3.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s IN.mp3 OUT.wav\n", argv[0]);
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    DecoderStartup();
    Mp3StreamInfo info{};
    DecoderCloseInput();
    if (!DecoderOpenInput(argv[1], &info)) {
        std::fprintf(stderr, "%s File Open Error!!\n", argv[1]);
        return 1;
    }
    const DecoderOptionBlock options{0, 0, 44100};
    DecoderSetOptions(&options);
    DecoderCloseInput();
    if (!DecoderOpenInput(argv[1], &info)) {
        std::fprintf(stderr, "%s File Open Error!!\n", argv[1]);
        return 1;
    }
    if (!DecoderBeginWavOutput(argv[2])) {
        std::fprintf(stderr, "%s Decode Error!!\n", argv[1]);
        return 1;
    }
    int32_t position = 0;
    long polls = 0;
    int32_t percent = 0;
    bool more = true;
    while (more) {
        more = DecoderPoll(&position) != 0;
        ++polls;
        if (info.TotalLength > 0) {
            percent = position * 100 / info.TotalLength;
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const int32_t result = DecoderLastResult();
    std::printf("seconds %.3f polls %ld percent %d result %d rate %d channels %d\n", seconds, polls,
                percent, result, info.outputSampleRate, info.outputChannels);
    return result == VBMP3_RESULT_COMPLETE ? 0 : 1;
}
