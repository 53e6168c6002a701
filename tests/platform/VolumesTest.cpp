#include "platform/Volumes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace platform {
namespace {

TEST(Volumes, ListsRealFileSystemsOnce) {
    const auto volumes = ListVolumes();
    std::set<std::string> roots;
    for (const Volume& v : volumes) {
        EXPECT_TRUE(roots.insert(v.root).second) << "listed twice: " << v.root;
        EXPECT_NE(v.type, "proc");
        EXPECT_NE(v.type, "sysfs");
        EXPECT_NE(v.type.rfind("cgroup", 0), 0u) << v.root;
    }
    EXPECT_EQ(roots.count("/"), 1u);
    EXPECT_EQ(roots.count("/proc"), 0u);
}

TEST(Volumes, AVolumeOfAPathIsItsLongestMountPoint) {
    EXPECT_EQ(VolumeOf("/"), "/");
    const std::string tmp = VolumeOf("/tmp/no/such/file.wav");
    EXPECT_EQ(tmp, VolumeOf("/tmp"));
    EXPECT_TRUE(tmp == "/" || tmp == "/tmp") << tmp;
    EXPECT_EQ(VolumeOf("/proc/self/status"), "/proc");
    EXPECT_EQ(VolumeOf("/proc/../etc/passwd"), VolumeOf("/etc"));
}

TEST(Volumes, SizesAndComparison) {
    EXPECT_GT(VolumeTotalSize("/"), 0);
    EXPECT_EQ(VolumeTotalSize("/no/such/volume"), -1);
    EXPECT_EQ(VolumeTotalSize(""), -1);
    EXPECT_TRUE(SameVolume("/", "/"));
    EXPECT_FALSE(SameVolume("/media/A", "/media/a"));
    ScopedErrorMode mode(SEM_FAILCRITICALERRORS);
}

}  // namespace
}  // namespace platform
