#include "app/LongPath.h"

#include "platform/Files.h"

namespace app {

std::string LongNameOf(const std::string& path, NameLookup lookup) {
    if (path.empty()) return {};
    std::optional<std::string> name = lookup ? lookup(path) : platform::FindFirstName(path);
    return name ? *name : std::string();
}

std::string ExpandLongPath(const std::string& path, const platform::PathSyntax& syntax,
                           NameLookup lookup) {
    if (syntax.drives && path.size() == 2 && path[1] == ':') return path;
    std::string name = LongNameOf(path, lookup);
    if (name.empty()) return path;
    std::string parent = platform::FolderPart(path, syntax);
    if (!parent.empty()) parent.pop_back();
    return ExpandLongPath(parent, syntax, lookup) + syntax.separator + name;
}

}  // namespace app
