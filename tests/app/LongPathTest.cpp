// The long form of paths, against a table of stored names and against a real folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "app/LongPath.h"

namespace {

// The names a file system stores, by the path that is looked up.
std::map<std::string, std::string>& Stored() {
    static std::map<std::string, std::string> names;
    return names;
}
std::optional<std::string> FakeLookup(const std::string& path) {
    auto it = Stored().find(path);
    if (it == Stored().end()) return std::nullopt;
    return it->second;
}

TEST(ExpandLongPath, WindowsSyntax) {
    const platform::PathSyntax& win = platform::WindowsSyntax();
    Stored() = {
        {"C:\\MUSIC\\LONGFI~1.WAV", "Long file name.wav"},
        {"C:\\MUSIC", "Music"},
        {"C:\\in", "in"},
        {"\\\\server\\share\\DIR\\F.WAV", "f.wav"},
        {"\\\\server\\share\\DIR", "Dir"},
        // 表 is 0x95 0x5C in Shift-JIS: its second byte is no separator.
        {"C:\\\x95\x5C\\A.WAV", "a.wav"},
        {"C:\\\x95\x5C", "\x95\x5C"},
    };
    struct Case {
        std::string given, expected;
    } cases[] = {
        {"C:\\MUSIC\\LONGFI~1.WAV", "C:\\Music\\Long file name.wav"},
        {"D:", "D:"},
        {"C:\\", "C:\\"},
        {"C:\\MUSIC\\missing.wav", "C:\\MUSIC\\missing.wav"},  // not found: all as given
        {"\\\\server\\share\\DIR\\F.WAV", "\\\\server\\share\\Dir\\f.wav"},
        {"C:\\\x95\x5C\\A.WAV", "C:\\\x95\x5C\\a.wav"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(app::ExpandLongPath(c.given, win, FakeLookup), c.expected) << c.given;
    }
}

TEST(ExpandLongPath, PosixSyntaxStopsAtTheRoot) {
    const platform::PathSyntax& posix = platform::PosixSyntax();
    Stored() = {
        {"/Music/TAKE.WAV", "take.wav"},
        {"/Music", "music"},
        {"/music", "music"},
    };
    struct Case {
        std::string given, expected;
    } cases[] = {
        {"/Music/TAKE.WAV", "/music/take.wav"},
        {"/", "/"},
        {"/Music/gone.wav", "/Music/gone.wav"},
        {"/gone/TAKE.WAV", "/gone/TAKE.WAV"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(app::ExpandLongPath(c.given, posix, FakeLookup), c.expected) << c.given;
    }
    EXPECT_EQ(app::LongNameOf("/Music/TAKE.WAV", FakeLookup), "take.wav");
    EXPECT_EQ(app::LongNameOf("/nothing", FakeLookup), "");
}

TEST(ExpandLongPath, RealFolder) {
    char pattern[] = "/tmp/tovanek-long-XXXXXX";
    std::string dir = mkdtemp(pattern);
    std::filesystem::create_directory(dir + "/Sub Dir");
    std::ofstream(dir + "/Sub Dir/Take One.wav") << "x";
    EXPECT_EQ(app::ExpandLongPath(dir + "/Sub Dir/Take One.wav"), dir + "/Sub Dir/Take One.wav");
    EXPECT_EQ(app::ExpandLongPath(dir + "/Sub Dir/none.wav"), dir + "/Sub Dir/none.wav");
    EXPECT_EQ(app::LongNameOf(dir + "/Sub Dir"), "Sub Dir");
    std::filesystem::remove_all(dir);
}

}  // namespace
