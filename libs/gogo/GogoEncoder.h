// One encode of libgogo: the settings handed over by setting code, their check, and the
// frame steps over libmp3lame. The C entry points (Gogo.cpp) own the single instance and
// serialise every call to it, so one thread at a time uses it.
#pragma once

#include <lame/lame.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gogo.h"
#include "libs/gogo/FileSource.h"
#include "libs/gogo/OutputFile.h"
#include "libs/gogo/WavFormat.h"

namespace gogo {

class GogoEncoder {
  public:
    GogoEncoder();
    ~GogoEncoder();
    GogoEncoder(const GogoEncoder&) = delete;
    GogoEncoder& operator=(const GogoEncoder&) = delete;

    MPGE_STATUS SetConfigure(int32_t code, intptr_t value1, intptr_t value2);
    MPGE_STATUS GetConfigure(int32_t code, void* out) const;
    MPGE_STATUS DetectConfigure();
    MPGE_STATUS ProcessFrame();
    // Releases the encode (an unfinished output is removed); the settings stay.
    void Close();
    // True between the first frame step and the end, a failure or Close.
    bool StepsRunning() const { return state_ == State::Running; }

  private:
    enum class State { Configuring, Ready, Running, Finished };
    enum class InputKind { None, File, Memory };
    struct LameDeleter {
        void operator()(lame_global_flags* gf) const { lame_close(gf); }
    };

    MPGE_STATUS OpenInput();
    MPGE_STATUS CheckTags() const;
    MPGE_STATUS SetUpLame();
    MPGE_STATUS WriteHeader();
    int32_t ComputeAllFrames() const;
    int64_t ReadBlock(size_t frames);  // frames read, 0 at the end of the input, -1 on error
    MPGE_STATUS EncodeBlock(size_t frames);
    MPGE_STATUS Finish();
    MPGE_STATUS Fail(MPGE_STATUS status);
    void ReleaseEncode();

    // Settings.
    MPGE_STATUS settingError_ = GOGO_OK;
    InputKind inputKind_ = InputKind::None;
    std::string inputPath_;
    MPGE_MEMORY_INPUT memory_{};
    std::string outputPath_;
    int channelMode_ = 2;
    int bitRate_ = 128;
    bool usePsy_ = false;
    bool useLpf16_ = false;
    bool useMmx_ = true, use3dNow_ = true, useSse_ = true;
    bool useVbr_ = false;
    int vbrLevel_ = 5;
    int emphasis_ = 0;
    int outFormat_ = 0;
    bool vbrRangeSet_ = false;
    int vbrMin_ = 0, vbrMax_ = 0;
    bool extFilterSet_ = false;
    int extLow_ = 0, extHigh_ = 0;
    std::vector<uint8_t> id3_;
    std::vector<std::vector<uint8_t>> riffTags_;

    // The encode.
    State state_ = State::Configuring;
    MPGE_STATUS finalStatus_ = GOGO_OK;
    std::unique_ptr<FileSource> source_;
    WavFormat format_;
    bool lengthKnown_ = false;
    uint64_t totalFrames_ = 0;  // samples per channel of the input, when known
    uint64_t framesRead_ = 0;
    std::unique_ptr<lame_global_flags, LameDeleter> lame_;
    int outRate_ = 0;
    int samplesPerFrame_ = 1152;
    size_t blockFrames_ = 1152;
    int32_t allFrames_ = 0;
    int32_t steps_ = 0;
    bool inputEnded_ = false;
    bool flushed_ = false;
    OutputFile output_;
    uint64_t dataStart_ = 0;
    uint64_t factOffset_ = 0;
    uint64_t dataSizeOffset_ = 0;
    uint64_t avgBytesOffset_ = 0;
    std::vector<uint32_t> inBuffer_;  // uint32_t storage keeps 16-bit samples aligned
    std::vector<float> left_, right_;
    std::vector<uint8_t> mp3Buffer_;
};

}  // namespace gogo
