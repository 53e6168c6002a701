#include "libs/gogo/WavReader.h"

#include <cstring>

namespace gogo {
namespace {

constexpr uint16_t kTagPcm = 0x0001;
constexpr uint16_t kTagFloat = 0x0003;
constexpr uint16_t kTagExtensible = 0xFFFE;
// The tail shared by the KSDATAFORMAT_SUBTYPE_* GUIDs after their first two bytes.
constexpr uint8_t kGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                   0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
// A RIFF file addresses 32 bits; a chunk that ends beyond that cannot be real.
constexpr uint64_t kRiffLimit = 0xFFFFFFFFull;

uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

MPGE_STATUS WavReader::ReadHeader() {
    uint8_t head[12];
    int64_t n = source_.Read(head, sizeof head);
    if (n < 0) return GOGO_ERR_READ_HEADER;
    if (std::memcmp(head, "RIFF", n < 4 ? static_cast<size_t>(n) : 4) != 0) {
        return GOGO_ERR_NOT_RIFF;
    }
    if (n < 12) return GOGO_ERR_TRUNCATED;
    if (std::memcmp(head + 8, "WAVE", 4) != 0) return GOGO_ERR_NOT_RIFF;

    bool haveFmt = false;
    for (;;) {
        uint8_t chunk[8];
        uint64_t chunkStart = source_.Position();
        n = source_.Read(chunk, sizeof chunk);
        if (n < 0) return GOGO_ERR_READ_HEADER;
        if (n == 0) return haveFmt ? GOGO_ERR_NO_DATA : GOGO_ERR_TRUNCATED;
        if (n < 8) return GOGO_ERR_TRUNCATED;
        uint32_t size = Le32(chunk + 4);
        uint64_t bodyStart = chunkStart + 8;
        uint64_t remaining = source_.Size() - bodyStart;

        if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFmt) return GOGO_ERR_NO_FMT;
            uint64_t bytes = size;
            if (size == 0 || size == 0xFFFFFFFFu || bytes > remaining) bytes = remaining;
            dataBytes_ = bytes - bytes % format_.blockAlign;
            return GOGO_OK;
        }
        uint64_t padded = static_cast<uint64_t>(size) + (size & 1u);
        if (bodyStart + padded > kRiffLimit) return GOGO_ERR_CHUNK_SIZE;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (haveFmt) return GOGO_ERR_SECOND_FMT;
            if (size > remaining) return GOGO_ERR_TRUNCATED;
            MPGE_STATUS st = ParseFmt(size);
            if (st != GOGO_OK) return st;
            haveFmt = true;
            // The pad byte may be missing at the very end of a file; data must follow anyway.
            if ((size & 1u) != 0 && !source_.Skip(1)) return GOGO_ERR_TRUNCATED;
            continue;
        }
        if (padded > remaining) {
            // A final odd-sized chunk without its pad byte is harmless, but nothing follows.
            return GOGO_ERR_TRUNCATED;
        }
        if (!source_.Skip(padded)) return GOGO_ERR_TRUNCATED;
    }
}

MPGE_STATUS WavReader::ParseFmt(uint32_t chunkSize) {
    if (chunkSize < 16) return GOGO_ERR_FMT_TOO_SHORT;
    uint8_t fmt[40] = {};
    size_t want = chunkSize < sizeof fmt ? chunkSize : sizeof fmt;
    int64_t n = source_.Read(fmt, want);
    if (n < 0) return GOGO_ERR_READ_HEADER;
    if (static_cast<size_t>(n) < want) return GOGO_ERR_TRUNCATED;
    if (chunkSize > want && !source_.Skip(chunkSize - want)) return GOGO_ERR_TRUNCATED;

    uint16_t tag = Le16(fmt);
    uint16_t channels = Le16(fmt + 2);
    uint32_t rate = Le32(fmt + 4);
    uint16_t blockAlign = Le16(fmt + 12);
    uint16_t bits = Le16(fmt + 14);

    if (tag == kTagExtensible) {
        if (chunkSize < 40) return GOGO_ERR_FMT_TOO_SHORT;
        uint16_t extra = Le16(fmt + 16);
        if (extra < 22) return GOGO_ERR_FMT_TOO_SHORT;
        uint16_t validBits = Le16(fmt + 18);
        if (validBits > bits) return GOGO_ERR_BITS;
        if (std::memcmp(fmt + 26, kGuidTail, sizeof kGuidTail) != 0) return GOGO_ERR_FORMAT_TAG;
        tag = Le16(fmt + 24);
    }
    bool isFloat;
    if (tag == kTagPcm) {
        isFloat = false;
    } else if (tag == kTagFloat) {
        isFloat = true;
    } else {
        return GOGO_ERR_FORMAT_TAG;
    }
    if (channels == 0 || channels > 2) return GOGO_ERR_CHANNELS;
    if (isFloat ? bits != 32 : (bits != 8 && bits != 16 && bits != 24 && bits != 32)) {
        return GOGO_ERR_BITS;
    }
    if (blockAlign == 0 || blockAlign != channels * (bits / 8)) return GOGO_ERR_BLOCK_ALIGN;
    if (rate < 1000 || rate > 384000) return GOGO_ERR_SAMPLE_RATE;

    format_.channels = channels;
    format_.sampleRate = rate;
    format_.bitsPerSample = bits;
    format_.blockAlign = blockAlign;
    format_.isFloat = isFloat;
    return GOGO_OK;
}

}  // namespace gogo
