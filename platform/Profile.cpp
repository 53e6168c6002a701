#include "platform/Profile.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <limits>
#include <memory>
#include <optional>
#include <sstream>
#include <string_view>
#include <vector>

namespace platform {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

// The file as lines, each without its line break. `exists` is false for a missing file;
// nullopt when the file is there but cannot be read (a folder, no permission).
struct IniText {
    std::vector<std::string> lines;
    bool exists = false;
    bool crlf = false;  // the file's own line breaks, kept on rewrite
};

std::optional<IniText> ReadIni(const std::string& path) {
    IniText ini;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) return ini;
        return std::nullopt;
    }
    if (!S_ISREG(st.st_mode)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    ini.exists = true;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    const std::string text = buffer.str();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
            ini.crlf = true;
        }
        ini.lines.push_back(std::move(line));
        start = end + 1;
    }
    return ini;
}

// What a line is to the reader. The first line may carry a UTF-8 byte-order mark.
std::string_view Content(const IniText& ini, std::size_t i) {
    std::string_view line = ini.lines[i];
    if (i == 0 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
    return Trim(line);
}

std::optional<std::string_view> SectionName(std::string_view content) {
    if (content.empty() || content.front() != '[') return std::nullopt;
    const std::size_t close = content.find(']');
    if (close == std::string_view::npos) return Trim(content.substr(1));
    return Trim(content.substr(1, close - 1));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> SplitKey(std::string_view content) {
    if (content.empty() || content.front() == ';') return std::nullopt;
    const std::size_t eq = content.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return KeyLine{Trim(content.substr(0, eq)), Trim(content.substr(eq + 1))};
}

// Where a section and a key of it stand in the file.
struct Place {
    std::optional<std::size_t> header;  // the section's header line
    std::size_t end = 0;                // one past its last line that is not blank
    std::optional<std::size_t> key;     // the key's line
};

Place Locate(const IniText& ini, std::string_view section, std::string_view key) {
    Place place;
    for (std::size_t i = 0; i < ini.lines.size(); ++i) {
        const std::string_view content = Content(ini, i);
        if (auto name = SectionName(content)) {
            if (place.header) break;  // the first section of that name is the one used
            if (EqualsNoCase(*name, section)) {
                place.header = i;
                place.end = i + 1;
            }
            continue;
        }
        if (!place.header) continue;
        if (!content.empty()) place.end = i + 1;
        if (!place.key) {
            if (auto k = SplitKey(content); k && EqualsNoCase(k->key, key)) place.key = i;
        }
    }
    return place;
}

// Cuts to at most `limit` bytes without splitting a UTF-8 sequence.
std::string CapToBuffer(std::string text, std::size_t limit) {
    if (text.size() <= limit) return text;
    std::size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    text.resize(cut);
    return text;
}

bool WriteAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Replaces the file by `text`: written beside it under a temporary name and renamed over
// it, so a failure leaves the old file whole. A symbolic link is followed, not replaced.
bool ReplaceFile(const std::string& path, const std::string& text, bool exists) {
    std::string target = path;
    mode_t mode = 0644;
    if (exists) {
        std::unique_ptr<char, decltype(&::free)> real(::realpath(path.c_str(), nullptr), &::free);
        if (!real) return false;
        target = real.get();
        struct stat st {};
        if (::stat(target.c_str(), &st) == 0) mode = st.st_mode & 07777;
    }
    std::string temp = target + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        // A writable file in a folder that is not: rewrite it in place, as the system
        // would, rather than refuse.
        if (!exists || (errno != EACCES && errno != EPERM)) return false;
        const int in = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (in < 0) return false;
        const bool ok = WriteAll(in, text);
        return ::close(in) == 0 && ok;
    }
    bool ok = WriteAll(fd, text) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

// One line of text stays one line in the file.
std::string OneLine(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '\n' || c == '\r') c = ' ';
    return out;
}

}  // namespace

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, const std::string& path) {
    constexpr std::size_t kLimit = kProfileBufferChars - 1;
    auto ini = ReadIni(path);
    if (!ini) return CapToBuffer(defaultValue, kLimit);
    const Place place = Locate(*ini, section, key);
    if (!place.key) return CapToBuffer(defaultValue, kLimit);
    std::string_view value = SplitKey(Content(*ini, *place.key))->value;
    // One pair of enclosing quotes is taken off, as the system's reader does.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return CapToBuffer(std::string(value), kLimit);
}

bool WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& path) {
    // A name that would read back as something else is refused rather than written.
    if (key.empty() || Trim(key) != key || key.find('=') != std::string::npos ||
        key.find_first_of("\r\n") != std::string::npos || key.front() == '[' ||
        key.front() == ';' || section.find_first_of("]\r\n") != std::string::npos)
        return false;
    auto ini = ReadIni(path);
    if (!ini) return false;

    const std::string keyLine = key + "=" + OneLine(value);
    const Place place = Locate(*ini, section, key);
    auto& lines = ini->lines;
    // A file that ends in a line break reads as a last, empty line; it is put back as the
    // break it was.
    const bool endedWithBreak = !lines.empty() && lines.back().empty();
    if (endedWithBreak) lines.pop_back();
    if (place.key) {
        // The stored spelling of the key stays; only what follows '=' changes.
        std::string& line = lines[*place.key];
        const std::size_t eq = line.find('=');
        line = line.substr(0, eq) + "=" + OneLine(value);
    } else if (place.header) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(place.end), keyLine);
    } else {
        if (!lines.empty() && !Trim(lines.back()).empty()) lines.emplace_back();
        lines.push_back("[" + section + "]");
        lines.push_back(keyLine);
    }

    const char* br = ini->crlf ? "\r\n" : "\n";
    std::string text;
    for (const std::string& line : lines) text += line + br;
    return ReplaceFile(path, text, ini->exists);
}

std::int32_t ParseProfileInteger(const std::string& text, std::int32_t defaultValue) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    // A sign may stand before a hexadecimal prefix too ("-$10" is -16), as in the
    // run-time library's StrToIntDef that reads these files on the original platform.
    bool hex = false;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= text.size()) return defaultValue;

    std::uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (hex && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (hex && c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return defaultValue;
        magnitude = magnitude * (hex ? 16 : 10) + digit;
        if (magnitude > 0xFFFFFFFFull) return defaultValue;
    }
    if (hex) {
        // Hexadecimal is a 32-bit pattern: $FFFFFFFF is -1.
        const auto pattern = static_cast<std::uint32_t>(magnitude);
        const auto value = static_cast<std::int32_t>(pattern);
        return negative ? static_cast<std::int32_t>(0u - pattern) : value;
    }
    if (negative) {
        if (magnitude > 0x80000000ull) return defaultValue;
        return static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude));
    }
    if (magnitude > 0x7FFFFFFFull) return defaultValue;
    return static_cast<std::int32_t>(magnitude);
}

}  // namespace platform
