#include "platform/Paths.h"

#include <vector>

#include "platform/Files.h"

namespace platform {
namespace {

bool Cp932LeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
bool NoLeadByte(unsigned char) {
    return false;
}

// True for each byte that stands on its own or starts a character; false for the second
// byte of a double-byte character. A lead byte at the very end has no partner and counts
// as a byte of its own.
std::vector<bool> CharacterStarts(const std::string& text, const PathSyntax& s) {
    std::vector<bool> starts(text.size(), true);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (s.isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size())
            starts[++i] = false;
    }
    return starts;
}

bool IsSplitPoint(char c, const PathSyntax& s) {
    return c == s.separator || (s.drives && c == ':');
}

// Index of the last separator (or ':' with drives) that is a character of its own;
// npos when there is none.
std::size_t LastSplit(const std::string& path, const PathSyntax& s) {
    const auto starts = CharacterStarts(path, s);
    for (std::size_t i = path.size(); i-- > 0;)
        if (starts[i] && IsSplitPoint(path[i], s)) return i;
    return std::string::npos;
}

// Index of the extension's '.', or npos when the file name has none.
std::size_t ExtensionStart(const std::string& path, const PathSyntax& s) {
    const auto starts = CharacterStarts(path, s);
    for (std::size_t i = path.size(); i-- > 0;) {
        if (!starts[i]) continue;
        if (path[i] == '.') return i;
        if (IsSplitPoint(path[i], s)) break;
    }
    return std::string::npos;
}

}  // namespace

const PathSyntax& WindowsSyntax() {
    static const PathSyntax syntax{'\\', true, &Cp932LeadByte};
    return syntax;
}

const PathSyntax& PosixSyntax() {
    static const PathSyntax syntax{'/', false, &NoLeadByte};
    return syntax;
}

const PathSyntax& HostSyntax() {
#ifdef _WIN32
    return WindowsSyntax();
#else
    return PosixSyntax();
#endif
}

std::string FolderPart(const std::string& path, const PathSyntax& s) {
    const std::size_t split = LastSplit(path, s);
    return split == std::string::npos ? std::string() : path.substr(0, split + 1);
}

std::string FolderOfFile(const std::string& path, const PathSyntax& s) {
    std::string folder = FolderPart(path, s);
    const std::size_t last = folder.size();
    if (last < 2 || folder.back() != s.separator) return folder;
    // A root keeps its separator: the one at the very start ("/", "\"), the one after a
    // drive ("C:\"), and the second of two in a row, which the file system reads as one.
    const auto starts = CharacterStarts(folder, s);
    const std::size_t before = last - 2;
    if (starts[before] && IsSplitPoint(folder[before], s)) return folder;
    folder.pop_back();
    return folder;
}

std::string FileNamePart(const std::string& path, const PathSyntax& s) {
    const std::size_t split = LastSplit(path, s);
    return split == std::string::npos ? path : path.substr(split + 1);
}

std::string ExtensionPart(const std::string& path, const PathSyntax& s) {
    const std::size_t dot = ExtensionStart(path, s);
    return dot == std::string::npos ? std::string() : path.substr(dot);
}

std::string ChangeExtension(const std::string& path, const std::string& ext, const PathSyntax& s) {
    const std::size_t dot = ExtensionStart(path, s);
    return (dot == std::string::npos ? path : path.substr(0, dot)) + ext;
}

std::string JoinPath(const std::string& folder, const std::string& name, const PathSyntax& s) {
    return folder + s.separator + name;
}

std::string LowerAnsi(const std::string& text, const PathSyntax& s) {
    std::string out = text;
    const auto starts = CharacterStarts(text, s);
    for (std::size_t i = 0; i < out.size(); ++i)
        if (starts[i] && out[i] >= 'A' && out[i] <= 'Z') out[i] = static_cast<char>(out[i] + 32);
    return out;
}

std::string ExecutableFolder() {
    return FolderOfFile(ExecutablePath(), HostSyntax());
}

}  // namespace platform
