// TGogoTea over the real libgogo: generated WAV files in, MP3 (or RIFF-wrapped MP3) out,
// decoded again with libmpg123 and compared with the source.

#include <gtest/gtest.h>
#include <mpg123.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "encoder/GogoTea.h"
#include "platform/Messages.h"

namespace fs = std::filesystem;
using namespace encoder;

namespace {

bool PumpUntil(const std::function<bool()>& done, std::chrono::seconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        platform::Msg m;
        while (platform::PeekMessage(m, true)) platform::DispatchMessage(m);
        if (done()) break;
        if (std::chrono::steady_clock::now() > deadline) return false;
        platform::WaitMessageFor(std::chrono::milliseconds(100));
    }
    return true;
}

struct WavSpec {
    int rate = 44100;
    int channels = 2;
    int bits = 16;
    bool isFloat = false;
    double seconds = 3.0;
};

// The source signal, per channel: two tones, a different pair in each channel.
double Signal(int channel, std::size_t i, int rate) {
    const double t = static_cast<double>(i) / rate;
    const double f = channel == 0 ? 440.0 : 660.0;
    return 0.5 * std::sin(2 * M_PI * f * t) + 0.2 * std::sin(2 * M_PI * 3.1 * f * t);
}

void Put(std::string& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::string Samples(const WavSpec& s) {
    const std::size_t frames = static_cast<std::size_t>(s.seconds * s.rate);
    std::string data;
    for (std::size_t i = 0; i < frames; ++i) {
        for (int c = 0; c < s.channels; ++c) {
            const double x = Signal(c % 2, i, s.rate);
            if (s.isFloat) {
                float f = static_cast<float>(x);
                std::uint32_t u;
                std::memcpy(&u, &f, 4);
                Put(data, u, 4);
            } else if (s.bits == 8) {
                Put(data, static_cast<std::uint32_t>(std::lround(128 + 127 * x)), 1);
            } else {
                const double scale = std::ldexp(1.0, s.bits - 1) - 1;
                Put(data, static_cast<std::uint32_t>(std::lround(x * scale)), s.bits / 8);
            }
        }
    }
    return data;
}

void WriteWav(const fs::path& path, const WavSpec& s) {
    const std::string data = Samples(s);
    std::string out = "RIFF";
    Put(out, static_cast<std::uint32_t>(36 + data.size()), 4);
    out += "WAVEfmt ";
    Put(out, 16, 4);
    Put(out, s.isFloat ? 3 : 1, 2);
    Put(out, s.channels, 2);
    Put(out, s.rate, 4);
    const int block = s.channels * s.bits / 8;
    Put(out, s.rate * block, 4);
    Put(out, block, 2);
    Put(out, s.bits, 2);
    out += "data";
    Put(out, static_cast<std::uint32_t>(data.size()), 4);
    out += data;
    std::ofstream(path, std::ios::binary) << out;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Decoded {
    bool ok = false;
    long rate = 0;
    int channels = 0;
    int frames = 0;
    mpg123_frameinfo info{};
    std::vector<std::int16_t> pcm;  // interleaved
};

Decoded Decode(const std::string& mp3) {
    Decoded d;
    std::unique_ptr<mpg123_handle, void (*)(mpg123_handle*)> h(mpg123_new(nullptr, nullptr),
                                                               mpg123_delete);
    if (!h) return d;
    mpg123_param(h.get(), MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    mpg123_format_none(h.get());
    for (long rate : {32000L, 44100L, 48000L, 16000L, 22050L, 24000L})
        mpg123_format(h.get(), rate, MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_open_feed(h.get()) != MPG123_OK) return d;
    if (mpg123_feed(h.get(), reinterpret_cast<const unsigned char*>(mp3.data()), mp3.size()) !=
        MPG123_OK)
        return d;
    for (;;) {
        off_t num;
        unsigned char* audio;
        size_t bytes;
        const int r = mpg123_decode_frame(h.get(), &num, &audio, &bytes);
        if (r == MPG123_NEW_FORMAT) {
            int enc;
            mpg123_getformat(h.get(), &d.rate, &d.channels, &enc);
            mpg123_info(h.get(), &d.info);
            continue;
        }
        if (r == MPG123_NEED_MORE || r == MPG123_DONE) break;
        if (r != MPG123_OK) return d;
        ++d.frames;
        const auto* s = reinterpret_cast<const std::int16_t*>(audio);
        d.pcm.insert(d.pcm.end(), s, s + bytes / 2);
    }
    d.ok = d.frames > 0;
    return d;
}

// Normalised correlation of channel `c` of the decoded stream with the source signal.
double Correlation(const Decoded& d, int c, int sourceChannel) {
    double sxy = 0, sxx = 0, syy = 0;
    const std::size_t n = d.pcm.size() / d.channels;
    for (std::size_t i = 0; i < n; ++i) {
        const double x = d.pcm[i * d.channels + c] / 32768.0;
        const double y = Signal(sourceChannel, i, static_cast<int>(d.rate));
        sxy += x * y;
        sxx += x * x;
        syy += y * y;
    }
    return sxy / std::sqrt(sxx * syy + 1e-30);
}

// The data chunk (and the ids of all top-level chunks) of a RIFF file.
std::string RiffData(const std::string& file, const char* form, std::vector<std::string>* ids) {
    if (file.size() < 12 || file.compare(0, 4, "RIFF") != 0 || file.compare(8, 4, form) != 0)
        return "";
    std::string data;
    for (std::size_t at = 12; at + 8 <= file.size();) {
        const std::string id = file.substr(at, 4);
        std::uint32_t size;
        std::memcpy(&size, file.data() + at + 4, 4);
        if (ids) ids->push_back(id);
        if (id == "data") data = file.substr(at + 8, size);
        at += 8 + size + (size & 1);
    }
    return data;
}

class RealEncodeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("tovanek-real-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        tea = std::make_unique<TGogoTea>();
        // The main window's design values.
        tea->SetPriority(tpIdle);
        tea->SetFrequency(100);
        tea->OnProgress = [this](TGogoTea*, std::int32_t now, std::int32_t all) {
            lastProgress = now;
            progressAll = all;
        };
        tea->OnError = [this](TGogoTea*, std::int32_t code) { errors.push_back(code); };
    }
    void TearDown() override {
        tea.reset();
        fs::remove_all(dir_);
    }
    // Encodes `wav` in file mode and returns the output bytes.
    std::string EncodeFile(const fs::path& wav) {
        const fs::path out = dir_ / "out.mp3";
        tea->SetSourceFile(wav.string());
        tea->SetDestFile(out.string());
        tea->Execute();
        EXPECT_TRUE(tea->IsEncoding());
        EXPECT_TRUE(PumpUntil([&] { return !tea->IsEncoding(); }, std::chrono::seconds(120)));
        EXPECT_TRUE(errors.empty());
        EXPECT_EQ(tea->EncodeResult(), 0);
        return ReadAll(out);
    }

    fs::path dir_;
    std::unique_ptr<TGogoTea> tea;
    std::int32_t lastProgress = -1;
    std::int32_t progressAll = -1;
    std::vector<std::int32_t> errors;
};

TEST_F(RealEncodeTest, DefaultsGiveJointStereoAt128) {
    const WavSpec desc;
    WriteWav(dir_ / "in.wav", desc);
    const std::string mp3 = EncodeFile(dir_ / "in.wav");
    const Decoded d = Decode(mp3);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.frames, tea->AllFrames());
    EXPECT_EQ(lastProgress, tea->AllFrames());
    EXPECT_EQ(progressAll, tea->AllFrames());
    EXPECT_EQ(d.rate, 44100);
    EXPECT_EQ(d.channels, 2);
    EXPECT_EQ(d.info.bitrate, 128);
    EXPECT_EQ(d.info.mode, MPG123_M_JOINT);
    EXPECT_EQ(d.info.vbr, MPG123_CBR);
    const long sourceFrames = static_cast<long>(desc.seconds * desc.rate);
    EXPECT_NEAR(static_cast<long>(d.pcm.size() / 2), sourceFrames, 1152);
    EXPECT_GT(Correlation(d, 0, 0), 0.95);
    EXPECT_GT(Correlation(d, 1, 1), 0.95);
}

TEST_F(RealEncodeTest, InputLayoutsAndOutputFormats) {
    static std::uint8_t listChunk[] = {'L', 'I', 'S', 'T', 4, 0, 0, 0, 'I', 'N', 'F', 'O'};
    static std::uint8_t id3[] = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0};  // empty ID3v2.3 tag
    struct Case {
        const char* name;
        WavSpec desc;
        std::function<void(TGogoTea&)> configure;
        int mode;          // mpg123 channel mode
        const char* form;  // RIFF form type of the output, or "" for plain MP3
    };
    const Case cases[] = {
        {"mono 48 kHz", {48000, 1, 16, false, 2.0}, [](TGogoTea&) {}, MPG123_M_MONO, ""},
        {"8-bit", {44100, 2, 8, false, 2.0}, [](TGogoTea&) {}, MPG123_M_JOINT, ""},
        {"24-bit", {44100, 2, 24, false, 2.0}, [](TGogoTea&) {}, MPG123_M_JOINT, ""},
        {"float", {44100, 2, 32, true, 2.0}, [](TGogoTea&) {}, MPG123_M_JOINT, ""},
        {"stereo mode",
         {44100, 2, 16, false, 2.0},
         [](TGogoTea& t) { t.SetEncodeType(_STEREO); },
         MPG123_M_STEREO,
         ""},
        {"VBR",
         {44100, 2, 16, false, 2.0},
         [](TGogoTea& t) {
             t.SetUseVBR(true);
             t.SetVBRLevel(4);
         },
         MPG123_M_JOINT,
         ""},
        {"ID3 block before the stream",
         {44100, 2, 16, false, 2.0},
         [](TGogoTea& t) {
             t.SetID3TagInfo({sizeof id3, id3});
         },
         MPG123_M_JOINT,
         ""},
        {"RIFF WAVE",
         {44100, 2, 16, false, 2.0},
         [](TGogoTea& t) {
             t.SetEncodeFormat(_FORMAT_OF_RIFF_WAVE);
             t.AddRmpTagInfo({sizeof listChunk, listChunk});
         },
         MPG123_M_JOINT,
         "WAVE"},
        {"RIFF RMP",
         {44100, 2, 16, false, 2.0},
         [](TGogoTea& t) {
             t.SetEncodeFormat(_FORMAT_OF_RIFF_RMP);
             t.AddRmpTagInfo({sizeof listChunk, listChunk});
         },
         MPG123_M_JOINT,
         "RMP3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tea->Initialize();
        tea->SetPriority(tpNormal);
        c.configure(*tea);
        const fs::path wav = dir_ / "in.wav";
        WriteWav(wav, c.desc);
        const std::string out = EncodeFile(wav);
        std::string stream = out;
        if (*c.form) {
            std::vector<std::string> ids;
            stream = RiffData(out, c.form, &ids);
            ASSERT_FALSE(stream.empty());
            EXPECT_EQ(ids.back(), "LIST");
        }
        if (std::string(c.name).rfind("ID3", 0) == 0) {
            EXPECT_EQ(out.compare(0, sizeof id3, reinterpret_cast<char*>(id3), sizeof id3), 0);
        }
        const Decoded d = Decode(stream);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.rate, c.desc.rate);
        EXPECT_EQ(d.channels, c.desc.channels);
        EXPECT_EQ(d.info.mode, c.mode);
        if (tea->UseVBR()) {
            EXPECT_NE(d.info.vbr, MPG123_CBR);
        } else {
            EXPECT_EQ(d.info.bitrate, 128);
            EXPECT_EQ(d.frames, tea->AllFrames());
        }
        const long sourceFrames = static_cast<long>(c.desc.seconds * c.desc.rate);
        EXPECT_NEAR(static_cast<long>(d.pcm.size() / d.channels), sourceFrames, 1152);
        EXPECT_GT(Correlation(d, 0, 0), c.desc.bits == 8 ? 0.9 : 0.95);
    }
}

