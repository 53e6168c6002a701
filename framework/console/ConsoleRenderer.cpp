#include "framework/console/ConsoleRenderer.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "framework/Application.h"
#include "framework/Control.h"
#include "framework/Form.h"
#include "framework/console/ConsoleRendererFactory.h"
#include "framework/console/ConsoleText.h"
#include "framework/console/InterruptSignal.h"
#include "platform/Messages.h"

namespace framework::console {

ConsoleRenderer::ConsoleRenderer(ConsoleStreams streams) : streams_(streams) {}

ConsoleRenderer::~ConsoleRenderer() {
    FinishLine();
}

// ---- Forms ----

bool ConsoleRenderer::Presentable(const TForm& form) {
    for (const TControl* control : form.Controls()) {
        if (!control->ShowingInForm()) continue;
        switch (control->Type()) {
            case ControlType::Label:
            case ControlType::ProgressBar:
            case ControlType::Panel:
            case ControlType::GroupBox:
            case ControlType::Image:
                break;
            default:
                return false;
        }
    }
    return true;
}

std::vector<std::string> ConsoleRenderer::LabelsOf(const TForm& form) {
    std::vector<const TControl*> labels;
    for (const TControl* control : form.Controls()) {
        if (control->Type() == ControlType::Label && control->ShowingInForm() &&
            !control->Caption().empty()) {
            labels.push_back(control);
        }
    }
    // Right-hand labels (a counter at the window's right edge) lead the line.
    std::stable_sort(labels.begin(), labels.end(), [](const TControl* a, const TControl* b) {
        return a->Left() != b->Left() ? a->Left() > b->Left() : a->Top() < b->Top();
    });
    std::vector<std::string> texts;
    for (const TControl* label : labels) texts.push_back(label->Caption());
    return texts;
}

std::vector<std::string> ConsoleRenderer::BarsOf(const TForm& form) {
    std::vector<std::string> bars;
    for (const TControl* control : form.Controls()) {
        if (control->Type() == ControlType::ProgressBar && control->ShowingInForm()) {
            bars.push_back(ProgressBarText(control->Position(), control->Min(), control->Max()));
        }
    }
    return bars;
}

ConsoleRenderer::Shown* ConsoleRenderer::Find(const TForm& form) {
    for (Shown& s : shown_) {
        if (s.form == &form) return &s;
    }
    return nullptr;
}

void ConsoleRenderer::PropertyChanged(TForm& form, TControl* control, Property property) {
    Shown* shown = Find(form);
    if (!shown) return;
    dirty_ = true;
    if (control && control->Type() == ControlType::Label &&
        (property == Property::Caption || property == Property::Visible)) {
        shown->written = true;
        // A new set of labels (the next file) starts a new line; the line drawn so far
        // stays as the last state of the previous one.
        if (lineOpen_ && LabelsOf(form) != drawnLabels_) FinishLine();
    }
}

void ConsoleRenderer::RealizeForm(TForm&) {}

void ConsoleRenderer::DestroyForm(TForm& form) {
    shown_.erase(std::remove_if(shown_.begin(), shown_.end(),
                                [&](const Shown& s) { return s.form == &form; }),
                 shown_.end());
    if (shown_.empty()) FinishLine();
}

void ConsoleRenderer::ShowForm(TForm& form, bool) {
    if (!Find(form)) shown_.push_back({&form, false});
    dirty_ = true;
}

void ConsoleRenderer::HideForm(TForm& form) {
    Flush();
    DestroyForm(form);
}

void ConsoleRenderer::Repaint(TForm&) {
    Flush();
}

void ConsoleRenderer::SetFocus(TForm&, TControl*) {}

TSize ConsoleRenderer::ScreenSize() {
    return {1024, 768};
}

// ---- Drawing ----

int ConsoleRenderer::Columns() const {
    if (streams_.columns > 0) return streams_.columns;
    winsize size{};
    if (::ioctl(streams_.output, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

void ConsoleRenderer::Write(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

void ConsoleRenderer::WriteMessage(const std::string& text) {
    FinishLine();
    Write(streams_.messages, text);
}

void ConsoleRenderer::FinishLine() {
    if (!lineOpen_) return;
    Write(streams_.output, "\n");
    lineOpen_ = false;
    drawnLine_.clear();
}

void ConsoleRenderer::Draw(const std::vector<std::string>& labels,
                           const std::vector<std::string>& bars) {
    if (streams_.outputIsTerminal) {
        // One column short of the width: a line that fills the last column makes some
        // terminals wrap, and "\r" would then redraw only its second half.
        const std::string line = StatusLineText(labels, bars, Columns() - 1);
        if (lineOpen_ && line == drawnLine_) return;
        Write(streams_.output, "\r" + line + "\x1b[K");
        lineOpen_ = true;
        drawnLine_ = line;
        drawnLabels_ = labels;
    } else if (labels != printedLabels_) {
        Write(streams_.output, StatusLineText(labels, {}, 0) + "\n");
        printedLabels_ = labels;
    }
}

void ConsoleRenderer::Flush() {
    if (!dirty_) return;
    dirty_ = false;
    for (const Shown& s : shown_) {
        if (!s.written || !Presentable(*s.form)) continue;
        const std::vector<std::string> labels = LabelsOf(*s.form);
        if (labels.empty()) continue;
        Draw(labels, BarsOf(*s.form));
    }
}

// ---- Dialogs ----

std::optional<std::string> ConsoleRenderer::ReadLine() {
    std::string line;
    for (;;) {
        char c = 0;
        const ssize_t n = ::read(streams_.input, &c, 1);
        if (n < 0) return std::nullopt;  // EINTR: the interrupt; anything else: unusable
        if (n == 0) return line.empty() ? std::nullopt : std::optional(line);
        if (c == '\n') return line;
        line += c;
    }
}

int ConsoleRenderer::MessageBox(const std::string& text, const std::string& caption,
                                unsigned flags) {
    Flush();
    WriteMessage("[" + caption + "] " + text + "\n");
    const std::vector<Choice> choices = ChoicesFor(flags);
    if (choices.empty()) return IDOK;
    const std::string prompt = ChoicesText(choices) + ": ";
    if (!streams_.inputIsTerminal) {
        const int answer = UnattendedAnswer(flags);
        Write(streams_.messages,
              prompt + AnswerWord(answer) + "（標準入力が端末ではないため自動で回答）\n");
        return answer;
    }
    for (;;) {
        Write(streams_.messages, prompt);
        const std::optional<std::string> line = ReadLine();
        if (!line) {
            const int answer = UnattendedAnswer(flags);
            Write(streams_.messages, "\n" + AnswerWord(answer) + "（入力がありません）\n");
            return answer;
        }
        if (const std::optional<int> answer = ParseAnswer(*line, choices)) return *answer;
    }
}

void ConsoleRenderer::ShowMessage(const std::string& text, const std::string& caption) {
    Flush();
    WriteMessage("[" + caption + "] " + text + "\n");
}

// ---- Events ----

void ConsoleRenderer::HandleInterrupt() {
    WriteMessage(
        "中断: このファイルの変換が終わったところで止めます（もう一度 Ctrl+C で直ちに終了）。\n");
    const std::vector<Shown> shown = shown_;
    if (shown.empty()) {
        if (TApplication* app = TApplication::Instance()) app->Terminate();
        return;
    }
    for (const Shown& s : shown) {
        if (Find(*s.form)) s.form->UserClose();
    }
}

bool ConsoleRenderer::ProcessEvents() {
    bool handled = false;
    if (InterruptSignal::Take()) {
        HandleInterrupt();
        handled = true;
    }
    Flush();
    return handled;
}

void ConsoleRenderer::WaitForWork(std::optional<std::chrono::milliseconds> timeout) {
    Flush();
    if (!timeout && !noticeGiven_) {
        // Waiting without end means waiting for the user; in a window the console cannot
        // present, nobody could ever answer.
        for (const Shown& s : shown_) {
            if (Presentable(*s.form)) continue;
            noticeGiven_ = true;
            WriteMessage(WindowNotice() + "\n");
            if (TApplication* app = TApplication::Instance()) app->Terminate();
            return;
        }
    }
    pollfd fds[2] = {{platform::QueueWakeHandle(), POLLIN, 0},
                     {InterruptSignal::WakeHandle(), POLLIN, 0}};
    const nfds_t count = fds[1].fd >= 0 ? 2 : 1;
    int ms = -1;
    if (timeout) ms = static_cast<int>(std::clamp<long long>(timeout->count(), 0, 1 << 30));
    ::poll(fds, count, ms);
}

}  // namespace framework::console
