#pragma once
// ConsoleRenderer: draws the program's windows on a terminal, or on plain output.
//
// What it can present is a view of labels and progress bars (the batch view): one status
// line, the labels joined by two blanks (right-hand labels, such as a counter, first),
// then each progress bar. On a terminal the line is redrawn in place with "\r" and
// finished with a newline when its labels change (the next file) or the window goes;
// otherwise one line is printed per set of labels (per file) and the progress is not
// printed at all. A window is drawn only once the program has written one of its labels
// since it was shown, so the layout's placeholder texts never appear.
//
// A window with anything the user must operate (buttons, edits, pages...) cannot be
// presented: when the program would wait for the user in it, the renderer prints the
// window notice (ConsoleRendererFactory.h) and asks the application to end.
//
// Dialogs go to the message stream as "[caption] text". A question lists its buttons,
// "[Y]es/[N]o/[C]ancel: ", and reads a line from the input when that is a terminal;
// otherwise (and at the end of the input) it takes UnattendedAnswer and says so.
//
// Ctrl+C (InterruptSignal): at the next round of events the shown windows are closed as
// by their close box (UserClose), which makes a running batch stop after its file.
//
// Main thread only.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "framework/Renderer.h"

namespace framework::console {

struct ConsoleStreams {
    int input = 0;     // answers to questions
    int output = 1;    // the status line
    int messages = 2;  // dialogs and notices
    bool inputIsTerminal = false;
    bool outputIsTerminal = false;
    // Width of the output terminal in columns; 0: ask the terminal at every draw.
    int columns = 0;
};

class ConsoleRenderer : public Renderer {
  public:
    explicit ConsoleRenderer(ConsoleStreams streams);
    ~ConsoleRenderer() override;
    ConsoleRenderer(const ConsoleRenderer&) = delete;
    ConsoleRenderer& operator=(const ConsoleRenderer&) = delete;

    // Renderer.
    void PropertyChanged(TForm& form, TControl* control, Property property) override;
    void RealizeForm(TForm& form) override;
    void DestroyForm(TForm& form) override;
    void ShowForm(TForm& form, bool modal) override;
    void HideForm(TForm& form) override;
    int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override;
    void ShowMessage(const std::string& text, const std::string& caption) override;
    bool ProcessEvents() override;
    void WaitForWork(std::optional<std::chrono::milliseconds> timeout) override;
    TSize ScreenSize() override;
    void SetFocus(TForm& form, TControl* control) override;
    void Repaint(TForm& form) override;

  private:
    struct Shown {
        TForm* form = nullptr;
        bool written = false;  // a label has changed since the form was shown
    };

    // Whether the form holds only what the console can present.
    static bool Presentable(const TForm& form);
    // The status line's parts for a form as the model holds them now.
    static std::vector<std::string> LabelsOf(const TForm& form);
    static std::vector<std::string> BarsOf(const TForm& form);

    Shown* Find(const TForm& form);
    // Draws what changed since the last draw.
    void Flush();
    void Draw(const std::vector<std::string>& labels, const std::vector<std::string>& bars);
    // Ends a status line that is drawn in place (before a dialog, at the end).
    void FinishLine();
    int Columns() const;
    void Write(int fd, const std::string& text);
    void WriteMessage(const std::string& text);
    // Reads one line of the input; nullopt at its end or on an interrupt.
    std::optional<std::string> ReadLine();
    void HandleInterrupt();

    ConsoleStreams streams_;
    std::vector<Shown> shown_;
    bool dirty_ = false;
    // The status line last drawn on the terminal (labels and bars), and whether it is
    // still open (no newline after it yet).
    std::vector<std::string> drawnLabels_;
    std::string drawnLine_;
    bool lineOpen_ = false;
    // The labels of the last line printed on plain output.
    std::vector<std::string> printedLabels_;
    bool noticeGiven_ = false;
};

}  // namespace framework::console
