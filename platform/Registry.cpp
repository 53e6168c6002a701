#include "platform/Registry.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace platform {
namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

std::string_view Trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// UTF-16LE bytes to UTF-8, ending at the first NUL (the stored terminator). A lone
// surrogate becomes U+FFFD.
std::string Utf16LeToUtf8(const std::string& bytes) {
    std::string out;
    const auto unit = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) |
               (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8);
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        std::uint32_t u = unit(i);
        if (u == 0) break;
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < bytes.size()) {
            const std::uint32_t low = unit(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        if (u >= 0xD800 && u < 0xE000) u = 0xFFFD;
        AppendUtf8(out, u);
    }
    return out;
}

// "2f,00,00,00" to bytes; false on anything that is not a comma-separated byte list.
bool ParseHexBytes(std::string_view text, std::string& out) {
    out.clear();
    text = Trim(text);
    if (text.empty()) return true;
    std::size_t pos = 0;
    for (;;) {
        std::size_t comma = text.find(',', pos);
        std::string_view item =
            Trim(text.substr(pos, comma == std::string_view::npos ? text.npos : comma - pos));
        if (item.empty() || item.size() > 2) return false;
        unsigned value = 0;
        for (char c : item) {
            const char l = LowerAscii(c);
            if (l >= '0' && l <= '9')
                value = value * 16 + static_cast<unsigned>(l - '0');
            else if (l >= 'a' && l <= 'f')
                value = value * 16 + static_cast<unsigned>(l - 'a' + 10);
            else
                return false;
        }
        out += static_cast<char>(value);
        if (comma == std::string_view::npos) return true;
        pos = comma + 1;
    }
}

// A quoted string starting at text[0] == '"', with \\ and \" escapes. Sets `rest` to what
// follows the closing quote; false when the string is not closed.
bool ParseQuoted(std::string_view text, std::string& out, std::string_view& rest) {
    out.clear();
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            out += text[++i];
        } else if (c == '"') {
            rest = text.substr(i + 1);
            return true;
        } else {
            out += c;
        }
    }
    return false;
}

RegValue ParseData(std::string_view data) {
    RegValue value;
    value.type = RegValueType::Other;
    data = Trim(data);
    std::string text;
    std::string_view rest;
    if (!data.empty() && data.front() == '"') {
        if (ParseQuoted(data, text, rest) && Trim(rest).empty()) {
            value.type = RegValueType::String;
            value.text = std::move(text);
        }
        return value;
    }
    constexpr std::string_view kExpand = "hex(2):";
    constexpr std::string_view kDword = "dword:";
    if (data.size() >= kExpand.size() && EqualsNoCase(data.substr(0, kExpand.size()), kExpand)) {
        if (ParseHexBytes(data.substr(kExpand.size()), text)) {
            value.type = RegValueType::ExpandString;
            value.text = Utf16LeToUtf8(text);
        }
        return value;
    }
    if (data.size() > kDword.size() && data.size() <= kDword.size() + 8 &&
        EqualsNoCase(data.substr(0, kDword.size()), kDword)) {
        std::uint32_t number = 0;
        for (char c : data.substr(kDword.size())) {
            const char l = LowerAscii(c);
            if (l >= '0' && l <= '9')
                number = number * 16 + static_cast<std::uint32_t>(l - '0');
            else if (l >= 'a' && l <= 'f')
                number = number * 16 + static_cast<std::uint32_t>(l - 'a' + 10);
            else
                return value;
        }
        value.type = RegValueType::DWord;
        value.dword = number;
    }
    return value;
}

std::string ReadStore() {
    std::ifstream in(UserRegistryFile(), std::ios::binary);
    if (!in) return {};
    std::ostringstream buffer;
    buffer << in.rdbuf();
    std::string text = buffer.str();
    // regedit writes UTF-16LE with a byte-order mark; a hand-written file is UTF-8.
    if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFF &&
        static_cast<unsigned char>(text[1]) == 0xFE) {
        text = Utf16LeToUtf8(text.substr(2));  // the text itself holds no NUL
    } else if (text.rfind("\xEF\xBB\xBF", 0) == 0) {
        text.erase(0, 3);
    }
    return text;
}