TEST_F(RealEncodeTest, MemoryModeFromWriteBuffer) {
    const WavSpec desc{44100, 2, 16, false, 10.0};  // more than the ring holds
    const std::string pcm = Samples(desc);
    tea->SetPriority(tpNormal);
    tea->SetEncodeMode(_MEMORY);
    tea->SetDestFile((dir_ / "mem.mp3").string());
    tea->QuerySettings();
    tea->Execute();
    std::size_t at = 0;
    while (at < pcm.size()) {
        const std::size_t n = std::min<std::size_t>(65536, pcm.size() - at);
        if (tea->WriteBuffer(pcm.data() + at, static_cast<std::int32_t>(n))) {
            at += n;
        } else {
            PumpUntil([] { return false; }, std::chrono::seconds(0));
            platform::WaitMessageFor(std::chrono::milliseconds(2));
        }
    }
    ASSERT_TRUE(tea->WriteBuffer(nullptr, 0));
    ASSERT_TRUE(PumpUntil([&] { return !tea->IsEncoding(); }, std::chrono::seconds(120)));
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(tea->EncodeResult(), 0);
    const Decoded d = Decode(ReadAll(dir_ / "mem.mp3"));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.info.bitrate, 128);
    EXPECT_EQ(d.info.mode, MPG123_M_JOINT);
    const long sourceFrames = static_cast<long>(desc.seconds * desc.rate);
    // The last read is padded to a whole frame step with silence.
    EXPECT_NEAR(static_cast<long>(d.pcm.size() / 2), sourceFrames, 2 * 1152);
    EXPECT_GT(Correlation(d, 0, 0), 0.95);
    EXPECT_GT(Correlation(d, 1, 1), 0.95);
}

