#include "framework/VolumeQueries.h"

#include "platform/Volumes.h"

namespace framework {

namespace {

VolumeQueries PlatformQueries() {
    return {[] {
                std::vector<std::string> roots;
                for (const platform::Volume& v : platform::ListVolumes()) roots.push_back(v.root);
                return roots;
            },
            [](const std::string& path) { return platform::VolumeOf(path); }};
}

VolumeQueries& Current() {
    static VolumeQueries queries = PlatformQueries();
    return queries;
}

}  // namespace

const VolumeQueries& CurrentVolumeQueries() {
    return Current();
}

void SetVolumeQueriesForTesting(std::optional<VolumeQueries> queries) {
    Current() = queries ? std::move(*queries) : PlatformQueries();
}

VolumeQueries FoldersAsVolumes(std::vector<std::string> roots) {
    return VolumeQueries{[roots] { return roots; },
                         [roots](const std::string& path) {
                             for (const std::string& root : roots) {
                                 if (path == root || path.rfind(root + "/", 0) == 0) return root;
                             }
                             return std::string("/");
                         }};
}

}  // namespace framework
