#include "Mp3Probe.h"

#include <mpg123.h>

#include <cmath>
#include <cstring>

namespace gogotest {

FrameScan ScanFrames(const uint8_t* data, size_t size) {
    static const int kRates1[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static const int kRates2[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    static const int kSr1[] = {44100, 48000, 32000};
    FrameScan scan;
    size_t pos = 0;
    int index = 0;
    while (pos + 4 <= size) {
        const uint8_t* h = data + pos;
        if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0) return scan;
        int ver = (h[1] >> 3) & 3;  // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
        int layer = (h[1] >> 1) & 3;
        int bri = h[2] >> 4;
        int sri = (h[2] >> 2) & 3;
        int pad = (h[2] >> 1) & 1;
        if (ver == 1 || layer != 1 || bri == 0 || bri == 15 || sri == 3) return scan;
        int sr = kSr1[sri] / (ver == 3 ? 1 : ver == 2 ? 2 : 4);
        int kbps = ver == 3 ? kRates1[bri] : kRates2[bri];
        size_t len = static_cast<size_t>((ver == 3 ? 144000 : 72000) * kbps / sr + pad);
        if (pos + len > size) return scan;
        bool isInfo = false;
        if (index == 0) {
            for (size_t i = 4; i + 4 <= 64 && i + 4 <= len; ++i) {
                if (!std::memcmp(h + i, "Info", 4) || !std::memcmp(h + i, "Xing", 4)) isInfo = true;
            }
            scan.infoFrame = isInfo;
        }
        if (!isInfo) {
            ++scan.audioFrames;
            scan.bitRates.insert(kbps);
            scan.modeBits = h[3] >> 6;
            scan.emphasis = h[3] & 3;
        }
        scan.sampleRate = sr;
        scan.mpegVersion = ver == 3 ? 1 : ver == 2 ? 2 : 25;
        pos += len;
        ++index;
    }
    scan.wellFormed = pos == size;
    return scan;
}

Decoded Decode(const uint8_t* data, size_t size) {
    Decoded out;
    int err = 0;
    mpg123_handle* mh = mpg123_new(nullptr, &err);
    if (!mh) return out;
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0);
    mpg123_format_none(mh);
    const long* rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i) {
        mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    }
    if (mpg123_open_feed(mh) != MPG123_OK) {
        mpg123_delete(mh);
        return out;
    }
    std::vector<unsigned char> buf(1 << 16);
    size_t done = 0;
    int ret = mpg123_decode(mh, data, size, nullptr, 0, &done);
    for (;;) {
        if (ret == MPG123_NEW_FORMAT) {
            int enc = 0;
            mpg123_getformat(mh, &out.rate, &out.channels, &enc);
        } else if (ret == MPG123_NEED_MORE || ret == MPG123_DONE) {
            break;
        } else if (ret != MPG123_OK) {
            mpg123_delete(mh);
            return out;
        }
        size_t n = 0;
        ret = mpg123_read(mh, buf.data(), buf.size(), &n);
        const auto* s = reinterpret_cast<const int16_t*>(buf.data());
        out.pcm.insert(out.pcm.end(), s, s + n / 2);
    }
    // Feed mode learns the end only now: let the decoder trim the gapless padding.
    mpg123_decode(mh, nullptr, 0, nullptr, 0, &done);
    out.ok = out.channels > 0;
    mpg123_delete(mh);
    return out;
}

double Correlation(const std::vector<float>& source, int channels, const Decoded& decoded, int ch,
                   int maxLag) {
    const size_t frames = source.size() / static_cast<size_t>(channels);
    const size_t dframes = decoded.Frames();
    double best = 0.0;
    for (int lag = 0; lag <= maxLag; ++lag) {
        double sxy = 0, sxx = 0, syy = 0;
        for (size_t i = 0; i < frames && i + static_cast<size_t>(lag) < dframes; ++i) {
            double x = source[i * static_cast<size_t>(channels) + static_cast<size_t>(ch)];
            int dch = decoded.channels == 1 ? 0 : ch;
            double y =
                decoded.pcm[(i + static_cast<size_t>(lag)) * static_cast<size_t>(decoded.channels) +
                            static_cast<size_t>(dch)];
            sxy += x * y;
            sxx += x * x;
            syy += y * y;
        }
        if (sxx > 0 && syy > 0) best = std::fmax(best, sxy / std::sqrt(sxx * syy));
    }
    return best;
}

}  // namespace gogotest
