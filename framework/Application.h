#pragma once
// TApplication: the application object. It owns the forms made with CreateForm, runs
// the message loop, pumps the queue, and owns the dialogs: message boxes, the plain
// notice and the standard error box. Exactly one exists at a time (Application()).
//
// Messages: the platform queue of the main thread (platform/Messages.h) carries every
// posted message; the renderer carries the toolkit's events. ProcessMessages handles
// both until neither has work left. Terminate posts WM_QUIT (platform::PostQuitMessage);
// whoever takes it from the queue (Run, ProcessMessages, a modal loop) sets Terminated,
// and Run returns.
//
// Main thread only: the thread that constructs it (checked by an assert).

#include <chrono>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "framework/Renderer.h"
#include "framework/Types.h"

namespace framework {

class TForm;

class TApplication {
  public:
    // The renderer must outlive the application.
    explicit TApplication(Renderer& renderer);
    // Destroys the forms made with CreateForm, the last created first.
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    static TApplication* Instance();

    void Initialize() {}
    Renderer& GetRenderer() const { return renderer_; }

    // Caption of message boxes, notices and the standard error box.
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }

    // The command line: argument 0 is the program, ParamCount the number after it.
    void SetArguments(std::vector<std::string> arguments) { arguments_ = std::move(arguments); }
    int ParamCount() const;
    std::string ParamStr(int index) const;  // "" out of range

    // Creates a form of class T, which owns it from then on. The form becomes visible as
    // the last act of its creation when it is designed visible. The first form created
    // becomes the main form once its creation has returned. An exception that escapes
    // the creation (including the showing) destroys the form and propagates.
    template <class T, class... Args>
    T* CreateForm(Args&&... args) {
        auto form = std::make_unique<T>(std::forward<Args>(args)...);
        T* raw = form.get();
        raw->AfterConstruction();  // on an exception `form` destroys the half-shown form
        owned_.push_back(std::move(form));
        if (!mainForm_) mainForm_ = raw;
        return raw;
    }
    // Destroys a form made by CreateForm (nothing for any other pointer).
    void DestroyForm(TForm* form);
    TForm* MainForm() const { return mainForm_; }
    const std::vector<TForm*>& Forms() const { return forms_; }

    // The message loop: handles messages and events, sleeping while there are none,
    // until termination is requested.
    void Run();
    // Posts the quit request.
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Dispatches every waiting message and lets the renderer handle its pending events,
    // until neither has anything left; then returns whether it handled anything.
    // Never blocks.
    bool ProcessMessages();
    // One round of the loop: ProcessMessages; when it found nothing to do (and the
    // application is not terminated), WaitForWork.
    void HandleMessage();
    // Sleeps until a message is posted to this thread or the toolkit has an event (or the
    // timeout passes). Returns at once when work is already waiting.
    void WaitForWork(std::optional<std::chrono::milliseconds> timeout = std::nullopt);

    // Dialogs.
    int MessageBox(const std::string& text, const std::string& caption, unsigned flags);
    // A plain notice with the title as caption and an OK button only.
    void ShowMessage(const std::string& text);
    // The standard error box: the message (see StandardErrorText), the title as caption,
    // MB_OK | MB_ICONSTOP.
    void ShowException(const std::exception& error);
    // Shows the exception being handled (inside a catch block) in the standard error box;
    // any object that is not a std::exception is shown as "Unknown exception".
    void HandleException();

    TSize ScreenSize() const { return renderer_.ScreenSize(); }

    // For TForm.
    void RegisterForm(TForm* form);
    void UnregisterForm(TForm* form);

  private:
    Renderer& renderer_;
    std::string title_;
    std::vector<std::string> arguments_;
    std::vector<TForm*> forms_;
    std::vector<std::unique_ptr<TForm>> owned_;
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
    platform::ThreadId thread_ = 0;
};

// The current application object (asserts that one exists).
TApplication& Application();

// The message of the standard error box: `message` with "." appended when its last byte
// sorts after "." (so "abc" gets one, "abc." and "" do not).
std::string StandardErrorText(const std::string& message);

// The plain notice of the current application.
void ShowMessage(const std::string& text);

}  // namespace framework
