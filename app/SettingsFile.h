#pragma once
// Where main.ini lives. The path is formed afresh by each call:
//   1. the path set by SetSettingsPathForTesting, if any;
//   2. the environment variable TOVANEK_INI, if set and not empty (for test runs of the
//      built program);
//   3. main.ini beside the executable, when that folder is writable (a built or unpacked
//      tree);
//   4. otherwise main.ini in the per-user configuration folder
//      (${XDG_CONFIG_HOME:-~/.config}/tovanek), which SettingsPathForWriting creates.
// Main thread only.

#include <optional>
#include <string>

namespace app {

// The file to read the settings from.
std::string SettingsPath();

// The file to write the settings to: the same path, with the per-user folder created
// when that is where it lies.
std::string SettingsPathForWriting();

// Fixes the path for tests (nullopt: back to the rules above).
void SetSettingsPathForTesting(std::optional<std::string> path);

}  // namespace app