TEST_F(RealEncodeTest, BadInputIsRefusedAtTheSetUp) {
    WriteWav(dir_ / "good.wav", WavSpec{44100, 2, 16, false, 0.5});
    WriteWav(dir_ / "three.wav", WavSpec{44100, 3, 16, false, 0.5});
    struct Case {
        const char* name;
        std::function<void(TGogoTea&)> configure;
        std::int32_t status;
    };
    const Case cases[] = {
        {"bit rate 100", [&](TGogoTea& t) { t.SetBitrate(100); }, 40},
        {"three channels", [&](TGogoTea& t) { t.SetSourceFile((dir_ / "three.wav").string()); },
         31},
        {"missing file", [&](TGogoTea& t) { t.SetSourceFile((dir_ / "none.wav").string()); }, 21},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tea->Initialize();
        tea->SetSourceFile((dir_ / "good.wav").string());
        tea->SetDestFile((dir_ / "bad.mp3").string());
        c.configure(*tea);
        try {
            tea->Execute();
            ADD_FAILURE() << "accepted";
        } catch (const EGogoTeaError& e) {
            EXPECT_STREQ(e.what(), kMsgBadSettings);
        }
        EXPECT_EQ(tea->EncodeResult(), c.status);
        EXPECT_FALSE(tea->IsEncoding());
        EXPECT_FALSE(fs::exists(dir_ / "bad.mp3"));
    }
}

}  // namespace
