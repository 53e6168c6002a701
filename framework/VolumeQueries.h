#pragma once
// The volume queries the drive combo and the folder list ask: the roots of the mounted
// volumes and the volume of a path. They are platform::ListVolumes and platform::VolumeOf
// unless a test puts its own in place (so that folders can stand in for volumes).
// Main thread only.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace framework {

struct VolumeQueries {
    std::function<std::vector<std::string>()> listRoots;
    std::function<std::string(const std::string& path)> volumeOf;
};

const VolumeQueries& CurrentVolumeQueries();

// nullopt puts the platform's queries back.
void SetVolumeQueriesForTesting(std::optional<VolumeQueries> queries);

// Queries in which the given folders play the part of mounted volumes (tests): they are
// the roots, a path lies on the first of them that is it or holds it, any other on "/".
VolumeQueries FoldersAsVolumes(std::vector<std::string> roots);

}  // namespace framework
