#include "platform/Files.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace platform {
namespace {

namespace fs = std::filesystem;

class FilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/tovanek-files-XXXXXX";
        root_ = ::mkdtemp(pattern);
    }
    void TearDown() override { fs::remove_all(root_); }
    std::string P(const std::string& name) const { return (root_ / name).string(); }
    void Write(const std::string& name, const std::string& text) {
        std::ofstream(P(name), std::ios::binary) << text;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(P(name), std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    fs::path root_;
};

TEST_F(FilesTest, FindFirstNameGivesTheStoredLastElement) {
    fs::create_directory(root_ / "Music Folder");
    Write("Music Folder/Long File Name.WAV", "x");
    EXPECT_EQ(FindFirstName(P("Music Folder/Long File Name.WAV")), "Long File Name.WAV");
    EXPECT_EQ(FindFirstName(P("Music Folder")), "Music Folder");
    EXPECT_EQ(FindFirstName(P("Music Folder/missing.wav")), std::nullopt);
    EXPECT_EQ(FindFirstName(P("missing/Long File Name.WAV")), std::nullopt);
    EXPECT_EQ(FindFirstName("/"), std::nullopt);
    EXPECT_EQ(FindFirstName(""), std::nullopt);
    EXPECT_EQ(FindFirstName(P("Music Folder/")), std::nullopt);
    // Relative to the current folder.
    const std::string cwd = CurrentFolder();
    ASSERT_EQ(::chdir(root_.c_str()), 0);
    EXPECT_EQ(FindFirstName("Music Folder"), "Music Folder");
    ASSERT_EQ(::chdir(cwd.c_str()), 0);
}

TEST_F(FilesTest, ExistenceAndTheReadOnlyBit) {
    Write("a.wav", "x");
    fs::create_directory(root_ / "dir");
    EXPECT_TRUE(FileOrFolderExists(P("a.wav")));
    EXPECT_TRUE(FileOrFolderExists(P("dir")));
    EXPECT_FALSE(FileOrFolderExists(P("b.wav")));
    EXPECT_FALSE(FolderExists(P("a.wav")));
    EXPECT_TRUE(FolderExists(P("dir")));

    EXPECT_FALSE(IsReadOnly(P("a.wav")));
    ASSERT_TRUE(SetReadOnly(P("a.wav")));
    EXPECT_TRUE(IsReadOnly(P("a.wav")));
    EXPECT_EQ(fs::status(P("a.wav")).permissions() & fs::perms::all & ~fs::perms::owner_read &
                  ~fs::perms::group_read & ~fs::perms::others_read,
              fs::perms::none);
    EXPECT_FALSE(DeleteFile(P("a.wav"))) << "a read-only file stays until it is reset";
    ASSERT_TRUE(SetAttributesNormal(P("a.wav")));
    EXPECT_FALSE(IsReadOnly(P("a.wav")));
    EXPECT_FALSE(SetAttributesNormal(P("b.wav")));
    EXPECT_FALSE(SetReadOnly(P("b.wav")));
}

TEST_F(FilesTest, DeleteRemovesFilesOnly) {
    Write("a.wav", "x");
    fs::create_directory(root_ / "dir");
    EXPECT_TRUE(DeleteFile(P("a.wav")));
    EXPECT_FALSE(fs::exists(P("a.wav")));
    EXPECT_FALSE(DeleteFile(P("a.wav")));
    EXPECT_FALSE(DeleteFile(P("dir")));
    EXPECT_TRUE(fs::exists(P("dir")));
}

TEST_F(FilesTest, CopyReplacesWholeOrKeepsTheDestination) {
    std::string big(300000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
    Write("src", big);
    Write("old", "old");
    ASSERT_TRUE(CopyFile(P("src"), P("new"), true));
    EXPECT_EQ(Read("new"), big);
    EXPECT_FALSE(CopyFile(P("src"), P("old"), true));
    EXPECT_EQ(Read("old"), "old");
    ASSERT_TRUE(CopyFile(P("src"), P("old"), false));
    EXPECT_EQ(Read("old"), big);

    ASSERT_TRUE(SetReadOnly(P("old")));
    EXPECT_FALSE(CopyFile(P("src"), P("old"), false));
    EXPECT_FALSE(CopyFile(P("missing"), P("x"), false));
    EXPECT_FALSE(CopyFile(P("src"), P("no/such/folder"), false));
    fs::create_directory(root_ / "dir");
    EXPECT_FALSE(CopyFile(P("src"), P("dir"), false));
    EXPECT_FALSE(CopyFile(P("dir"), P("y"), false));
    // Only the files made here: no temporary copy is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(root_), fs::directory_iterator()), 4);
}

TEST_F(FilesTest, AbsolutePathsAndTheExecutable) {
    const std::string cwd = CurrentFolder();
    ASSERT_EQ(::chdir(root_.c_str()), 0);
    EXPECT_EQ(CurrentFolder(), fs::canonical(root_).string());
    EXPECT_EQ(MakeAbsolute("a/../b.wav"), fs::canonical(root_).string() + "/a/../b.wav");
    EXPECT_EQ(MakeAbsolute("/x/./y"), "/x/./y");
    ASSERT_EQ(::chdir("/"), 0);
    EXPECT_EQ(MakeAbsolute("b.wav"), "/b.wav");
    ASSERT_EQ(::chdir(cwd.c_str()), 0);
    EXPECT_EQ(ExecutablePath(), fs::canonical("/proc/self/exe").string());
}

}  // namespace
}  // namespace platform
