#include "platform/Paths.h"

#include <gtest/gtest.h>

#include "platform/Files.h"

namespace platform {
namespace {

struct PathCase {
    bool windows;
    const char* path;
    const char* folderPart;
    const char* folderOfFile;
    const char* fileName;
    const char* extension;
    const char* mp3Beside;  // JoinPath(FolderOfFile, ChangeExtension(FileNamePart, ".mp3"))
};

// The same examples in both syntaxes where they make sense. 0x95 0x5C is the CP932 form
// of a kanji whose second byte is the value of '\': it never splits a Windows path.
const PathCase kCases[] = {
    {true, "C:\\a.wav", "C:\\", "C:\\", "a.wav", ".wav", "C:\\\\a.mp3"},
    {true, "C:\\music\\a.wav", "C:\\music\\", "C:\\music", "a.wav", ".wav", "C:\\music\\a.mp3"},
    {true, "C:\\\x95\x5C\\a.wav", "C:\\\x95\x5C\\", "C:\\\x95\x5C", "a.wav", ".wav",
     "C:\\\x95\x5C\\a.mp3"},
    {true, "C:\\in\\\x95\x5C", "C:\\in\\", "C:\\in", "\x95\x5C", "", "C:\\in\\\x95\x5C.mp3"},
    {true, "C:\\in\\a.b.wav", "C:\\in\\", "C:\\in", "a.b.wav", ".wav", "C:\\in\\a.b.mp3"},
    {true, "C:\\in\\Live.WAV", "C:\\in\\", "C:\\in", "Live.WAV", ".WAV", "C:\\in\\Live.mp3"},
    {true, "C:\\in\\readme", "C:\\in\\", "C:\\in", "readme", "", "C:\\in\\readme.mp3"},
    {true, "C:\\x.y\\name", "C:\\x.y\\", "C:\\x.y", "name", "", "C:\\x.y\\name.mp3"},
    {true, "C:a.wav", "C:", "C:", "a.wav", ".wav", "C:\\a.mp3"},
    {true, "C:\\dir\\\\a.wav", "C:\\dir\\\\", "C:\\dir\\\\", "a.wav", ".wav", "C:\\dir\\\\\\a.mp3"},
    {true, "\\\\srv\\share\\a.wav", "\\\\srv\\share\\", "\\\\srv\\share", "a.wav", ".wav",
     "\\\\srv\\share\\a.mp3"},
    {true, "a.wav", "", "", "a.wav", ".wav", "\\a.mp3"},
    {false, "/a.wav", "/", "/", "a.wav", ".wav", "//a.mp3"},
    {false, "/music/a.wav", "/music/", "/music", "a.wav", ".wav", "/music/a.mp3"},
    {false, "/\xE9\x9F\xB3/a.wav", "/\xE9\x9F\xB3/", "/\xE9\x9F\xB3", "a.wav", ".wav",
     "/\xE9\x9F\xB3/a.mp3"},
    {false, "/in/a.b.wav", "/in/", "/in", "a.b.wav", ".wav", "/in/a.b.mp3"},
    {false, "/in/Live.WAV", "/in/", "/in", "Live.WAV", ".WAV", "/in/Live.mp3"},
    {false, "/in/readme", "/in/", "/in", "readme", "", "/in/readme.mp3"},
    {false, "/x.y/name", "/x.y/", "/x.y", "name", "", "/x.y/name.mp3"},
    // No drives and no backslash separators in this syntax.
    {false, "C:a.wav", "", "", "C:a.wav", ".wav", "/C:a.mp3"},
    {false, "/in/a\\b.wav", "/in/", "/in", "a\\b.wav", ".wav", "/in/a\\b.mp3"},
};

TEST(Paths, SplitAndJoinInBothSyntaxes) {
    for (const PathCase& c : kCases) {
        const PathSyntax& s = c.windows ? WindowsSyntax() : PosixSyntax();
        SCOPED_TRACE(std::string(c.windows ? "windows " : "posix ") + c.path);
        EXPECT_EQ(FolderPart(c.path, s), c.folderPart);
        EXPECT_EQ(FolderOfFile(c.path, s), c.folderOfFile);
        EXPECT_EQ(FileNamePart(c.path, s), c.fileName);
        EXPECT_EQ(ExtensionPart(c.path, s), c.extension);
        EXPECT_EQ(JoinPath(FolderOfFile(c.path, s),
                           ChangeExtension(FileNamePart(c.path, s), ".mp3", s), s),
                  c.mp3Beside);
    }
}

TEST(Paths, ChangeExtensionWorksOnWholePaths) {
    EXPECT_EQ(ChangeExtension("C:\\x.y\\name", ".mp3", WindowsSyntax()), "C:\\x.y\\name.mp3");
    EXPECT_EQ(ChangeExtension("C:\\in\\take.wav", ".mp3", WindowsSyntax()), "C:\\in\\take.mp3");
    EXPECT_EQ(ChangeExtension("/x.y/name", ".wav", PosixSyntax()), "/x.y/name.wav");
    EXPECT_EQ(ChangeExtension("/in/a.MP3", ".wav", PosixSyntax()), "/in/a.wav");
}

TEST(Paths, LowerAnsiLeavesDoubleByteCharactersIntact) {
    // 0x83 0x41 is a katakana whose second byte is the value of 'A'.
    EXPECT_EQ(LowerAnsi("C:\\\x83\x41\\SONG.WAV", WindowsSyntax()), "c:\\\x83\x41\\song.wav");
    EXPECT_EQ(ExtensionPart(LowerAnsi("C:\\in\\Take.Wav", WindowsSyntax()), WindowsSyntax()),
              ".wav");
    // UTF-8 has no such pairs: every ASCII letter is lowered, other bytes stay.
    EXPECT_EQ(LowerAnsi("/\xC3\x84/AB.MP3", PosixSyntax()), "/\xC3\x84/ab.mp3");
    // A lead byte at the very end has no partner and breaks nothing.
    EXPECT_EQ(LowerAnsi("AB\x83", WindowsSyntax()), "ab\x83");
    EXPECT_EQ(FileNamePart("C:\\in\\a\x83", WindowsSyntax()), "a\x83");
}

TEST(Paths, TheHostIsPosixAndTheExecutableFolderHoldsTheTests) {
    EXPECT_EQ(&HostSyntax(), &PosixSyntax());
    const std::string exe = ExecutablePath();
    ASSERT_FALSE(exe.empty());
    EXPECT_EQ(ExecutableFolder() + "/" + FileNamePart(exe), exe);
    EXPECT_EQ(FileNamePart(exe), "platform_tests");
}

}  // namespace
}  // namespace platform
