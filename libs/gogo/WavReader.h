// Parses the header of a RIFF WAVE file up to the start of its sample data and refuses
// everything the encoder does not promise to read. One thread at a time.
//
// Accepted: PCM (8-bit unsigned, 16/24/32-bit signed) and 32-bit IEEE float, 1 or 2
// channels, also as WAVE_FORMAT_EXTENSIBLE with the PCM or float subformat. Chunks other
// than "fmt " and "data" are skipped with their pad byte. A data size of 0, 0xFFFFFFFF or
// past the end of the file means "to the end of the file". The RIFF size is not trusted.
#pragma once

#include "gogo.h"
#include "libs/gogo/ByteSource.h"
#include "libs/gogo/WavFormat.h"

namespace gogo {

class WavReader {
  public:
    explicit WavReader(ByteSource& source) : source_(source) {}

    // Reads chunks until the data chunk; on GOGO_OK the source stands at its first byte.
    // Otherwise one of the GOGO_ERR_* input statuses (20-36) of gogo.h.
    MPGE_STATUS ReadHeader();

    const WavFormat& Format() const { return format_; }
    // Bytes of whole sample frames in the data chunk (a trailing partial frame is dropped).
    uint64_t DataBytes() const { return dataBytes_; }
    // Samples per channel.
    uint64_t FrameCount() const { return format_.blockAlign ? dataBytes_ / format_.blockAlign : 0; }

  private:
    MPGE_STATUS ParseFmt(uint32_t chunkSize);

    ByteSource& source_;
    WavFormat format_;
    uint64_t dataBytes_ = 0;
};

}  // namespace gogo
