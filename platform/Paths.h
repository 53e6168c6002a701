#pragma once
// Path syntax of a host and the pure helpers over it. Paths are byte strings built by
// plain concatenation and never normalised. Every split is double-byte aware: a byte
// that is the second byte of a double-byte character is part of that character, never
// a separator, "." or ":". Any thread.

#include <string>

namespace platform {

struct PathSyntax {
    char separator;                       // '\\' on Windows, '/' on Linux
    bool drives;                          // "C:" drive prefixes and ':' as a split point
    bool (*isLeadByte)(unsigned char b);  // first byte of a double-byte character
};

// Windows syntax with the CP932 (Shift-JIS) lead-byte table.
const PathSyntax& WindowsSyntax();
// Linux syntax: '/', no drives, UTF-8 (no byte is a lead byte of a double-byte pair).
const PathSyntax& PosixSyntax();
// The syntax of the host this build runs on.
const PathSyntax& HostSyntax();

// Everything up to and including the last separator (or ':' with drives); "" when none.
std::string FolderPart(const std::string& path, const PathSyntax& s = HostSyntax());
// The folder of a file: FolderPart without its trailing separator, except that a root
// keeps it ("C:\a.wav" -> "C:\", "/a.wav" -> "/").
std::string FolderOfFile(const std::string& path, const PathSyntax& s = HostSyntax());
// The text after the last separator (or ':').
std::string FileNamePart(const std::string& path, const PathSyntax& s = HostSyntax());
// From the last '.' of the file name to the end, "" when the name has none.
std::string ExtensionPart(const std::string& path, const PathSyntax& s = HostSyntax());
// The path with its extension replaced by `ext` (".mp3"), or `ext` appended.
std::string ChangeExtension(const std::string& path, const std::string& ext,
                            const PathSyntax& s = HostSyntax());
// folder + separator + name, joined as they stand.
std::string JoinPath(const std::string& folder, const std::string& name,
                     const PathSyntax& s = HostSyntax());
// ASCII letters lower-cased; double-byte characters and all other bytes left intact.
std::string LowerAnsi(const std::string& text, const PathSyntax& s = HostSyntax());
// The folder that holds the running executable (FolderOfFile of its path).
std::string ExecutableFolder();

}  // namespace platform
