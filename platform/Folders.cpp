#include "platform/Folders.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace platform {

std::vector<std::string> ListSubfolders(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return names;
    std::string base = folder;
    if (base.empty() || base.back() != '/') base += '/';
    while (dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        bool isDir = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat st {};
            isDir = ::stat((base + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        if (isDir) names.push_back(std::move(name));
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

bool CanEnterFolder(const std::string& folder) {
    struct stat st {};
    if (folder.empty() || ::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    return ::access(folder.c_str(), X_OK) == 0;
}

bool FolderWritable(const std::string& folder) {
    struct stat st {};
    if (folder.empty() || ::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

}  // namespace platform
