#include "libs/vbmp3/Mp3Decoder.h"

#include <algorithm>
#include <cstring>

namespace {

// Frames decoded per poll: about 1.5 s of audio at 44.1 kHz, a few milliseconds of work.
constexpr int kFramesPerPoll = 64;
// A file is accepted once this many frames decode back to back, each starting where the
// previous one ended, among the first kMaxProbeFrames frames; or when a shorter stream
// ends with all of its frames back to back.
constexpr int kProbeRun = 3;
constexpr int kMaxProbeFrames = 64;
// The largest TotalLength: position * 100 must fit in a signed 32-bit integer.
constexpr int64_t kMaxTotalLength = INT32_MAX / 100;

constexpr DecoderOptionBlock kDefaultOptions{0, 0, 44100};

ssize_t ReadCallback(void* input, void* dst, size_t count) {
    return static_cast<Mp3InputFile*>(input)->Read(dst, count);
}

off_t SeekCallback(void* input, off_t offset, int whence) {
    return static_cast<Mp3InputFile*>(input)->Seek(offset, whence);
}

int32_t VersionCode(int version) {
    switch (version) {
        case MPG123_1_0:
            return 10;
        case MPG123_2_0:
            return 20;
        case MPG123_2_5:
            return 25;
        default:
            return 0;
    }
}

}  // namespace

Mp3Decoder::Mp3Decoder() : options_(kDefaultOptions), info_{} {}

Mp3Decoder::~Mp3Decoder() {
    Close();
}

void Mp3Decoder::Reset() {
    Close();
    options_ = kDefaultOptions;
    lastResult_ = VBMP3_RESULT_NONE;
    lastPosition_ = 0;
}

bool Mp3Decoder::SetOptions(const DecoderOptionBlock& options) {
    if (options.channels < 0 || options.channels > 2) {
        return false;
    }
    if ((options.flags & ~VBMP3_OPTION_RESAMPLE) != 0) {
        return false;
    }
    if ((options.flags & VBMP3_OPTION_RESAMPLE) &&
        (options.sampleRate < 8000 || options.sampleRate > 48000)) {
        return false;
    }
    options_ = options;
    return true;
}

Mp3Decoder::Handle Mp3Decoder::OpenHandle(long rate, int channelFlags, bool forceRate) {
    int error = MPG123_OK;
    Handle h(mpg123_new(nullptr, &error));
    if (!h || error != MPG123_OK) {
        return nullptr;
    }
    // Gapless trimming is on by default where libmpg123 has it; ask for it anyway and
    // accept a build without it.
    mpg123_param(h.get(), MPG123_ADD_FLAGS, MPG123_GAPLESS, 0);
    if (mpg123_param(h.get(), MPG123_ADD_FLAGS, MPG123_QUIET, 0) != MPG123_OK ||
        mpg123_format_none(h.get()) != MPG123_OK) {
        return nullptr;
    }
    if (rate == 0) {
        const long* rates = nullptr;
        size_t count = 0;
        mpg123_rates(&rates, &count);
        for (size_t i = 0; i < count; ++i) {
            if (mpg123_format(h.get(), rates[i], channelFlags, MPG123_ENC_SIGNED_16) != MPG123_OK) {
                return nullptr;
            }
        }
    } else {
        if (mpg123_format(h.get(), rate, channelFlags, MPG123_ENC_SIGNED_16) != MPG123_OK) {
            return nullptr;
        }
    }
    if (forceRate && mpg123_param(h.get(), MPG123_FORCE_RATE, rate, 0) != MPG123_OK) {
        return nullptr;
    }
    if (mpg123_replace_reader_handle(h.get(), ReadCallback, SeekCallback, nullptr) != MPG123_OK ||
        input_->Seek(0, SEEK_SET) != 0 || mpg123_open_handle(h.get(), input_.get()) != MPG123_OK) {
        return nullptr;
    }
    return h;
}

bool Mp3Decoder::Probe() {
    Handle h = OpenHandle(0, MPG123_MONO | MPG123_STEREO, false);
    if (!h) {
        return false;
    }
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(h.get(), &rate, &channels, &encoding) != MPG123_OK || rate <= 0 ||
        (channels != 1 && channels != 2) || encoding != MPG123_ENC_SIGNED_16) {
        return false;
    }
    mpg123_frameinfo2 frame{};
    if (mpg123_info2(h.get(), &frame) != MPG123_OK) {
        return false;
    }
    info_.sampleRate = int32_t(rate);
    info_.channels = channels;
    info_.mpegVersion = VersionCode(frame.version);
    info_.layer = frame.layer;
    info_.bitrateKbps = frame.bitrate;
    off_t length = mpg123_length(h.get());
    info_.estimatedSamples = length >= 0 ? int64_t(length) : -1;

    int run = 0;
    bool gap = false;
    int64_t expected = -1;
    for (int i = 0; i < kMaxProbeFrames; ++i) {
        off_t frameNumber = 0;
        unsigned char* audio = nullptr;
        size_t bytes = 0;
        int rc = mpg123_decode_frame(h.get(), &frameNumber, &audio, &bytes);
        if (rc == MPG123_NEW_FORMAT) {
            continue;
        }
        if (rc == MPG123_DONE) {
            return run > 0 && !gap;
        }
        if (rc != MPG123_OK) {
            return false;
        }
        if (mpg123_info2(h.get(), &frame) != MPG123_OK) {
            return false;
        }
        int64_t start = int64_t(mpg123_framepos(h.get()));
        if (expected < 0 || start == expected) {
            ++run;
        } else {
            run = 1;
            gap = true;
        }
        expected = start + frame.framesize;
        if (run >= kProbeRun) {
            return true;
        }
    }
    return false;
}

