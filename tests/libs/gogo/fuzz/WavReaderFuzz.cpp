// libFuzzer target for libgogo's WAV reader: the header parser and the sample conversion,
// over memory and, for the same bytes, over a file (the buffered file reader must agree).
#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "libs/gogo/FileSource.h"
#include "libs/gogo/MemorySource.h"
#include "libs/gogo/SampleConverter.h"
#include "libs/gogo/WavReader.h"

namespace {

#define FUZZ_CHECK(cond)               \
    do {                               \
        if (!(cond)) __builtin_trap(); \
    } while (0)

struct Outcome {
    MPGE_STATUS status;
    gogo::WavFormat format;
    uint64_t dataBytes;
    std::vector<float> firstSamples;
};

Outcome Parse(gogo::ByteSource& source) {
    Outcome out{};
    gogo::WavReader reader(source);
    out.status = reader.ReadHeader();
    if (out.status != GOGO_OK) return out;
    const gogo::WavFormat& f = reader.Format();
    out.format = f;
    out.dataBytes = reader.DataBytes();
    FUZZ_CHECK(f.channels == 1 || f.channels == 2);
    FUZZ_CHECK(f.blockAlign == f.channels * (f.bitsPerSample / 8));
    FUZZ_CHECK(!f.isFloat || f.bitsPerSample == 32);
    FUZZ_CHECK(reader.DataBytes() % f.blockAlign == 0);
    FUZZ_CHECK(source.Position() + reader.DataBytes() <= source.Size());

    const size_t blockFrames = 1152;
    std::vector<uint8_t> block(blockFrames * f.blockAlign);
    std::vector<float> left(blockFrames), right(blockFrames);
    uint64_t remaining = reader.FrameCount();
    while (remaining > 0) {
        size_t frames = remaining < blockFrames ? static_cast<size_t>(remaining) : blockFrames;
        int64_t n = source.Read(block.data(), frames * f.blockAlign);
        FUZZ_CHECK(n == static_cast<int64_t>(frames * f.blockAlign));
        gogo::SampleConverter::ToPlanes(block.data(), frames, f, left.data(), right.data());
        for (size_t i = 0; i < frames; ++i) {
            FUZZ_CHECK(std::isfinite(left[i]) && std::fabs(left[i]) <= 32768.0f);
            if (f.channels == 2)
                FUZZ_CHECK(std::isfinite(right[i]) && std::fabs(right[i]) <= 32768.0f);
            if (out.firstSamples.size() < 64) out.firstSamples.push_back(left[i]);
        }
        remaining -= frames;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    gogo::MemorySource memory(data, size);
    Outcome a = Parse(memory);

    int fd = memfd_create("wav", 0);
    if (fd < 0) return 0;
    size_t done = 0;
    while (done < size) {
        ssize_t n = write(fd, data + done, size - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    gogo::FileSource file;
    MPGE_STATUS opened = file.Open("/proc/self/fd/" + std::to_string(fd));
    close(fd);
    if (size == 0) {
        FUZZ_CHECK(opened == GOGO_ERR_INPUT_EMPTY);
        return 0;
    }
    FUZZ_CHECK(opened == GOGO_OK);
    Outcome b = Parse(file);
    FUZZ_CHECK(a.status == b.status);
    if (a.status == GOGO_OK) {
        FUZZ_CHECK(a.dataBytes == b.dataBytes);
        FUZZ_CHECK(a.format.channels == b.format.channels);
        FUZZ_CHECK(a.format.sampleRate == b.format.sampleRate);
        FUZZ_CHECK(a.firstSamples == b.firstSamples);
    }
    return 0;
}
