#pragma once
// HeadlessRenderer: a renderer without a screen. It keeps no windows; it records every
// call it gets, answers message boxes from a script, and waits on the platform queue.
// Tests drive the model through the User* methods and read what the user would have seen
// from Calls() and Log().
//
// Scripted dialogs: ScriptAnswers({IDYES, IDNO}) queues answers; each message box with
// more than one button (flags & MB_TYPEMASK not MB_OK) takes the next one. A box with
// only OK (notices, the standard error box, MB_OK|MB_ICON*) takes no scripted answer and
// answers IDOK. With the script empty, a question gets the safest answer its buttons
// allow: IDCANCEL, else IDNO, else IDOK (SetDefaultAnswer overrides this).
//
// Main thread only.

#include <chrono>
#include <deque>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "framework/Renderer.h"

namespace framework {

struct DialogCall {
    enum class Kind { MessageBox, ShowMessage };
    Kind kind = Kind::MessageBox;
    std::string text;
    std::string caption;
    unsigned flags = 0;  // MB_OK for a notice
    int answer = 0;
    bool scripted = false;  // the answer came from the script
};

// One property change as a renderer heard it.
struct RecordedChange {
    std::string form;
    std::string control;  // "" for the form itself
    Property property;
};

class HeadlessRenderer : public Renderer {
  public:
    HeadlessRenderer() = default;

    // Queues answers for the next questions, in order.
    void ScriptAnswers(std::initializer_list<int> answers);
    void ScriptAnswers(const std::vector<int>& answers);
    std::size_t PendingAnswers() const { return script_.size(); }
    // The answer to a question when the script is empty (nullopt: the safest choice).
    void SetDefaultAnswer(std::optional<int> answer) { defaultAnswer_ = answer; }

    // Every message box and notice, in order.
    const std::vector<DialogCall>& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }
    // Runs when a dialog comes up, before it is answered (the model can be inspected,
    // or acted on, as the user would while the box is up).
    std::function<void(const DialogCall&)> OnDialog;

    // Every call in order, one line each: "realize F", "destroy F", "show F",
    // "show-modal F", "hide F", "focus F.control" (or "focus F"), "repaint F",
    // "messagebox <caption>|<text>|<flags in hex>" and "message <caption>|<text>".
    const std::vector<std::string>& Log() const { return log_; }
    void ClearLog() { log_.clear(); }
    // Every property change, in order.
    const std::vector<RecordedChange>& Changes() const { return changes_; }
    void ClearChanges() { changes_.clear(); }

    // Writes every dialog to stderr as it comes up (the program's last-resort renderer).
    void SetEchoToStderr(bool echo) { echo_ = echo; }
    void SetScreenSize(TSize size) { screen_ = size; }

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
    TSize ScreenSize() override { return screen_; }
    void SetFocus(TForm& form, TControl* control) override;
    void Repaint(TForm& form) override;

    // Work the test wants done inside the next ProcessEvents, as if the toolkit had an
    // event waiting (for example a click on the close box in the middle of a batch).
    void QueueUserAction(std::function<void()> action);

  private:
    int SafestAnswer(unsigned flags) const;

    std::deque<int> script_;
    std::optional<int> defaultAnswer_;
    std::vector<DialogCall> calls_;
    std::vector<std::string> log_;
    std::vector<RecordedChange> changes_;
    std::deque<std::function<void()>> actions_;
    bool echo_ = false;
    TSize screen_{1024, 768};
};

}  // namespace framework
