#include "platform/Folders.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

namespace platform {
namespace {

namespace fs = std::filesystem;

TEST(Folders, CreateListAndEnter) {
    char pattern[] = "/tmp/tovanek-folders-XXXXXX";
    const fs::path root = ::mkdtemp(pattern);
    ASSERT_TRUE(CreateFolderTree((root / "b/deep/er").string()));
    ASSERT_TRUE(CreateFolderTree((root / "b/deep/er").string()));  // already there
    fs::create_directory(root / "a");
    std::ofstream(root / "file") << "x";
    fs::create_directory_symlink(root / "a", root / "link");
    EXPECT_FALSE(CreateFolderTree((root / "file/sub").string()));

    EXPECT_EQ(ListSubfolders(root.string()), (std::vector<std::string>{"a", "b", "link"}));
    EXPECT_TRUE(ListSubfolders((root / "missing").string()).empty());
    EXPECT_TRUE(CanEnterFolder((root / "b/deep").string()));
    EXPECT_FALSE(CanEnterFolder((root / "file").string()));
    EXPECT_FALSE(CanEnterFolder((root / "missing").string()));
    EXPECT_TRUE(FolderWritable(root.string()));
    EXPECT_FALSE(FolderWritable((root / "file").string()));
    fs::remove_all(root);
}

}  // namespace
}  // namespace platform
