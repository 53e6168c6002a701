#pragma once
// Volumes. On Linux a volume is a mounted file system and the "drive" of a path is its
// mount point; on Windows it is a drive letter with its colon. Any thread.

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct Volume {
    std::string root;    // mount point ("/", "/media/usb") or "C:"
    std::string device;  // what is mounted there, for display
    std::string type;    // file system type
};

// The mounted file systems that hold user files (pseudo file systems such as proc,
// sysfs and cgroup left out), in mount order, no duplicates.
std::vector<Volume> ListVolumes();

// The root of the volume that holds `path` (the longest mount point that is a prefix of
// it); for a path that does not exist, of its nearest existing parent.
std::string VolumeOf(const std::string& path);

// Total size in bytes of the volume at `root`; -1 when it cannot be read.
std::int64_t VolumeTotalSize(const std::string& root);

// Compares two volume roots as the host does (case-insensitively on Windows, exactly on
// Linux).
bool SameVolume(const std::string& a, const std::string& b);

// SetErrorMode(SEM_FAILCRITICALERRORS) for the life of the object, then the previous
// mode. Linux has no such dialog: a no-op there.
class ScopedErrorMode {
  public:
    explicit ScopedErrorMode(unsigned mode);
    ~ScopedErrorMode();
    ScopedErrorMode(const ScopedErrorMode&) = delete;
    ScopedErrorMode& operator=(const ScopedErrorMode&) = delete;

  private:
    unsigned previous_ = 0;
};
constexpr unsigned SEM_FAILCRITICALERRORS = 1;

}  // namespace platform
