#pragma once
// The long form of a path: every existing element takes the name the file system stores
// for it (platform::FindFirstName), in the host's path syntax. On Windows a bare drive
// ("C:") stays as it is and ends the recursion; on Linux there are no drives and the
// recursion ends at the root "/", whose look-up finds nothing. Any thread.

#include <optional>
#include <string>

#include "platform/Paths.h"

namespace app {

// The look-up of one path's last element: its stored name, or nullopt.
using NameLookup = std::optional<std::string> (*)(const std::string& path);

// The stored name of the last element of an existing path (no folder), or "".
std::string LongNameOf(const std::string& path, NameLookup lookup = nullptr);

// The path with every existing element in its stored form. Where the look-up finds
// nothing, the path at that level is returned as given, with everything above it.
// `lookup` null means platform::FindFirstName.
std::string ExpandLongPath(const std::string& path,
                           const platform::PathSyntax& syntax = platform::HostSyntax(),
                           NameLookup lookup = nullptr);

}  // namespace app
