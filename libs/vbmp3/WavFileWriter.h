// WavFileWriter: writes a 16-bit PCM WAV file so that it appears at its destination only
// when it is complete.
//
// The samples go to a temporary file ".<name>.XXXXXX.part" in the destination's folder
// through a 256 KiB buffer. Finish patches the header sizes, flushes the file to disk and
// renames it into place; Discard (or destruction before Finish) removes the temporary.
// Any write failure (disk full, I/O error, a size beyond what a WAV header can hold) makes
// the writer failed: later Appends do nothing and Finish reports false. Used by one thread
// at a time.
#ifndef TOVANEK_LIBS_VBMP3_WAVFILEWRITER_H
#define TOVANEK_LIBS_VBMP3_WAVFILEWRITER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class WavFileWriter {
  public:
    WavFileWriter() = default;
    ~WavFileWriter();
    WavFileWriter(const WavFileWriter&) = delete;
    WavFileWriter& operator=(const WavFileWriter&) = delete;

    // Creates the temporary file beside destination; false when it cannot be created.
    bool Begin(const std::string& destination, int sampleRate, int channels);
    // Adds interleaved 16-bit samples; false once the writer has failed.
    bool Append(const void* data, size_t bytes);
    // Completes the file and moves it to the destination; false when anything failed
    // (then nothing is left at the destination by this writer).
    bool Finish();
    // Removes the temporary file, if any.
    void Discard();

    bool Failed() const { return failed_; }

  private:
    bool Flush();
    bool WriteAll(const void* data, size_t bytes, int64_t offset);

    int fd_ = -1;
    std::string destination_;
    std::string temporary_;
    int sampleRate_ = 0;
    int channels_ = 0;
    std::vector<unsigned char> buffer_;
    size_t bufferUsed_ = 0;
    int64_t dataBytes_ = 0;  // sample bytes accepted so far
    int64_t fileOffset_ = 0;
    bool failed_ = false;
};

#endif
