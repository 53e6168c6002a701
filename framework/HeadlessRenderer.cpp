#include "framework/HeadlessRenderer.h"

#include <cstdio>

#include "framework/Control.h"
#include "framework/Form.h"
#include "platform/Messages.h"

namespace framework {

void HeadlessRenderer::ScriptAnswers(std::initializer_list<int> answers) {
    script_.insert(script_.end(), answers.begin(), answers.end());
}

void HeadlessRenderer::ScriptAnswers(const std::vector<int>& answers) {
    script_.insert(script_.end(), answers.begin(), answers.end());
}

void HeadlessRenderer::PropertyChanged(TForm& form, TControl* control, Property property) {
    changes_.push_back({form.Name(), control ? control->Name() : std::string(), property});
}

void HeadlessRenderer::RealizeForm(TForm& form) {
    log_.push_back("realize " + form.Name());
}

void HeadlessRenderer::DestroyForm(TForm& form) {
    log_.push_back("destroy " + form.Name());
}

void HeadlessRenderer::ShowForm(TForm& form, bool modal) {
    log_.push_back((modal ? "show-modal " : "show ") + form.Name());
}

void HeadlessRenderer::HideForm(TForm& form) {
    log_.push_back("hide " + form.Name());
}

int HeadlessRenderer::SafestAnswer(unsigned flags) const {
    switch (flags & MB_TYPEMASK) {
        case MB_OKCANCEL:
        case MB_YESNOCANCEL:
        case MB_RETRYCANCEL:
            return IDCANCEL;
        case MB_YESNO:
            return IDNO;
        case MB_ABORTRETRYIGNORE:
            return IDABORT;
        default:
            return IDOK;
    }
}

int HeadlessRenderer::MessageBox(const std::string& text, const std::string& caption,
                                 unsigned flags) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%02X", flags);
    log_.push_back("messagebox " + caption + "|" + text + "|" + hex);
    DialogCall call{DialogCall::Kind::MessageBox, text, caption, flags, IDOK, false};
    if ((flags & MB_TYPEMASK) != MB_OK) {
        if (!script_.empty()) {
            call.answer = script_.front();
            script_.pop_front();
            call.scripted = true;
        } else {
            call.answer = defaultAnswer_ ? *defaultAnswer_ : SafestAnswer(flags);
        }
    }
    if (echo_) {
        std::fprintf(stderr, "[%s] %s (answer %d)\n", caption.c_str(), text.c_str(), call.answer);
    }
    calls_.push_back(call);
    if (OnDialog) OnDialog(calls_.back());
    return call.answer;
}

void HeadlessRenderer::ShowMessage(const std::string& text, const std::string& caption) {
    log_.push_back("message " + caption + "|" + text);
    if (echo_) std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
    calls_.push_back({DialogCall::Kind::ShowMessage, text, caption, MB_OK, IDOK, false});
    if (OnDialog) OnDialog(calls_.back());
}

bool HeadlessRenderer::ProcessEvents() {
    if (actions_.empty()) return false;
    // Actions queued by the running ones wait for the next round.
    auto batch = std::move(actions_);
    actions_.clear();
    for (auto& action : batch) action();
    return true;
}

void HeadlessRenderer::WaitForWork(std::optional<std::chrono::milliseconds> timeout) {
    if (!actions_.empty()) return;
    if (timeout) {
        platform::WaitMessageFor(*timeout);
    } else {
        platform::WaitMessage();
    }
}

void HeadlessRenderer::SetFocus(TForm& form, TControl* control) {
    log_.push_back("focus " + form.Name() + (control ? "." + control->Name() : std::string()));
}

void HeadlessRenderer::Repaint(TForm& form) {
    log_.push_back("repaint " + form.Name());
}

void HeadlessRenderer::QueueUserAction(std::function<void()> action) {
    actions_.push_back(std::move(action));
}

}  // namespace framework
