#pragma once
// The main window over the headless renderer with the real encoder library, a settings
// file and the files in a temporary folder, a recorder of what the batch view showed,
// and a fake decoder that records the calls the MP3 batch makes.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "app/BatchCalls.h"
#include "app/SettingsFile.h"
#include "app/UMain.h"
#include "framework/Application.h"
#include "framework/ChangeListener.h"
#include "framework/HeadlessRenderer.h"
#include "platform/Messages.h"

namespace batch_tests {

namespace fs = std::filesystem;

inline void DrainQueue() {
    platform::Msg msg;
    while (platform::PeekMessage(msg, true)) {
    }
}

// A 16-bit PCM WAV file: `frames` samples per channel of a 440 Hz tone.
inline void WriteWav(const std::string& path, std::uint32_t frames, int channels = 2,
                     std::uint32_t rate = 44100) {
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) out.put(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    auto u16 = [&](std::uint16_t v) {
        out.put(static_cast<char>(v & 0xFF));
        out.put(static_cast<char>(v >> 8));
    };
    const std::uint32_t bytes = frames * static_cast<std::uint32_t>(channels) * 2;
    out.write("RIFF", 4);
    u32(36 + bytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(static_cast<std::uint16_t>(channels));
    u32(rate);
    u32(rate * static_cast<std::uint32_t>(channels) * 2);
    u16(static_cast<std::uint16_t>(channels * 2));
    u16(16);
    out.write("data", 4);
    u32(bytes);
    for (std::uint32_t i = 0; i < frames; ++i) {
        const auto s = static_cast<std::int16_t>(8000 * std::sin(2 * M_PI * 440.0 * i / rate));
        for (int c = 0; c < channels; ++c) u16(static_cast<std::uint16_t>(s));
    }
}

inline void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// What the batch view showed, in order.
struct ViewRecorder : framework::ChangeListener {
    app::TFmMain* form = nullptr;
    std::vector<std::string> tracks, names;
    std::vector<int> positions;
    void PropertyChanged(framework::TForm&, framework::TControl* control,
                         framework::Property property) override {
        if (!control) return;
        if (control == form->lbl_track && property == framework::Property::Caption)
            tracks.push_back(control->Caption());
        if (control == form->lbl_filename2 && property == framework::Property::Caption)
            names.push_back(control->Caption());
        if (control == form->prog_main && property == framework::Property::Position)
            positions.push_back(control->Position());
    }
};

// Stands in for libvbmp3: records every call; results come from the fields.
struct FakeDecoder {
    std::vector<std::string> calls;
    std::vector<std::int32_t> openResults;  // per open call, in order; then 1
    std::int32_t beginResult = 1;
    std::int32_t totalLength = 1000;
    std::vector<std::int32_t> polls = {500, 1000};  // positions; the last poll returns 0
    std::int32_t lastResult = VBMP3_RESULT_COMPLETE;
    std::size_t opens = 0;
    std::size_t pollIndex = 0;

    void Install() {
        app::BatchCalls& c = app::Calls();
        c.DecoderStartup = [this] {
            calls.push_back("startup");
            return 1;
        };
        c.DecoderOpenInput = [this](const char* path, Mp3StreamInfo* info) {
            calls.push_back(std::string("open ") + path);
            const std::int32_t r = opens < openResults.size() ? openResults[opens] : 1;
            ++opens;
            *info = Mp3StreamInfo{};
            if (r) info->TotalLength = totalLength;
            return r;
        };
        c.DecoderSetOptions = [this](const DecoderOptionBlock* o) {
            calls.push_back("options " + std::to_string(o->channels) + " " +
                            std::to_string(o->flags) + " " + std::to_string(o->sampleRate));
            return 1;
        };
        c.DecoderCloseInput = [this] {
            calls.push_back("close");
            return 1;
        };
        c.DecoderBeginWavOutput = [this](const char* path) {
            calls.push_back(std::string("begin ") + path);
            pollIndex = 0;
            return beginResult;
        };
        c.DecoderPoll = [this](std::int32_t* position) {
            calls.push_back("poll");
            *position = polls.empty() ? 0 : polls[std::min(pollIndex, polls.size() - 1)];
            ++pollIndex;
            return pollIndex < polls.size() ? 1 : 0;
        };
        c.DecoderLastResult = [this] {
            calls.push_back("result");
            return lastResult;
        };
    }
};

class BatchTest : public ::testing::Test {
  protected:
    BatchTest() {
        DrainQueue();
        char pattern[] = "/tmp/tovanek-batch-XXXXXX";
        dir = ::mkdtemp(pattern);
        app::SetSettingsPathForTesting(dir + "/main.ini");
        WriteText(dir + "/main.ini", "[MAIN]\nONAJI=1\nSLEEP=0\nWAIT=0\n");
        app::ResetUnitState();
        app::ResetBatchCalls();
        app::Calls().Sleep = [this](std::int32_t ms) { sleeps.push_back(ms); };
        application.SetTitle("Tovanek");
        application.SetArguments({"tovanek"});
        form = application.CreateForm<app::TFmMain>();
        view.form = form;
        form->AddListener(&view);
        renderer.ClearCalls();
        app::SleepSetting = 0;
        app::WaitSetting = 0;
    }
    ~BatchTest() override {
        form->RemoveListener(&view);
        app::ResetBatchCalls();
        app::SetSettingsPathForTesting(std::nullopt);
        DrainQueue();
        ::chmod(dir.c_str(), 0755);
        fs::remove_all(dir);
    }

    std::string P(const std::string& name) const { return dir + "/" + name; }
    void SaveTo(const std::string& folder) {
        form->rdo_sitei->SetChecked(true);
        form->edt_dir->SetText(folder);
    }
    void DeleteSources(bool on) { form->chk_moto_del->SetChecked(on); }
    void Wavs(std::vector<std::string> paths) { *app::WavFileList = std::move(paths); }
    void Mp3s(std::vector<std::string> paths) { *app::Mp3FileList = std::move(paths); }
    // Texts of the dialogs, in order.
    std::vector<std::string> DialogTexts() const {
        std::vector<std::string> texts;
        for (const auto& c : renderer.Calls()) texts.push_back(c.text);
        return texts;
    }
    // Hidden temporary files left in the folder.
    std::vector<std::string> Leftovers(const std::string& folder) const {
        std::vector<std::string> found;
        for (const auto& e : fs::directory_iterator(folder)) {
            const std::string name = e.path().filename().string();
            if (name.ends_with(".part")) found.push_back(name);
        }
        return found;
    }

    std::string dir;
    std::vector<std::int32_t> sleeps;
    framework::HeadlessRenderer renderer;
    framework::TApplication application{renderer};
    app::TFmMain* form = nullptr;
    ViewRecorder view;
};

}  // namespace batch_tests