bool Mp3Decoder::OpenDecoding() {
    handle_ =
        OpenHandle(info_.outputSampleRate, info_.outputChannels == 1 ? MPG123_MONO : MPG123_STEREO,
                   info_.outputSampleRate != info_.sampleRate);
    if (!handle_) {
        return false;
    }
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(handle_.get(), &rate, &channels, &encoding) != MPG123_OK ||
        rate != info_.outputSampleRate || channels != info_.outputChannels ||
        encoding != MPG123_ENC_SIGNED_16) {
        handle_.reset();
        return false;
    }
    consumed_ = false;
    return true;
}

bool Mp3Decoder::Open(const char* path, Mp3StreamInfo* info) {
    Close();
    lastResult_ = VBMP3_RESULT_NONE;
    lastPosition_ = 0;
    info_ = Mp3StreamInfo{};
    if (info) {
        *info = Mp3StreamInfo{};
    }
    if (path == nullptr || *path == '\0') {
        return false;
    }
    input_ = std::make_unique<Mp3InputFile>();
    if (!input_->Open(path) || !Probe()) {
        Close();
        return false;
    }
    info_.outputChannels = options_.channels != 0 ? options_.channels : info_.channels;
    info_.outputSampleRate =
        (options_.flags & VBMP3_OPTION_RESAMPLE) ? options_.sampleRate : info_.sampleRate;
    info_.fileBytes = input_->FileSize();
    info_.audioEndBytes = input_->AudioEnd();
    unitShift_ = 0;
    while ((info_.audioEndBytes >> unitShift_) > kMaxTotalLength) {
        ++unitShift_;
    }
    info_.lengthUnitBytes = int32_t(1) << unitShift_;
    info_.TotalLength = int32_t(info_.audioEndBytes >> unitShift_);
    if (!OpenDecoding()) {
        Close();
        info_ = Mp3StreamInfo{};
        return false;
    }
    path_ = path;
    if (info) {
        *info = info_;
    }
    return true;
}

void Mp3Decoder::Close() {
    if (outputActive_) {
        writer_.Discard();
        outputActive_ = false;
        lastResult_ = VBMP3_RESULT_ABORTED;
    }
    handle_.reset();
    input_.reset();
    path_.clear();
}

bool Mp3Decoder::BeginWavOutput(const char* path) {
    if (!input_ || outputActive_ || path == nullptr || *path == '\0') {
        return false;
    }
    if (consumed_ && !OpenDecoding()) {
        return false;
    }
    if (!writer_.Begin(path, info_.outputSampleRate, info_.outputChannels)) {
        lastResult_ = VBMP3_RESULT_WRITE_ERROR;
        return false;
    }
    consumed_ = true;
    outputActive_ = true;
    lastResult_ = VBMP3_RESULT_NONE;
    lastPosition_ = 0;
    return true;
}

int32_t Mp3Decoder::CurrentPosition() const {
    int64_t position = input_ ? (input_->Position() >> unitShift_) : 0;
    return int32_t(std::min<int64_t>(position, info_.TotalLength));
}

void Mp3Decoder::EndOutput(int32_t result) {
    if (result == VBMP3_RESULT_COMPLETE && !writer_.Finish()) {
        result = VBMP3_RESULT_WRITE_ERROR;
    }
    if (result != VBMP3_RESULT_COMPLETE) {
        writer_.Discard();
    }
    outputActive_ = false;
    lastResult_ = result;
}

bool Mp3Decoder::Poll(int32_t* position) {
    if (!outputActive_) {
        if (position) {
            *position = lastPosition_;
        }
        return false;
    }
    for (int i = 0; i < kFramesPerPoll && outputActive_; ++i) {
        off_t frameNumber = 0;
        unsigned char* audio = nullptr;
        size_t bytes = 0;
        int rc = mpg123_decode_frame(handle_.get(), &frameNumber, &audio, &bytes);
        if (rc == MPG123_OK || rc == MPG123_NEW_FORMAT) {
            if (rc == MPG123_NEW_FORMAT) {
                // Only the one allowed format can come back; anything else is a fault.
                long rate = 0;
                int channels = 0;
                int encoding = 0;
                if (mpg123_getformat(handle_.get(), &rate, &channels, &encoding) != MPG123_OK ||
                    rate != info_.outputSampleRate || channels != info_.outputChannels ||
                    encoding != MPG123_ENC_SIGNED_16) {
                    EndOutput(VBMP3_RESULT_DECODE_ERROR);
                }
            }
            if (outputActive_ && bytes > 0 && !writer_.Append(audio, bytes)) {
                EndOutput(VBMP3_RESULT_WRITE_ERROR);
            }
        } else if (rc == MPG123_DONE) {
            EndOutput(VBMP3_RESULT_COMPLETE);
        } else {
            // MPG123_NEED_MORE cannot come from a file reader except when the data ends in
            // a way the parser cannot place; like any other error it ends the output.
            EndOutput(VBMP3_RESULT_DECODE_ERROR);
        }
    }
    lastPosition_ = lastResult_ == VBMP3_RESULT_COMPLETE ? info_.TotalLength : CurrentPosition();
    if (position) {
        *position = lastPosition_;
    }
    return outputActive_;
}
