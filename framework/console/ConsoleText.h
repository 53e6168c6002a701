#pragma once
// The console front-end's text: widths of UTF-8 text on a terminal, the status line of a
// batch view, and the buttons of a message box as a typed prompt. Pure functions; any
// thread.

#include <optional>
#include <string>
#include <vector>

namespace framework::console {

// Columns the text takes on a terminal: one per character, two for the wide East Asian
// ones (CJK, kana, Hangul, full-width forms).
int DisplayWidth(const std::string& text);

// The text cut to at most `columns` columns: the middle is replaced by "…", so that both
// the start and the end (a file's extension) stay readable.
std::string FitToWidth(const std::string& text, int columns);

// "[#####---------------]  25%" for a position within min..max (a width of `cells`).
std::string ProgressBarText(int position, int min, int max, int cells = 20);

// One status line: the labels joined by two blanks, then the progress bars, fitted into
// `columns` (0: no limit) by shortening the longest label.
std::string StatusLineText(const std::vector<std::string>& labels,
                           const std::vector<std::string>& bars, int columns);

// The buttons of a message box type (flags & MB_TYPEMASK).
struct Choice {
    int answer;         // ID*
    std::string label;  // "[Y]es"
    std::string word;   // "Yes"
};
std::vector<Choice> ChoicesFor(unsigned flags);
// "[Y]es/[N]o/[C]ancel"
std::string ChoicesText(const std::vector<Choice>& choices);
// The answer a typed line stands for: the first letter or the whole word, any letter
// case, blanks around ignored; nullopt when it names none of the choices.
std::optional<int> ParseAnswer(const std::string& line, const std::vector<Choice>& choices);
// The answer taken when nobody can answer: the one that leaves the user's files as they
// are. An existing file is not overwritten (No), a question whether to go on after a
// failure stops (No), and otherwise Cancel or Abort.
int UnattendedAnswer(unsigned flags);
// The word of an answer ("Yes", "No", "Cancel"...).
std::string AnswerWord(int answer);

}  // namespace framework::console
