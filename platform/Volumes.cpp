#include "platform/Volumes.h"

#include <stdlib.h>
#include <sys/statvfs.h>

#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string_view>

#include "platform/Files.h"

namespace platform {
namespace {

// /proc/self/mounts writes blanks, tabs, newlines and backslashes as \ooo.
std::string Unescape(const std::string& field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const auto octal = [&](std::size_t k) { return field[k] >= '0' && field[k] <= '7'; };
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] <= '3' && octal(i + 1) &&
            octal(i + 2) && octal(i + 3)) {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                     (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::vector<Volume> ReadMounts() {
    std::vector<Volume> mounts;
    std::ifstream in("/proc/self/mounts");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string device, root, type;
        if (!(fields >> device >> root >> type)) continue;
        mounts.push_back(Volume{Unescape(root), Unescape(device), type});
    }
    return mounts;
}

bool IsPseudoType(const std::string& type) {
    static const std::set<std::string, std::less<>> kPseudo = {
        "autofs",     "binfmt_misc", "bpf",      "cgroup",   "cgroup2",         "configfs",
        "debugfs",    "devpts",      "devtmpfs", "efivarfs", "fusectl",         "hugetlbfs",
        "mqueue",     "nsfs",        "proc",     "pstore",   "ramfs",           "rpc_pipefs",
        "securityfs", "selinuxfs",   "sysfs",    "tracefs",  "fuse.gvfsd-fuse", "fuse.portal",
        "squashfs"};
    return kPseudo.count(type) != 0;
}

bool Under(std::string_view path, std::string_view folder) {
    if (folder == "/") return !path.empty() && path.front() == '/';
    return path == folder ||
           (path.size() > folder.size() && path.substr(0, folder.size()) == folder &&
            path[folder.size()] == '/');
}

// The system's own plumbing: memory file systems and the like under these folders hold
// no user files (removable media under /run/media do).
bool IsSystemMount(const std::string& root) {
    if (Under(root, "/run/media")) return false;
    for (std::string_view folder : {"/proc", "/sys", "/dev", "/run", "/boot/efi"})
        if (Under(root, folder)) return true;
    return false;
}

std::string NearestExistingReal(const std::string& path) {
    std::string current = MakeAbsolute(path);
    for (;;) {
        std::unique_ptr<char, decltype(&::free)> real(::realpath(current.c_str(), nullptr),
                                                      &::free);
        if (real) return real.get();
        const std::size_t slash = current.find_last_of('/');
        if (slash == std::string::npos || current == "/") return "/";
        current = slash == 0 ? "/" : current.substr(0, slash);
    }
}

}  // namespace

std::vector<Volume> ListVolumes() {
    std::vector<Volume> volumes;
    std::set<std::string> seen;
    for (Volume& mount : ReadMounts()) {
        if (IsPseudoType(mount.type) || IsSystemMount(mount.root)) continue;
        if (!seen.insert(mount.root).second) continue;
        volumes.push_back(std::move(mount));
    }
    return volumes;
}

std::string VolumeOf(const std::string& path) {
    const std::string real = NearestExistingReal(path);
    std::string best = "/";
    for (const Volume& mount : ReadMounts())
        if (Under(real, mount.root) && mount.root.size() > best.size()) best = mount.root;
    return best;
}

std::int64_t VolumeTotalSize(const std::string& root) {
    struct statvfs st {};
    if (root.empty() || ::statvfs(root.c_str(), &st) != 0) return -1;
    return static_cast<std::int64_t>(st.f_blocks) * static_cast<std::int64_t>(st.f_frsize);
}

bool SameVolume(const std::string& a, const std::string& b) {
    return a == b;
}

// Linux shows no dialog for a missing medium; there is no mode to set or restore.
ScopedErrorMode::ScopedErrorMode(unsigned) {}
ScopedErrorMode::~ScopedErrorMode() = default;

}  // namespace platform
