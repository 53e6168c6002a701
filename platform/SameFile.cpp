#include "platform/SameFile.h"

#include <sys/stat.h>

namespace platform {

bool IsSameFile(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    if (a.empty() || b.empty()) return false;
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace platform
