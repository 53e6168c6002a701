#pragma once
// A main window over the headless renderer, a settings file in a temporary folder, and
// the two batches replaced by recorders.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "app/SettingsFile.h"
#include "app/UMain.h"
#include "tests/framework/TestApp.h"

namespace testing_support {

struct BatchRecorder {
    std::vector<std::string> calls;
    std::function<void()> duringWav;  // runs inside the WAV batch
};

class TestFmMain : public app::TFmMain {
  public:
    explicit TestFmMain(BatchRecorder* recorder)
        : TFmMain(Options{.designTimeEncoder = true}), recorder_(recorder) {}
    void EncodeWavList() override {
        recorder_->calls.push_back("wav " + std::to_string(app::WavFileList->size()));
        if (recorder_->duringWav) recorder_->duringWav();
    }
    void DecodeMp3List() override {
        recorder_->calls.push_back("mp3 " + std::to_string(app::Mp3FileList->size()));
    }

  private:
    BatchRecorder* recorder_;
};

class AppTest : public HeadlessAppTest {
  protected:
    AppTest() {
        char pattern[] = "/tmp/tovanek-app-XXXXXX";
        dir = mkdtemp(pattern);
        iniPath = dir + "/main.ini";
        app::SetSettingsPathForTesting(iniPath);
        app::ResetUnitState();
    }
    ~AppTest() override {
        app::SetSettingsPathForTesting(std::nullopt);
        std::filesystem::remove_all(dir);
    }

    // Creates the main window as the entry point does, with these arguments.
    TestFmMain* Start(std::vector<std::string> arguments = {}) {
        arguments.insert(arguments.begin(), "tovanek");
        app.SetArguments(arguments);
        return app.CreateForm<TestFmMain>(&batches);
    }
    void WriteIni(const std::string& body) const {
        std::ofstream(iniPath, std::ios::binary) << "[MAIN]\n" << body;
    }
    std::string Ini() const {
        std::ifstream in(iniPath, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // Whether a quit request waits in the queue (taken out, with everything else).
    bool QuitRequested() {
        bool quit = false;
        platform::Msg msg;
        while (platform::PeekMessage(msg, true)) quit = quit || msg.message == platform::WM_QUIT;
        return quit;
    }

    std::string dir;
    std::string iniPath;
    BatchRecorder batches;
};

}  // namespace testing_support
