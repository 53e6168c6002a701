#pragma once
// INI files through the profile functions (GetPrivateProfileString and friends).
//
// Format: "[SECTION]" header lines, then KEY=value lines. Section and key names compare
// case-insensitively. Every write goes to the file at once: the first write creates the
// file and the section, a present key keeps its place and takes the new value, a new key
// is appended at the end of its section. Text is stored as given (UTF-8 on Linux).
// Each call opens and closes the file itself; nothing is cached. Any thread; two
// writers of one file at the same moment are not serialised.

#include <cstdint>
#include <string>

namespace platform {

// Buffer of the string reader, terminating NUL included: at most 2047 characters arrive.
constexpr std::size_t kProfileBufferChars = 2048;

// The value of `key`, or `defaultValue` when the file, section or key is missing. As the
// system's reader does, blanks around names and values are ignored and one pair of
// enclosing quotes (" or ') is taken off the value. The first section of a name is the
// one read and written. The result is cut to kProfileBufferChars - 1 bytes (never in the
// middle of a UTF-8 character).
std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, const std::string& path);

// False when the file cannot be written; the file is then unchanged. The new file is
// written beside the old one and renamed over it, keeping every other line, its order
// and its line breaks. A line break inside `value` is written as a blank (a value stays
// one line); a key that could not be read back (empty, with '=' or surrounding blanks)
// is refused with false.
bool WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& path);

// The integer reading of an INI value: leading blanks skipped, then an optional sign and
// decimal digits, or a hexadecimal number after "0x", "0X", "$", "x" or "X". An empty
// text, any other character, or a value outside 32 bits gives `defaultValue`. A sign may
// also stand before a hexadecimal prefix ("-$10" is -16), and hexadecimal is a 32-bit
// pattern ("$FFFFFFFF" is -1), as in the VCL's StrToIntDef. "0128" is decimal 128.
std::int32_t ParseProfileInteger(const std::string& text, std::int32_t defaultValue);

}  // namespace platform
