#include "framework/console/ConsoleText.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "framework/Types.h"

namespace framework::console {

namespace {

// Decodes the UTF-8 sequence at text[i]; a malformed byte counts as one character.
std::uint32_t NextCodePoint(const std::string& text, std::size_t& i) {
    const auto b = static_cast<unsigned char>(text[i]);
    int extra = 0;
    std::uint32_t cp = b;
    if (b >= 0xF0 && b < 0xF8) {
        extra = 3;
        cp = b & 0x07;
    } else if (b >= 0xE0) {
        extra = 2;
        cp = b & 0x0F;
    } else if (b >= 0xC0) {
        extra = 1;
        cp = b & 0x1F;
    }
    if (b >= 0xF8 || i + static_cast<std::size_t>(extra) >= text.size()) {
        ++i;
        return b;
    }
    std::size_t j = i + 1;
    for (int k = 0; k < extra; ++k, ++j) {
        const auto c = static_cast<unsigned char>(text[j]);
        if ((c & 0xC0) != 0x80) {
            ++i;
            return b;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    i = j;
    return cp;
}

bool IsWide(std::uint32_t cp) {
    return (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) ||
           (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
           (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
           (cp >= 0xFFE0 && cp <= 0xFFE6) || (cp >= 0x1F300 && cp <= 0x1FAFF) ||
           (cp >= 0x20000 && cp <= 0x3FFFD);
}

// Splits the text into characters (byte ranges) with their widths.
struct Glyph {
    std::size_t begin, end;
    int width;
};
std::vector<Glyph> Glyphs(const std::string& text) {
    std::vector<Glyph> glyphs;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t begin = i;
        const std::uint32_t cp = NextCodePoint(text, i);
        const int width = cp < 0x20 || cp == 0x7F ? 0 : (IsWide(cp) ? 2 : 1);
        glyphs.push_back({begin, i, width});
    }
    return glyphs;
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

}  // namespace

int DisplayWidth(const std::string& text) {
    int width = 0;
    for (const Glyph& g : Glyphs(text)) width += g.width;
    return width;
}

std::string FitToWidth(const std::string& text, int columns) {
    if (DisplayWidth(text) <= columns) return text;
    if (columns <= 0) return {};
    const std::vector<Glyph> glyphs = Glyphs(text);
    const int room = columns - 1;  // the ellipsis takes one column
    const int headRoom = room / 2;
    const int tailRoom = room - headRoom;
    std::size_t headEnd = 0;
    int used = 0;
    for (const Glyph& g : glyphs) {
        if (used + g.width > headRoom) break;
        used += g.width;
        headEnd = g.end;
    }
    std::size_t tailBegin = text.size();
    used = 0;
    for (auto it = glyphs.rbegin(); it != glyphs.rend(); ++it) {
        if (used + it->width > tailRoom) break;
        used += it->width;
        tailBegin = it->begin;
    }
    return text.substr(0, headEnd) + "…" + text.substr(tailBegin);
}

std::string ProgressBarText(int position, int min, int max, int cells) {
    long long percent = 0;
    if (max > min) {
        const long long clamped = std::clamp<long long>(position, min, max);
        percent = (clamped - min) * 100 / (static_cast<long long>(max) - min);
    }
    const int filled = static_cast<int>(percent * cells / 100);
    std::string bar = "[" + std::string(static_cast<std::size_t>(filled), '#') +
                      std::string(static_cast<std::size_t>(cells - filled), '-') + "] ";
    const std::string number = std::to_string(percent);
    bar += std::string(3 - std::min<std::size_t>(3, number.size()), ' ') + number + "%";
    return bar;
}

std::string StatusLineText(const std::vector<std::string>& labels,
                           const std::vector<std::string>& bars, int columns) {
    std::vector<std::string> parts = labels;
    auto joined = [&] {
        std::string line;
        for (const std::string& p : parts) {
            if (!line.empty()) line += "  ";
            line += p;
        }
        for (const std::string& b : bars) {
            if (!line.empty()) line += "  ";
            line += b;
        }
        return line;
    };
    std::string line = joined();
    if (columns <= 0 || parts.empty()) return line;
    const int excess = DisplayWidth(line) - columns;
    if (excess <= 0) return line;
    auto longest = std::max_element(parts.begin(), parts.end(), [](const auto& a, const auto& b) {
        return DisplayWidth(a) < DisplayWidth(b);
    });
    *longest = FitToWidth(*longest, std::max(1, DisplayWidth(*longest) - excess));
    line = joined();
    return DisplayWidth(line) <= columns ? line : FitToWidth(line, columns);
}

std::vector<Choice> ChoicesFor(unsigned flags) {
    switch (flags & MB_TYPEMASK) {
        case MB_OKCANCEL:
            return {{IDOK, "OK(O)", "OK"}, {IDCANCEL, "キャンセル(C)", "Cancel"}};
        case MB_ABORTRETRYIGNORE:
            return {{IDABORT, "中止(A)", "Abort"},
                    {IDRETRY, "再試行(R)", "Retry"},
                    {IDIGNORE, "無視(I)", "Ignore"}};
        case MB_YESNOCANCEL:
            return {{IDYES, "はい(Y)", "Yes"},
                    {IDNO, "いいえ(N)", "No"},
                    {IDCANCEL, "キャンセル(C)", "Cancel"}};
        case MB_YESNO:
            return {{IDYES, "はい(Y)", "Yes"}, {IDNO, "いいえ(N)", "No"}};
        case MB_RETRYCANCEL:
            return {{IDRETRY, "再試行(R)", "Retry"}, {IDCANCEL, "キャンセル(C)", "Cancel"}};
        default:
            return {};
    }
}

std::string ChoicesText(const std::vector<Choice>& choices) {
    std::string text;
    for (const Choice& c : choices) {
        if (!text.empty()) text += "/";
        text += c.label;
    }
    return text;
}

std::optional<int> ParseAnswer(const std::string& line, const std::vector<Choice>& choices) {
    const std::string typed = Lower(Trim(line));
    if (typed.empty()) return std::nullopt;
    for (const Choice& c : choices) {
        const std::string word = Lower(c.word);
        if (typed == word || (typed.size() == 1 && typed[0] == word[0])) return c.answer;
        if (typed == AnswerWord(c.answer)) return c.answer;  // typed in Japanese
    }
    return std::nullopt;
}

int UnattendedAnswer(unsigned flags) {
    switch (flags & MB_TYPEMASK) {
        case MB_YESNOCANCEL:
        case MB_YESNO:
            return IDNO;
        case MB_OKCANCEL:
        case MB_RETRYCANCEL:
            return IDCANCEL;
        case MB_ABORTRETRYIGNORE:
            return IDABORT;
        default:
            return IDOK;
    }
}

std::string AnswerWord(int answer) {
    switch (answer) {
        case IDOK:
            return "OK";
        case IDCANCEL:
            return "キャンセル";
        case IDABORT:
            return "中止";
        case IDRETRY:
            return "再試行";
        case IDIGNORE:
            return "無視";
        case IDYES:
            return "はい";
        case IDNO:
            return "いいえ";
        default:
            return std::to_string(answer);
    }
}

}  // namespace framework::console
