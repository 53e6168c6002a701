#include "WavBuilder.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace gogotest {
namespace {

void Put16(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}
void PutId(std::vector<uint8_t>& v, const char* id) {
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(id[i]));
}

std::vector<uint8_t> FmtChunk(const WavSpec& s) {
    int size = s.fmtSize;
    if (size < 0) size = s.formatTag == 0xFFFE ? 40 : (s.formatTag == 3 ? 18 : 16);
    int align = s.blockAlign >= 0 ? s.blockAlign : s.channels * (s.bits / 8);
    std::vector<uint8_t> body;
    Put16(body, s.formatTag);
    Put16(body, s.channels);
    Put32(body, s.sampleRate);
    Put32(body, static_cast<uint32_t>(s.sampleRate * static_cast<uint32_t>(align)));
    Put16(body, static_cast<uint32_t>(align));
    Put16(body, s.bits);
    if (size >= 18) Put16(body, s.formatTag == 0xFFFE ? 22 : 0);
    if (s.formatTag == 0xFFFE && size >= 40) {
        Put16(body, s.bits);                     // valid bits
        Put32(body, s.channels == 1 ? 4u : 3u);  // channel mask
        Put16(body, s.subFormat);
        const uint8_t tail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                  0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
        body.insert(body.end(), tail, tail + 14);
    }
    body.resize(static_cast<size_t>(size), 0);
    return Chunk("fmt ", body);
}

}  // namespace

std::vector<uint8_t> Chunk(const char* id, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> v;
    PutId(v, id);
    Put32(v, static_cast<uint32_t>(payload.size()));
    v.insert(v.end(), payload.begin(), payload.end());
    if (payload.size() & 1u) v.push_back(0);
    return v;
}

std::vector<uint8_t> BuildWav(const WavSpec& s, const std::vector<float>& samples) {
    const uint16_t fmtTag = s.formatTag == 0xFFFE ? s.subFormat : s.formatTag;
    std::vector<uint8_t> pcm;
    for (float f : samples) {
        if (fmtTag == 3) {
            uint32_t u;
            std::memcpy(&u, &f, 4);
            Put32(pcm, u);
            continue;
        }
        double x = std::fmax(-1.0, std::fmin(1.0, f));
        switch (s.bits) {
            case 8:
                pcm.push_back(static_cast<uint8_t>(std::lround(x * 127.0) + 128));
                break;
            case 16:
                Put16(pcm, static_cast<uint32_t>(static_cast<int32_t>(std::lround(x * 32767.0))));
                break;
            case 24: {
                auto v = static_cast<uint32_t>(static_cast<int32_t>(std::lround(x * 8388607.0)));
                pcm.push_back(static_cast<uint8_t>(v));
                pcm.push_back(static_cast<uint8_t>(v >> 8));
                pcm.push_back(static_cast<uint8_t>(v >> 16));
                break;
            }
            default:
                Put32(pcm, static_cast<uint32_t>(
                               static_cast<int32_t>(std::llround(x * 2147483647.0 * 0.999))));
                break;
        }
    }
    std::vector<uint8_t> data;
    PutId(data, "data");
    Put32(data,
          s.dataSize >= 0 ? static_cast<uint32_t>(s.dataSize) : static_cast<uint32_t>(pcm.size()));
    data.insert(data.end(), pcm.begin(), pcm.end());

    std::vector<uint8_t> body;
    PutId(body, "WAVE");
    std::vector<uint8_t> fmt = FmtChunk(s);
    if (s.dataBeforeFmt) body.insert(body.end(), data.begin(), data.end());
    body.insert(body.end(), fmt.begin(), fmt.end());
    if (s.secondFmt) body.insert(body.end(), fmt.begin(), fmt.end());
    body.insert(body.end(), s.chunksBeforeData.begin(), s.chunksBeforeData.end());
    if (!s.dataBeforeFmt) body.insert(body.end(), data.begin(), data.end());

    std::vector<uint8_t> file;
    PutId(file, "RIFF");
    Put32(file, static_cast<uint32_t>(body.size()));
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

std::vector<float> Sine(uint32_t frames, uint16_t channels, uint32_t rate, double hz,
                        double amplitude) {
    std::vector<float> v;
    v.reserve(static_cast<size_t>(frames) * channels);
    const double pi = 3.14159265358979323846;
    for (uint32_t i = 0; i < frames; ++i) {
        double x = amplitude * std::sin(2.0 * pi * hz * i / rate);
        double y = 0.8 * amplitude * std::sin(2.0 * pi * hz * 1.5 * i / rate);
        for (uint16_t c = 0; c < channels; ++c) v.push_back(static_cast<float>(c ? y : x));
    }
    return v;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace gogotest
