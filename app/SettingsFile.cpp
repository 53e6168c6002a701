#include "app/SettingsFile.h"

#include <cstdlib>

#include "platform/Folders.h"
#include "platform/Paths.h"
#include "platform/Shell.h"

namespace app {

namespace {

std::optional<std::string>& TestingPath() {
    static std::optional<std::string> path;
    return path;
}

constexpr const char* kFileName = "main.ini";

// The folder the file lies in, and whether it is the per-user one.
std::string SettingsFolder(bool& perUser) {
    perUser = false;
    std::string exeFolder = platform::ExecutableFolder();
    if (platform::FolderWritable(exeFolder)) return exeFolder;
    if (auto config = platform::SpecialFolderPath(platform::SpecialFolder::UserConfig)) {
        perUser = true;
        return *config;
    }
    return exeFolder;
}

std::optional<std::string> FixedPath() {
    if (TestingPath()) return TestingPath();
    const char* env = std::getenv("TOVANEK_INI");
    if (env && *env) return std::string(env);
    return std::nullopt;
}

}  // namespace

std::string SettingsPath() {
    if (auto fixed = FixedPath()) return *fixed;
    bool perUser = false;
    return platform::JoinPath(SettingsFolder(perUser), kFileName);
}

std::string SettingsPathForWriting() {
    if (auto fixed = FixedPath()) return *fixed;
    bool perUser = false;
    std::string folder = SettingsFolder(perUser);
    // A folder that cannot be made shows up as the write error of the first key.
    if (perUser) platform::CreateFolderTree(folder);
    return platform::JoinPath(folder, kFileName);
}

void SetSettingsPathForTesting(std::optional<std::string> path) {
    TestingPath() = std::move(path);
}

}  // namespace app
