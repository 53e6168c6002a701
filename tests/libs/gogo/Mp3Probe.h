// Looks into MP3 streams for the tests: walks the frame headers and decodes with libmpg123.
// Test thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <vector>

namespace gogotest {

struct FrameScan {
    bool wellFormed = false;  // frames back to back from the first byte to the last
    bool infoFrame = false;   // the first frame is a LAME/Xing info frame
    int audioFrames = 0;      // frames after the info frame
    int sampleRate = 0;
    int mpegVersion = 0;  // 1, 2 or 25
    int modeBits = -1;    // header mode: 0 stereo, 1 joint, 2 dual, 3 mono
    int emphasis = -1;
    std::set<int> bitRates;  // kbit/s of the audio frames
};
FrameScan ScanFrames(const uint8_t* data, size_t size);

struct Decoded {
    bool ok = false;
    long rate = 0;
    int channels = 0;
    std::vector<int16_t> pcm;  // interleaved
    size_t Frames() const { return channels ? pcm.size() / static_cast<size_t>(channels) : 0; }
};
// Decodes a whole MP3 stream (ID3v2 at the front is skipped by libmpg123), gapless.
Decoded Decode(const uint8_t* data, size_t size);

// Highest normalised correlation of channel `ch` of `source` (floats, `channels`
// interleaved) against the decoded PCM, over lags 0..maxLag of the decoded side.
double Correlation(const std::vector<float>& source, int channels, const Decoded& decoded, int ch,
                   int maxLag);

}  // namespace gogotest
