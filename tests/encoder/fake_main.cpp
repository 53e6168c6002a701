// Test entry: binds the stand-in library by name and keeps the user's registry out of
// the way.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "binding/Gogodefs.h"

int main(int argc, char** argv) {
    const auto config = std::filesystem::temp_directory_path() /
                        ("tovanek-encoder-tests-" + std::to_string(::getpid()));
    std::filesystem::create_directories(config);
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    binding::GogoDLLName = "libfakegogo.so";
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::filesystem::remove_all(config);
    return result;
}
