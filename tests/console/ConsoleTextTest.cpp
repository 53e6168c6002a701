#include "framework/console/ConsoleText.h"

#include <gtest/gtest.h>

#include "framework/Types.h"

namespace framework::console {
namespace {

TEST(ConsoleText, WidthCountsWideCharactersTwice) {
    EXPECT_EQ(DisplayWidth("a.wav"), 5);
    EXPECT_EQ(DisplayWidth("曲.wav"), 6);
    EXPECT_EQ(DisplayWidth("ファイル"), 8);
    EXPECT_EQ(DisplayWidth("\xff\xfe"), 2);  // malformed bytes: one column each
}

TEST(ConsoleText, FittingKeepsBothEndsAndNeverSplitsACharacter) {
    EXPECT_EQ(FitToWidth("short.wav", 20), "short.wav");
    const std::string fitted = FitToWidth("a-very-long-file-name.wav", 11);
    EXPECT_EQ(fitted, "a-ver…e.wav");
    EXPECT_LE(DisplayWidth(fitted), 11);
    const std::string wide = FitToWidth("日本語の長いファイル名.mp3", 12);
    EXPECT_LE(DisplayWidth(wide), 12);
    EXPECT_NE(wide.find(".mp3"), std::string::npos);
    EXPECT_NE(wide.find("…"), std::string::npos);
}

TEST(ConsoleText, ProgressBar) {
    struct Case {
        int position, min, max;
        const char* text;
    };
    const Case cases[] = {
        {0, 0, 100, "[--------------------]   0%"},
        {33, 0, 100, "[######--------------]  33%"},
        {100, 0, 100, "[####################] 100%"},
        {150, 0, 100, "[####################] 100%"},  // kept within the range
        {5, 0, 0, "[--------------------]   0%"},      // empty range
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProgressBarText(c.position, c.min, c.max), c.text) << c.position;
    }
}

TEST(ConsoleText, StatusLineShortensTheLongestLabelToFit) {
    const std::vector<std::string> labels = {"1 / 3", "a-rather-long-file-name-here.wav"};
    const std::vector<std::string> bars = {ProgressBarText(50, 0, 100)};
    EXPECT_EQ(StatusLineText(labels, bars, 0),
              "1 / 3  a-rather-long-file-name-here.wav  [##########----------]  50%");
    const std::string line = StatusLineText(labels, bars, 50);
    EXPECT_EQ(DisplayWidth(line), 50);
    EXPECT_EQ(line.rfind("1 / 3  ", 0), 0u);
    EXPECT_NE(line.find(".wav  [####"), std::string::npos);
}

TEST(ConsoleText, AnswersByLetterOrWord) {
    const auto choices = ChoicesFor(MB_YESNOCANCEL | MB_ICONQUESTION);
    EXPECT_EQ(ChoicesText(choices), "はい(Y)/いいえ(N)/キャンセル(C)");
    EXPECT_EQ(ParseAnswer("y", choices), IDYES);
    EXPECT_EQ(ParseAnswer("  YES \r", choices), IDYES);
    EXPECT_EQ(ParseAnswer("n", choices), IDNO);
    EXPECT_EQ(ParseAnswer("Cancel", choices), IDCANCEL);
    EXPECT_EQ(ParseAnswer("いいえ", choices), IDNO);
    EXPECT_EQ(ParseAnswer("", choices), std::nullopt);
    EXPECT_EQ(ParseAnswer("yep", choices), std::nullopt);
    EXPECT_EQ(ParseAnswer("r", choices), std::nullopt);
    EXPECT_EQ(ChoicesText(ChoicesFor(MB_YESNO | MB_ICONEXCLAMATION)), "はい(Y)/いいえ(N)");
    EXPECT_TRUE(ChoicesFor(MB_OK | MB_ICONEXCLAMATION).empty());
}

TEST(ConsoleText, UnattendedAnswersKeepTheFiles) {
    EXPECT_EQ(UnattendedAnswer(MB_YESNOCANCEL | MB_ICONQUESTION), IDNO);  // no overwrite
    EXPECT_EQ(UnattendedAnswer(MB_YESNO | MB_ICONEXCLAMATION), IDNO);     // do not go on
    EXPECT_EQ(UnattendedAnswer(MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(UnattendedAnswer(MB_ABORTRETRYIGNORE), IDABORT);
    EXPECT_EQ(UnattendedAnswer(MB_OK | MB_ICONSTOP), IDOK);
}

}  // namespace
}  // namespace framework::console