// The key path without its root, or nullopt for a section of another root.
std::optional<std::string> CurrentUserPath(std::string_view section) {
    for (std::string_view root : {"HKEY_CURRENT_USER", "HKCU"}) {
        if (EqualsNoCase(section, root)) return std::string();
        if (section.size() > root.size() && section[root.size()] == '\\' &&
            EqualsNoCase(section.substr(0, root.size()), root))
            return std::string(section.substr(root.size() + 1));
    }
    return std::nullopt;
}

std::string NormaliseKeyPath(std::string_view path) {
    while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
    while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    return std::string(path);
}

}  // namespace

std::optional<RegistryKey> RegistryKey::OpenCurrentUser(const std::string& path) {
    const std::string wanted = NormaliseKeyPath(path);
    const std::string store = ReadStore();

    // Joins continued lines (a trailing backslash, as regedit wraps long hex lists).
    std::vector<std::string> lines;
    {
        std::istringstream in(store);
        std::string line, pending;
        while (std::getline(in, line)) {
            std::string_view t = Trim(line);
            if (!pending.empty()) {
                pending += t;
            } else {
                pending = std::string(t);
            }
            if (!pending.empty() && pending.back() == '\\' && pending.front() != '[') {
                pending.pop_back();
                continue;
            }
            lines.push_back(std::move(pending));
            pending.clear();
        }
        if (!pending.empty()) lines.push_back(std::move(pending));
    }

    bool found = false;
    bool inKey = false;
    RegistryKey key;
    key.path_ = wanted;
    for (const std::string& line : lines) {
        std::string_view t = Trim(line);
        if (t.empty() || t.front() == ';') continue;
        if (t.front() == '[') {
            inKey = false;
            if (t.back() != ']' || t.size() < 2) continue;
            std::string_view section = Trim(t.substr(1, t.size() - 2));
            if (!section.empty() && section.front() == '-') continue;  // a deleted key
            auto sectionPath = CurrentUserPath(section);
            if (!sectionPath) continue;
            const std::string normal = NormaliseKeyPath(*sectionPath);
            if (EqualsNoCase(normal, wanted)) {
                found = inKey = true;
            } else if (normal.size() > wanted.size() &&
                       (wanted.empty() || normal[wanted.size()] == '\\') &&
                       EqualsNoCase(std::string_view(normal).substr(0, wanted.size()), wanted)) {
                found = true;  // a subkey implies its parents
            }
            continue;
        }
        if (!inKey) continue;
        std::string name;
        std::string_view rest;
        if (t.front() == '@') {
            rest = t.substr(1);
        } else if (t.front() != '"' || !ParseQuoted(t, name, rest)) {
            continue;
        }
        rest = Trim(rest);
        if (rest.empty() || rest.front() != '=') continue;
        rest = Trim(rest.substr(1));
        auto& values = key.values_;
        for (auto it = values.begin(); it != values.end(); ++it) {
            if (EqualsNoCase(it->first, name)) {
                values.erase(it);
                break;
            }
        }
        if (rest == "-") continue;  // a deleted value
        values.emplace_back(std::move(name), ParseData(rest));
    }
    if (!found) return std::nullopt;
    return key;
}

std::optional<RegValue> RegistryKey::Value(const std::string& name) const {
    for (const auto& [stored, value] : values_)
        if (EqualsNoCase(stored, name)) return value;
    return std::nullopt;
}

std::string RegistryKey::ReadString(const std::string& name) const {
    auto value = Value(name);
    if (!value) return {};
    if (value->type != RegValueType::String && value->type != RegValueType::ExpandString)
        throw RegistryError("Invalid data type for '" + name + "'");
    return value->text;
}

std::string UserRegistryFile() {
    std::string config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
        config = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] == '\0') {
            if (const passwd* pw = ::getpwuid(::getuid())) home = pw->pw_dir;
        }
        config = std::string(home ? home : "") + "/.config";
    }
    return config + "/tovanek/user.reg";
}

}  // namespace platform
