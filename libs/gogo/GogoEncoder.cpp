#include "libs/gogo/GogoEncoder.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstring>

#include "libs/gogo/SampleConverter.h"
#include "libs/gogo/WavReader.h"

static_assert(std::endian::native == std::endian::little,
              "the PCM and RIFF code assumes a little-endian host");

namespace gogo {
namespace {

constexpr int kMpeg1Rates[] = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr int kMpeg2Rates[] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
constexpr int kMpegSampleRates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
constexpr uint64_t kMaxTagBytes = 64ull << 20;

void Quiet(const char*, va_list) {}

bool IsMpegSampleRate(int rate) {
    return std::find(std::begin(kMpegSampleRates), std::end(kMpegSampleRates), rate) !=
           std::end(kMpegSampleRates);
}

// Kbit/s rates of the MPEG version that LAME uses for this output sample rate.
bool IsLegalBitRate(int kbps, int outRate) {
    if (outRate >= 32000) {
        return std::find(std::begin(kMpeg1Rates), std::end(kMpeg1Rates), kbps) !=
               std::end(kMpeg1Rates);
    }
    // MPEG-2.5 shares MPEG-2's table, but LAME encodes at most 64 kbit/s there.
    if (outRate < 16000 && kbps > 64) return false;
    return std::find(std::begin(kMpeg2Rates), std::end(kMpeg2Rates), kbps) != std::end(kMpeg2Rates);
}

bool IsBool(intptr_t v) {
    return v == 0 || v == 1;
}

void PutLe16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void PutLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// One or more complete RIFF chunks; the last pad byte may be missing.
bool IsChunkSequence(const std::vector<uint8_t>& block) {
    uint64_t pos = 0;
    const uint64_t size = block.size();
    if (size == 0) return false;
    while (pos < size) {
        if (size - pos < 8) return false;
        uint32_t len = static_cast<uint32_t>(block[pos + 4]) |
                       static_cast<uint32_t>(block[pos + 5]) << 8 |
                       static_cast<uint32_t>(block[pos + 6]) << 16 |
                       static_cast<uint32_t>(block[pos + 7]) << 24;
        uint64_t end = pos + 8 + len;
        if (end > size) return false;
        if ((len & 1u) != 0 && end < size) ++end;
        pos = end;
    }
    return true;
}

}  // namespace

GogoEncoder::GogoEncoder() = default;
GogoEncoder::~GogoEncoder() {
    ReleaseEncode();
}

MPGE_STATUS GogoEncoder::SetConfigure(int32_t code, intptr_t value1, intptr_t value2) {
    if (state_ != State::Configuring) return GOGO_ERR_BUSY;
    MPGE_STATUS status = GOGO_OK;
    auto flag = [&](bool& target) {
        if (IsBool(value1)) {
            target = value1 == 1;
        } else {
            status = GOGO_ERR_BAD_VALUE;
        }
    };
    auto block = [&](std::vector<uint8_t>& target) {
        if (value1 <= 0 || static_cast<uint64_t>(value1) > kMaxTagBytes || value2 == 0) {
            status = GOGO_ERR_BAD_VALUE;
            return;
        }
        const auto* data = reinterpret_cast<const uint8_t*>(value2);
        target.assign(data, data + value1);
    };
    bool ignored = false;
    switch (code) {
        case MC_INPUTFILE:
            if (value1 == MC_INPDEV_FILE && value2 != 0 &&
                *reinterpret_cast<const char*>(value2) != '\0') {
                inputKind_ = InputKind::File;
                inputPath_ = reinterpret_cast<const char*>(value2);
            } else if (value1 == MC_INPDEV_MEMORY && value2 != 0) {
                MPGE_MEMORY_INPUT rec;
                std::memcpy(&rec, reinterpret_cast<const void*>(value2), sizeof rec);
                bool bitsOk = rec.bits_per_sample == 8 || rec.bits_per_sample == 16 ||
                              rec.bits_per_sample == 24 || rec.bits_per_sample == 32;
                if (rec.proc == nullptr || !bitsOk || rec.channels < 1 || rec.channels > 2 ||
                    rec.samples_per_second < 1000 || rec.samples_per_second > 384000 ||
                    rec.total_length < -1) {
                    status = GOGO_ERR_BAD_VALUE;
                } else {
                    inputKind_ = InputKind::Memory;
                    memory_ = rec;
                }
            } else {
                status = GOGO_ERR_BAD_VALUE;
            }
            break;
        case MC_OUTPUTFILE:
            if (value2 != 0 && *reinterpret_cast<const char*>(value2) != '\0') {
                outputPath_ = reinterpret_cast<const char*>(value2);
            } else {
                status = GOGO_ERR_BAD_VALUE;
            }
            break;
        case MC_ENCODEMODE:
            if (value1 >= 0 && value1 <= 4) {
                channelMode_ = static_cast<int>(value1);
            } else {
                status = GOGO_ERR_BAD_VALUE;
            }
            break;
        case MC_BITRATE:
            // Judged against the stream's MPEG version by DetectConfigure.
            bitRate_ = static_cast<int>(std::clamp<intptr_t>(value1, INT_MIN, INT_MAX));
            break;
        case MC_USEPSY:
            flag(usePsy_);
            break;
        case MC_USELPF16:
            flag(useLpf16_);
            break;
        case MC_USEMMX:
            flag(useMmx_);
            break;
        case MC_USE3DNOW:
            flag(use3dNow_);
            break;
        case MC_USEKNI:
            flag(useSse_);
            break;
        case MC_USEE3DNOW:
        case MC_USESPC1:
        case MC_USESPC2:
            flag(ignored);
            break;
        case MC_ADDTAG:
            block(id3_);
            break;
        case MC_EMPHASIS:
            if (value1 == 0 || value1 == 1 || value1 == 3) {
                emphasis_ = static_cast<int>(value1);
            } else {
                status = GOGO_ERR_BAD_VALUE;
            }
            break;
        case MC_VBR:
            if (value1 >= 0 && value1 <= 9) {
                useVbr_ = true;
                vbrLevel_ = static_cast<int>(value1);
            } else {
                status = GOGO_ERR_BAD_VALUE;
            }
            break;
        case MC_CPU:
            break;
        case MC_OUTSTREAM:
            if (value1 >= 0 && value1 <= 2) {
                outFormat_ = static_cast<int>(value1);
            } else {
                status = GOGO_ERR_BAD_VALUE;
            }
            break;
        case MC_RIFFTAG: {
            std::vector<uint8_t> tag;
            block(tag);
            if (status == GOGO_OK) riffTags_.push_back(std::move(tag));
            break;
        }
        case MC_VBRBITRATE:
            vbrRangeSet_ = true;
            vbrMin_ = static_cast<int>(std::clamp<intptr_t>(value1, INT_MIN, INT_MAX));
            vbrMax_ = static_cast<int>(std::clamp<intptr_t>(value2, INT_MIN, INT_MAX));
            break;
        case MC_ENHANCEDFILTER:
            if (value1 >= 0 && value2 <= 100 && value1 <= value2 && value2 > 0) {
                extFilterSet_ = true;
                extLow_ = static_cast<int>(value1);
                extHigh_ = static_cast<int>(value2);
            } else {
                status = GOGO_ERR_BAD_VALUE;
            }
            break;
        case MC_MSTHRESHOLD:
            if (value1 < 0 || value1 > 100 || value2 < 0 || value2 > 100) {
                status = GOGO_ERR_BAD_VALUE;
            }
            break;
        default:
            status = GOGO_ERR_UNKNOWN_CODE;
            break;
    }
    if (status != GOGO_OK && settingError_ == GOGO_OK) settingError_ = status;
    return status;
}

MPGE_STATUS GogoEncoder::GetConfigure(int32_t code, void* out) const {
    if (code != MC_GETFRAMES) return GOGO_ERR_UNKNOWN_CODE;
    if (out == nullptr) return GOGO_ERR_BAD_VALUE;
    if (state_ == State::Configuring) return GOGO_ERR_NOT_READY;
    std::memcpy(out, &allFrames_, sizeof allFrames_);
    return GOGO_OK;
}

MPGE_STATUS GogoEncoder::DetectConfigure() {
    if (state_ != State::Configuring) return GOGO_ERR_BUSY;
    if (settingError_ != GOGO_OK) return settingError_;
    if (inputKind_ == InputKind::None) return GOGO_ERR_NO_INPUT;
    if (outputPath_.empty()) return GOGO_ERR_NO_OUTPUT;
    MPGE_STATUS status = OpenInput();
    if (status == GOGO_OK) status = CheckTags();
    if (status == GOGO_OK) status = SetUpLame();
    if (status == GOGO_OK) status = output_.Create(outputPath_);
    if (status == GOGO_OK) status = WriteHeader();
    if (status != GOGO_OK) {
        ReleaseEncode();
        return status;
    }
    allFrames_ = ComputeAllFrames();
    steps_ = 0;
    framesRead_ = 0;
    inputEnded_ = false;
    flushed_ = false;
    finalStatus_ = GOGO_OK;
    state_ = State::Ready;
    return GOGO_OK;
}

MPGE_STATUS GogoEncoder::OpenInput() {
    if (inputKind_ == InputKind::Memory) {
        format_ = WavFormat{};
        format_.channels = static_cast<uint16_t>(memory_.channels);
        format_.sampleRate = static_cast<uint32_t>(memory_.samples_per_second);
        format_.bitsPerSample = static_cast<uint16_t>(memory_.bits_per_sample);
        format_.blockAlign = static_cast<uint16_t>(format_.channels * format_.bitsPerSample / 8);
        format_.isFloat = false;
        lengthKnown_ = memory_.total_length >= 0;
        totalFrames_ =
            lengthKnown_ ? static_cast<uint64_t>(memory_.total_length) / format_.blockAlign : 0;
        return GOGO_OK;
    }
    source_ = std::make_unique<FileSource>();
    MPGE_STATUS status = source_->Open(inputPath_);
    if (status != GOGO_OK) return status;
    WavReader reader(*source_);
    status = reader.ReadHeader();
    if (status != GOGO_OK) return status;
    format_ = reader.Format();
    lengthKnown_ = true;
    totalFrames_ = reader.FrameCount();
    return GOGO_OK;
}

MPGE_STATUS GogoEncoder::CheckTags() const {
    if (outFormat_ == 0) return GOGO_OK;
    for (const auto& tag : riffTags_) {
        if (!IsChunkSequence(tag)) return GOGO_ERR_TAG;
    }
    return GOGO_OK;
}

MPGE_STATUS GogoEncoder::SetUpLame() {
    const int inRate = static_cast<int>(format_.sampleRate);
    outRate_ = inRate;
    if (!IsMpegSampleRate(inRate)) {
        // Let LAME pick the output rate it would resample to, then fix it explicitly.
        std::unique_ptr<lame_global_flags, LameDeleter> probe(lame_init());
        if (!probe) return GOGO_ERR_OUT_OF_MEMORY;
        lame_set_errorf(probe.get(), Quiet);
        lame_set_debugf(probe.get(), Quiet);
        lame_set_msgf(probe.get(), Quiet);
        if (lame_set_num_channels(probe.get(), format_.channels) != 0 ||
            lame_set_in_samplerate(probe.get(), inRate) != 0) {
            return GOGO_ERR_LAME;
        }
        if (useVbr_) {
            lame_set_VBR(probe.get(), vbr_default);
            lame_set_VBR_q(probe.get(), vbrLevel_);
        } else if (bitRate_ > 0) {
            lame_set_brate(probe.get(), bitRate_);
        }
        if (lame_init_params(probe.get()) < 0) return GOGO_ERR_LAME;
        outRate_ = lame_get_out_samplerate(probe.get());
    }
    if (!useVbr_ && !IsLegalBitRate(bitRate_, outRate_)) return GOGO_ERR_BITRATE;
    if (useVbr_ && vbrRangeSet_ &&
        (!IsLegalBitRate(vbrMin_, outRate_) || !IsLegalBitRate(vbrMax_, outRate_) ||
         vbrMin_ > vbrMax_)) {
        return GOGO_ERR_VBR_RANGE;
    }

    lame_.reset(lame_init());
    lame_global_flags* gf = lame_.get();
    if (gf == nullptr) return GOGO_ERR_OUT_OF_MEMORY;
    lame_set_errorf(gf, Quiet);
    lame_set_debugf(gf, Quiet);
    lame_set_msgf(gf, Quiet);

    MPEG_mode mode = JOINT_STEREO;
    bool forceMs = false;
    if (format_.channels == 1 || channelMode_ == 0) {
        mode = MONO;
    } else if (channelMode_ == 1) {
        mode = STEREO;
    } else if (channelMode_ == 3) {
        forceMs = true;
    } else if (channelMode_ == 4) {
        mode = DUAL_CHANNEL;
    }
    bool ok = lame_set_num_channels(gf, format_.channels) == 0 &&
              lame_set_in_samplerate(gf, inRate) == 0 &&
              lame_set_out_samplerate(gf, outRate_) == 0 && lame_set_mode(gf, mode) == 0 &&
              lame_set_force_ms(gf, forceMs ? 1 : 0) == 0 && lame_set_findReplayGain(gf, 0) == 0 &&
              lame_set_bWriteVbrTag(gf, 1) == 0 && lame_set_emphasis(gf, emphasis_) == 0;
    lame_set_write_id3tag_automatic(gf, 0);
    if (ok && lengthKnown_) {
        ok = lame_set_num_samples(gf, static_cast<unsigned long>(totalFrames_)) == 0;
    }
    if (ok && usePsy_) ok = lame_set_quality(gf, 2) == 0;
    if (ok && useVbr_) {
        ok = lame_set_VBR(gf, vbr_default) == 0 && lame_set_VBR_q(gf, vbrLevel_) == 0;
        if (ok && vbrRangeSet_) {
            ok = lame_set_VBR_min_bitrate_kbps(gf, vbrMin_) == 0 &&
                 lame_set_VBR_max_bitrate_kbps(gf, vbrMax_) == 0;
        }
    } else if (ok) {
        ok = lame_set_VBR(gf, vbr_off) == 0 && lame_set_brate(gf, bitRate_) == 0;
    }
    if (ok && extFilterSet_) {
        const double nyquist = outRate_ / 2.0;
        int centre = static_cast<int>(nyquist * (extLow_ + extHigh_) / 200.0);
        int width = static_cast<int>(nyquist * (extHigh_ - extLow_) / 100.0);
        ok = lame_set_lowpassfreq(gf, std::max(centre, 1)) == 0 &&
             lame_set_lowpasswidth(gf, std::max(width, 1)) == 0;
    } else if (ok && useLpf16_) {
        ok = lame_set_lowpassfreq(gf, 16000) == 0;
    }
    // The asm switches only change the speed; a LAME built without assembly ignores them.
    lame_set_asm_optimizations(gf, MMX, useMmx_ ? 1 : 0);
    lame_set_asm_optimizations(gf, AMD_3DNOW, use3dNow_ ? 1 : 0);
    lame_set_asm_optimizations(gf, SSE, useSse_ ? 1 : 0);
    if (!ok || lame_init_params(gf) < 0) return GOGO_ERR_LAME;
    if (lame_get_out_samplerate(gf) != outRate_) return GOGO_ERR_LAME;
    if (!useVbr_ && lame_get_brate(gf) != bitRate_) return GOGO_ERR_BITRATE;

    samplesPerFrame_ = lame_get_framesize(gf);
    if (samplesPerFrame_ <= 0) return GOGO_ERR_LAME;
    blockFrames_ = static_cast<size_t>(samplesPerFrame_);
    if (outRate_ != inRate) {
        blockFrames_ = static_cast<size_t>(
            std::ceil(static_cast<double>(samplesPerFrame_) * inRate / outRate_));
    }
    inBuffer_.assign((blockFrames_ * format_.blockAlign + 3) / 4, 0);
    left_.assign(blockFrames_, 0.0f);
    right_.assign(blockFrames_, 0.0f);
    // LAME's own bound for one call: 1.25 x samples + 7200; the flush needs a few frames more.
    mp3Buffer_.assign(blockFrames_ * 5 / 4 + 7200 + 16384, 0);
    return GOGO_OK;
}

MPGE_STATUS GogoEncoder::WriteHeader() {
    if (outFormat_ == 0) {
        if (!id3_.empty() && !output_.Write(id3_.data(), id3_.size())) return GOGO_ERR_OUTPUT_DIR;
        dataStart_ = output_.Position();
        return GOGO_OK;
    }
    std::vector<uint8_t> h;
    auto put = [&](const void* p, size_t n) {
        const auto* b = static_cast<const uint8_t*>(p);
        h.insert(h.end(), b, b + n);
    };
    auto put16 = [&](uint32_t v) {
        uint8_t b[2];
        PutLe16(b, v);
        put(b, 2);
    };
    auto put32 = [&](uint32_t v) {
        uint8_t b[4];
        PutLe32(b, v);
        put(b, 4);
    };
    put("RIFF", 4);
    put32(0);  // patched by Finish
    if (outFormat_ == 1) {
        const int channelsOut =
            lame_get_num_channels(lame_.get()) == 1 || lame_get_mode(lame_.get()) == MONO ? 1 : 2;
        const int kbps = useVbr_ ? 0 : bitRate_;
        const int lsf = outRate_ < 32000 ? 1 : 0;
        put("WAVE", 4);
        put("fmt ", 4);
        put32(30);
        put16(0x0055);  // MPEG Layer III
        put16(static_cast<uint32_t>(channelsOut));
        put32(static_cast<uint32_t>(outRate_));
        avgBytesOffset_ = h.size();
        put32(static_cast<uint32_t>(kbps * 125));
        put16(1);   // block align
        put16(0);   // bits per sample
        put16(12);  // extra bytes
        put16(1);   // MPEGLAYER3_ID_MPEG
        put32(0);   // MPEGLAYER3_FLAG_PADDING_ISO
        put16(static_cast<uint32_t>(kbps > 0 ? (lsf ? 72 : 144) * kbps * 1000 / outRate_ : 0));
        put16(1);  // frames per block
        put16(static_cast<uint32_t>(lame_get_encoder_delay(lame_.get())));
        put("fact", 4);
        put32(4);
        factOffset_ = h.size();
        put32(0);
    } else {
        put("RMP3", 4);
    }
    put("data", 4);
    dataSizeOffset_ = h.size();
    put32(0);
    if (!output_.Write(h.data(), h.size())) return GOGO_ERR_OUTPUT_DIR;
    dataStart_ = output_.Position();
    return GOGO_OK;
}

int32_t GogoEncoder::ComputeAllFrames() const {
    if (!lengthKnown_) return -1;
    const int inRate = static_cast<int>(format_.sampleRate);
    uint64_t samples = totalFrames_;
    if (inRate != outRate_) {
        // LAME's resampler delivers the input's length at the new rate to within a sample,
        // and at least the 16 input samples that its flush accounts for.
        const double ratio = static_cast<double>(outRate_) / inRate;
        samples = static_cast<uint64_t>(std::llround(static_cast<double>(totalFrames_) * ratio));
        samples = std::max<uint64_t>(samples, static_cast<uint64_t>(16.0 * ratio));
    }
    // LAME delays the stream by 576 samples and pads its end by at least 576 samples up to
    // a whole frame.
    const uint64_t spf = static_cast<uint64_t>(samplesPerFrame_);
    uint64_t frames = (samples + 1152 + spf - 1) / spf;
    return frames > static_cast<uint64_t>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(frames);
}

int64_t GogoEncoder::ReadBlock(size_t frames) {
    if (lengthKnown_) {
        frames = static_cast<size_t>(std::min<uint64_t>(frames, totalFrames_ - framesRead_));
        if (frames == 0) return 0;
    }
    auto* bytes = reinterpret_cast<uint8_t*>(inBuffer_.data());
    const size_t want = frames * format_.blockAlign;
    if (inputKind_ == InputKind::Memory) {
        int32_t r = memory_.proc(bytes, static_cast<int32_t>(want));
        if (r == 1) return 0;
        if (r != 0) return -1;
        return static_cast<int64_t>(frames);
    }
    int64_t n = source_->Read(bytes, want);
    // The size was known at the set-up: a short read means the file shrank or failed.
    if (n < 0 || static_cast<size_t>(n) != want) return -1;
    return static_cast<int64_t>(frames);
}

MPGE_STATUS GogoEncoder::EncodeBlock(size_t frames) {
    lame_global_flags* gf = lame_.get();
    const int n = static_cast<int>(frames);
    auto* mp3 = mp3Buffer_.data();
    const int room = static_cast<int>(mp3Buffer_.size());
    int out;
    if (format_.bitsPerSample == 16) {
        auto* pcm = reinterpret_cast<short*>(inBuffer_.data());
        out = format_.channels == 2 ? lame_encode_buffer_interleaved(gf, pcm, n, mp3, room)
                                    : lame_encode_buffer(gf, pcm, nullptr, n, mp3, room);
    } else {
        SampleConverter::ToPlanes(reinterpret_cast<const uint8_t*>(inBuffer_.data()), frames,
                                  format_, left_.data(), right_.data());
        out = lame_encode_buffer_float(
            gf, left_.data(), format_.channels == 2 ? right_.data() : left_.data(), n, mp3, room);
    }
    if (out < 0) return GOGO_ERR_ENCODE;
    if (out > 0 && !output_.Write(mp3, static_cast<size_t>(out))) return GOGO_ERR_WRITE;
    return GOGO_OK;
}

MPGE_STATUS GogoEncoder::ProcessFrame() {
    if (state_ == State::Finished) return finalStatus_;
    if (state_ == State::Configuring) return GOGO_ERR_NOT_READY;
    state_ = State::Running;
    ++steps_;
    if (!inputEnded_) {
        int64_t got = ReadBlock(blockFrames_);
        if (got < 0) return Fail(GOGO_ERR_READ);
        if (got > 0) {
            framesRead_ += static_cast<uint64_t>(got);
            MPGE_STATUS status = EncodeBlock(static_cast<size_t>(got));
            if (status != GOGO_OK) return Fail(status);
        }
        if (got == 0 || (lengthKnown_ && framesRead_ == totalFrames_)) inputEnded_ = true;
        if (got > 0) return GOGO_OK;
    }
    if (!flushed_) {
        int out =
            lame_encode_flush(lame_.get(), mp3Buffer_.data(), static_cast<int>(mp3Buffer_.size()));
        if (out < 0) return Fail(GOGO_ERR_ENCODE);
        if (out > 0 && !output_.Write(mp3Buffer_.data(), static_cast<size_t>(out))) {
            return Fail(GOGO_ERR_WRITE);
        }
        flushed_ = true;
        // Keep one call per frame: with 576-sample frames the flush alone is worth two.
        if (allFrames_ > 0 && steps_ < allFrames_) return GOGO_OK;
    }
    MPGE_STATUS status = Finish();
    if (status != GOGO_OK) return Fail(status);
    state_ = State::Finished;
    finalStatus_ = GOGO_END;
    return GOGO_END;
}

MPGE_STATUS GogoEncoder::Finish() {
    lame_global_flags* gf = lame_.get();
    // The LAME/Xing info frame goes back over the placeholder frame at the stream's start.
    std::vector<uint8_t> tag(4096);
    size_t tagSize = lame_get_lametag_frame(gf, tag.data(), tag.size());
    if (tagSize > tag.size()) {
        tag.resize(tagSize);
        tagSize = lame_get_lametag_frame(gf, tag.data(), tag.size());
    }
    if (tagSize > 0 && !output_.WriteAt(dataStart_, tag.data(), tagSize)) return GOGO_ERR_WRITE;

    if (outFormat_ != 0) {
        const uint64_t dataBytes = output_.Position() - dataStart_;
        if (dataBytes & 1u) {
            const uint8_t pad = 0;
            if (!output_.Write(&pad, 1)) return GOGO_ERR_WRITE;
        }
        auto writeChunk = [&](const char* id, const std::vector<uint8_t>& body) {
            uint8_t head[8];
            std::memcpy(head, id, 4);
            PutLe32(head + 4, static_cast<uint32_t>(body.size()));
            const uint8_t pad = 0;
            return output_.Write(head, 8) && output_.Write(body.data(), body.size()) &&
                   ((body.size() & 1u) == 0 || output_.Write(&pad, 1));
        };
        if (!id3_.empty() && !writeChunk("id3 ", id3_)) return GOGO_ERR_WRITE;
        for (const auto& block : riffTags_) {
            const uint8_t pad = 0;
            if (!output_.Write(block.data(), block.size())) return GOGO_ERR_WRITE;
            if ((output_.Position() & 1u) != 0 && !output_.Write(&pad, 1)) return GOGO_ERR_WRITE;
        }
        uint8_t v[4];
        PutLe32(v, static_cast<uint32_t>(std::min<uint64_t>(output_.Position() - 8, UINT32_MAX)));
        if (!output_.WriteAt(4, v, 4)) return GOGO_ERR_WRITE;
        PutLe32(v, static_cast<uint32_t>(std::min<uint64_t>(dataBytes, UINT32_MAX)));
        if (!output_.WriteAt(dataSizeOffset_, v, 4)) return GOGO_ERR_WRITE;
        if (outFormat_ == 1) {
            uint64_t samples = framesRead_;
            const int inRate = static_cast<int>(format_.sampleRate);
            if (inRate != outRate_) {
                samples = static_cast<uint64_t>(static_cast<double>(samples) * outRate_ / inRate);
            }
            PutLe32(v, static_cast<uint32_t>(std::min<uint64_t>(samples, UINT32_MAX)));
            if (!output_.WriteAt(factOffset_, v, 4)) return GOGO_ERR_WRITE;
            if (useVbr_ && samples > 0) {
                PutLe32(v, static_cast<uint32_t>(dataBytes * static_cast<uint64_t>(outRate_) /
                                                 samples));
                if (!output_.WriteAt(avgBytesOffset_, v, 4)) return GOGO_ERR_WRITE;
            }
        }
    }
    return output_.Commit() ? GOGO_OK : GOGO_ERR_COMMIT;
}

MPGE_STATUS GogoEncoder::Fail(MPGE_STATUS status) {
    output_.Discard();
    state_ = State::Finished;
    finalStatus_ = status;
    return status;
}

void GogoEncoder::ReleaseEncode() {
    output_.Discard();
    lame_.reset();
    source_.reset();
    inBuffer_ = {};
    left_ = {};
    right_ = {};
    mp3Buffer_ = {};
}

void GogoEncoder::Close() {
    ReleaseEncode();
    state_ = State::Configuring;
    finalStatus_ = GOGO_OK;
    allFrames_ = 0;
}

}  // namespace gogo
