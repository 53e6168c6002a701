#pragma once
// Folder queries: listing subfolders, whether a folder can be entered or written. Paths
// in the host's syntax and charset. Any thread.

#include <string>
#include <vector>

#include "platform/Shell.h"

namespace platform {

// The names of the subfolders of `folder` (no "." or ".."), in byte order. Empty when
// the folder cannot be read.
std::vector<std::string> ListSubfolders(const std::string& folder);

// The folder exists and the calling process may enter it (search permission).
bool CanEnterFolder(const std::string& folder);

// The folder exists and the calling process may create files in it.
bool FolderWritable(const std::string& folder);

// CreateFolderTree (a folder with every missing parent) is declared by the shell's
// header and defined there once.

}  // namespace platform
