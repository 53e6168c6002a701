// Builds WAV files of any layout for the tests, with knobs to break their headers.
// Test thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gogotest {

struct WavSpec {
    uint16_t formatTag = 1;  // 1 PCM, 3 float, 0xFFFE extensible, anything else
    uint16_t subFormat = 1;  // for extensible: 1 PCM, 3 float
    uint16_t channels = 2;
    uint32_t sampleRate = 44100;
    uint16_t bits = 16;
    int blockAlign = -1;    // -1: channels * bits / 8
    int fmtSize = -1;       // -1: 16, 18 for float, 40 for extensible
    int64_t dataSize = -1;  // -1: the real size; otherwise written as given
    bool secondFmt = false;
    bool dataBeforeFmt = false;
    std::vector<uint8_t> chunksBeforeData;  // raw extra chunks between fmt and data
};

// `samples` holds per-channel interleaved values in -1..1.
std::vector<uint8_t> BuildWav(const WavSpec& desc, const std::vector<float>& samples);
// A sine of `hz` on the left channel and a quieter one of 1.5 x `hz` on the right, so that
// swapped or mixed channels show; `frames` long.
std::vector<float> Sine(uint32_t frames, uint16_t channels, uint32_t rate, double hz = 1000.0,
                        double amplitude = 0.5);
void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadFile(const std::string& path);
// A complete RIFF chunk with id and payload (pad byte added for odd payloads).
std::vector<uint8_t> Chunk(const char* id, const std::vector<uint8_t>& payload);

}  // namespace gogotest
