// Mp3Decoder: the state behind the library's operations: one input, the options, one WAV
// output at a time and the outcome of the last output.
//
// Not thread-safe by itself: the C entry points serialise every call with a mutex. The
// program drives it from its main thread.
#ifndef TOVANEK_LIBS_VBMP3_MP3DECODER_H
#define TOVANEK_LIBS_VBMP3_MP3DECODER_H

#include <mpg123.h>

#include <cstdint>
#include <memory>
#include <string>

#include "libs/vbmp3/Mp3InputFile.h"
#include "libs/vbmp3/WavFileWriter.h"
#include "libs/vbmp3/vbmp3.h"

class Mp3Decoder {
  public:
    Mp3Decoder();
    ~Mp3Decoder();
    Mp3Decoder(const Mp3Decoder&) = delete;
    Mp3Decoder& operator=(const Mp3Decoder&) = delete;

    // The operations of vbmp3.h, with the same meaning.
    void Reset();
    bool Open(const char* path, Mp3StreamInfo* info);
    bool SetOptions(const DecoderOptionBlock& options);
    void Close();
    bool BeginWavOutput(const char* path);
    bool Poll(int32_t* position);
    int32_t LastResult() const { return lastResult_; }

  private:
    struct HandleDeleter {
        void operator()(mpg123_handle* h) const { mpg123_delete(h); }
    };
    using Handle = std::unique_ptr<mpg123_handle, HandleDeleter>;

    // A handle reading input_ from its start that may put out only 16-bit samples at
    // rate (0: any rate) with the given mpg123 channel flags; forceRate resamples.
    Handle OpenHandle(long rate, int channelFlags, bool forceRate);
    // Fills the source fields of info_ and checks that real frames decode.
    bool Probe();
    // Opens the decoding handle for the output format in info_.
    bool OpenDecoding();
    void EndOutput(int32_t result);
    int32_t CurrentPosition() const;

    DecoderOptionBlock options_;
    std::string path_;
    std::unique_ptr<Mp3InputFile> input_;
    Handle handle_;
    Mp3StreamInfo info_;
    int unitShift_ = 0;
    bool consumed_ = false;  // the decoding handle has been used by an output
    WavFileWriter writer_;
    bool outputActive_ = false;
    int32_t lastResult_ = VBMP3_RESULT_NONE;
    int32_t lastPosition_ = 0;
};

#endif
