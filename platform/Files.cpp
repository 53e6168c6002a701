#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <vector>

namespace platform {
namespace {

bool EqualsNoCase(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
        if (x != y) return false;
    }
    return i == a.size() && b[i] == '\0';
}

struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

  private:
    int fd_;
};

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::optional<std::string> FindFirstName(const std::string& path) {
    // The last element; a path that ends in a separator names no element (as
    // FindFirstFile finds nothing for "C:\dir\"), and a bare root has none either.
    if (path.empty() || path.back() == '/') return std::nullopt;
    struct stat target {};
    if (::lstat(path.c_str(), &target) != 0) return std::nullopt;

    const std::size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    if (name == "." || name == "..") return name;

    // On a case-sensitive file system the entry is spelt exactly as asked. On a
    // case-insensitive one (vfat, exFAT, ext4 with casefold) the lookup above also
    // succeeds for another spelling, and the stored one is the entry of the folder that
    // matches without regard to case and is the very same file.
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir) return name;
    std::vector<std::string> candidates;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (name == entry->d_name) return name;
        if (EqualsNoCase(name, entry->d_name)) candidates.emplace_back(entry->d_name);
    }
    for (const std::string& candidate : candidates) {
        struct stat st {};
        if (::lstat((folder + candidate).c_str(), &st) == 0 && st.st_dev == target.st_dev &&
            st.st_ino == target.st_ino)
            return candidate;
    }
    // Folded beyond ASCII (or not listable): the name as asked is the best we know.
    return name;
}

bool FileOrFolderExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

bool FolderExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsReadOnly(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0;
}

bool SetAttributesNormal(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    return ::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
}

bool SetReadOnly(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    return ::chmod(path.c_str(), st.st_mode & 07777 & ~(S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool DeleteFile(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    // As on Windows, a read-only file is not deleted until its attributes are reset.
    if (!S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0) return false;
    return ::unlink(path.c_str()) == 0;
}

bool CopyFile(const std::string& source, const std::string& destination, bool failIfExists) {
    Fd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) return false;
    struct stat src {};
    if (::fstat(in.get(), &src) != 0 || S_ISDIR(src.st_mode)) return false;

    struct stat dst {};
    if (::stat(destination.c_str(), &dst) == 0) {
        if (failIfExists || S_ISDIR(dst.st_mode)) return false;
        // As on Windows, a read-only destination is not replaced.
        if ((dst.st_mode & S_IWUSR) == 0) return false;
    }

    // Written under a temporary name beside the destination, then renamed into place:
    // the destination is either the old file or the whole copy, never a part.
    std::string temp = destination + ".XXXXXX";
    Fd out(::mkostemp(temp.data(), O_CLOEXEC));
    if (out.get() < 0) return false;
    bool ok = true;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t n = ::read(in.get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        if (!WriteAll(out.get(), buffer.data(), static_cast<std::size_t>(n))) {
            ok = false;
            break;
        }
    }
    // The copy keeps the source's permissions and modification time, as CopyFile does.
    ok = ok && ::fchmod(out.get(), src.st_mode & 07777) == 0;
    const timespec times[2] = {src.st_atim, src.st_mtim};
    ::futimens(out.get(), times);
    ok = ::close(out.release()) == 0 && ok;
    if (ok) {
        if (failIfExists)
            ok = ::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, destination.c_str(),
                             RENAME_NOREPLACE) == 0 ||
                 (errno == EINVAL && ::link(temp.c_str(), destination.c_str()) == 0);
        else
            ok = ::rename(temp.c_str(), destination.c_str()) == 0;
    }
    ::unlink(temp.c_str());  // after a rename the name is gone already; harmless
    return ok;
}

std::string CurrentFolder() {
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size()) != nullptr) return buffer.data();
        if (errno != ERANGE) return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::string MakeAbsolute(const std::string& path) {
    if (!path.empty() && path.front() == '/') return path;
    std::string folder = CurrentFolder();
    if (path.empty()) return folder;
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder + path;
}

std::string ExecutablePath() {
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return {};
        if (static_cast<std::size_t>(n) < buffer.size())
            return std::string(buffer.data(), static_cast<std::size_t>(n));
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace platform
