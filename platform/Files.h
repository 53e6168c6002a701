#pragma once
// Files and folders by path. Paths are byte strings in the host's charset (UTF-8).
// Any thread.

#include <optional>
#include <string>

namespace platform {

// First-match lookup of an existing path, as FindFirstFile without wildcards: the name
// that the file system stores for the last element (its stored letter case on a
// case-insensitive mount), without any folder. nullopt when nothing exists there, and
// for a bare root ("/", "C:\").
std::optional<std::string> FindFirstName(const std::string& path);

bool FileOrFolderExists(const std::string& path);
bool FolderExists(const std::string& path);

// Read-only is the absence of the owner's write permission.
bool IsReadOnly(const std::string& path);
// FILE_ATTRIBUTE_NORMAL: clears read-only (grants the owner write). False on failure.
bool SetAttributesNormal(const std::string& path);
bool SetReadOnly(const std::string& path);

// Deletes a file (never a folder). False when nothing was deleted. As on Windows, a
// read-only file stays until SetAttributesNormal has cleared it.
bool DeleteFile(const std::string& path);

// Copies a file's bytes; with failIfExists an existing destination is kept and the call
// fails. The copy is written beside the destination and renamed into place, with the
// source's permissions and modification time. A read-only destination is never replaced.
bool CopyFile(const std::string& source, const std::string& destination, bool failIfExists);

// The current working folder, and `path` made absolute against it (an absolute path is
// returned unchanged; nothing is normalised).
std::string CurrentFolder();
std::string MakeAbsolute(const std::string& path);

// The running executable's full path.
std::string ExecutablePath();

}  // namespace platform
