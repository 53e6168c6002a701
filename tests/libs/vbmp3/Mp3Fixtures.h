// Test material for libvbmp3: PCM signals, MP3 files made with libmp3lame or the lame
// command, tag bytes, a strict WAV reader, and the program's decoding call order.
#ifndef TOVANEK_TESTS_LIBS_VBMP3_MP3FIXTURES_H
#define TOVANEK_TESTS_LIBS_VBMP3_MP3FIXTURES_H

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "libs/vbmp3/vbmp3.h"

namespace vbmp3test {

using Bytes = std::vector<uint8_t>;

struct Pcm {
    int rate = 0;
    int channels = 0;
    std::vector<int16_t> samples;  // interleaved
    size_t Frames() const { return channels ? samples.size() / size_t(channels) : 0; }
};

// A tone per channel (440 Hz left, 660 Hz right) at half scale.
Pcm MakeTone(int rate, int channels, double seconds);

// Encodes with libmp3lame at a constant bit rate. With infoFrame, the LAME info frame is
// written back at the start so that decoders return exactly the input's sample count.
Bytes EncodeMp3(const Pcm& pcm, int kbps, bool infoFrame = true);
// Encodes through the lame command (for options the library does not offer, such as
// --freeformat); empty on failure.
Bytes EncodeWithLameCli(const Pcm& pcm, const std::string& options,
                        const std::filesystem::path& scratch);

Bytes Id3v2Tag();
Bytes Id3v1Tag();
// An APEv2 tag with header and footer; its binary item holds bytes that look like MPEG
// frame headers.
Bytes ApeTag();

Bytes WavBytes(const Pcm& pcm);
void WriteFile(const std::filesystem::path& path, const Bytes& bytes);
Bytes ReadFile(const std::filesystem::path& path);

struct Wav {
    bool valid = false;  // RIFF/WAVE with fmt and data chunks whose sizes match the file
    int formatTag = 0;
    int bits = 0;
    Pcm pcm;
};
Wav ReadWav(const std::filesystem::path& path);

// Correlation of the first channel of two signals over their common length.
double Correlation(const Pcm& a, const Pcm& b);

struct BatchRun {
    bool opened = false;
    bool begun = false;
    Mp3StreamInfo info{};
    std::vector<int32_t> positions;  // one per poll
    int32_t lastPercent = 0;
    int32_t result = -1;
};
// Close, open, options {0, 0, 44100}, close, open, begin, poll until 0, last result.
BatchRun RunBatch(const std::filesystem::path& mp3, const std::filesystem::path& wav);

// A fresh folder, removed with its content on destruction.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    // Names of the entries in the folder, sorted.
    std::vector<std::string> Entries() const;

  private:
    std::filesystem::path path_;
};

}  // namespace vbmp3test

#endif
