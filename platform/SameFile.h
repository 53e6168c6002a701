#pragma once
// Whether two paths name one and the same file: the same file system object, reached
// through any links or spellings (on Linux: the same device and inode). Any thread.

#include <string>

namespace platform {

// False when either path does not exist.
bool IsSameFile(const std::string& a, const std::string& b);

}  // namespace platform
