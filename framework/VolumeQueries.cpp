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

}  // namespace framework
