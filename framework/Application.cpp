#include "framework/Application.h"

#include <algorithm>
#include <cassert>

#include "framework/Form.h"
#include "platform/Messages.h"

namespace framework {

namespace {
TApplication* g_application = nullptr;
}

TApplication::TApplication(Renderer& renderer)
    : renderer_(renderer), thread_(platform::CurrentThreadId()) {
    assert(!g_application && "only one application object at a time");
    g_application = this;
}

TApplication::~TApplication() {
    assert(platform::CurrentThreadId() == thread_);
    mainForm_ = nullptr;
    while (!owned_.empty()) owned_.pop_back();
    g_application = nullptr;
}

TApplication* TApplication::Instance() {
    return g_application;
}

TApplication& Application() {
    assert(g_application && "no application object");
    return *g_application;
}

int TApplication::ParamCount() const {
    return arguments_.empty() ? 0 : static_cast<int>(arguments_.size()) - 1;
}

std::string TApplication::ParamStr(int index) const {
    if (index < 0 || index >= static_cast<int>(arguments_.size())) return {};
    return arguments_[static_cast<std::size_t>(index)];
}

void TApplication::RegisterForm(TForm* form) {
    forms_.push_back(form);
}

void TApplication::UnregisterForm(TForm* form) {
    auto it = std::find(forms_.begin(), forms_.end(), form);
    if (it == forms_.end()) return;
    forms_.erase(it);
    if (mainForm_ == form) mainForm_ = nullptr;
    form->RemoveListener(&renderer_);
    renderer_.DestroyForm(*form);
}

void TApplication::DestroyForm(TForm* form) {
    for (auto it = owned_.begin(); it != owned_.end(); ++it) {
        if (it->get() == form) {
            std::unique_ptr<TForm> doomed = std::move(*it);
            owned_.erase(it);
            if (mainForm_ == form) mainForm_ = nullptr;
            return;  // `doomed` goes here, after the list no longer holds it
        }
    }
}

void TApplication::Terminate() {
    platform::PostQuitMessage(0);
}

bool TApplication::ProcessMessages() {
    assert(platform::CurrentThreadId() == thread_);
    bool any = false;
    for (;;) {
        bool handled = renderer_.ProcessEvents();
        platform::Msg msg;
        while (platform::PeekMessage(msg, true)) {
            handled = true;
            if (msg.hwnd == 0 && msg.message == platform::WM_QUIT) {
                terminated_ = true;
            } else {
                platform::DispatchMessage(msg);
            }
        }
        if (!handled) return any;
        any = true;
    }
}

void TApplication::HandleMessage() {
    if (!ProcessMessages() && !terminated_) WaitForWork();
}

void TApplication::WaitForWork(std::optional<std::chrono::milliseconds> timeout) {
    renderer_.WaitForWork(timeout);
}

void TApplication::Run() {
    while (!terminated_) HandleMessage();
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, unsigned flags) {
    return renderer_.MessageBox(text, caption, flags);
}

void TApplication::ShowMessage(const std::string& text) {
    renderer_.ShowMessage(text, title_);
}

std::string StandardErrorText(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') {
        return message + ".";
    }
    return message;
}

void TApplication::ShowException(const std::exception& error) {
    renderer_.MessageBox(StandardErrorText(error.what()), title_, MB_OK | MB_ICONSTOP);
}

void TApplication::HandleException() {
    try {
        throw;
    } catch (const std::exception& e) {
        ShowException(e);
    } catch (...) {
        renderer_.MessageBox(StandardErrorText("Unknown exception"), title_, MB_OK | MB_ICONSTOP);
    }
}

void ShowMessage(const std::string& text) {
    Application().ShowMessage(text);
}

}  // namespace framework
