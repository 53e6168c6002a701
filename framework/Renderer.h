#pragma once
// Renderer: what draws the model (forms and controls) and talks to the user. The
// application owns no toolkit: every window, dialog and event of the toolkit goes
// through this interface. Implementations: HeadlessRenderer (tests, and the last resort
// of the program), the console renderer (framework/console/), the GTK renderer
// (framework/gtk/).
//
// A renderer is a ChangeListener: the application attaches it to every form, so it hears
// every property change after the new value is stored. It reports the user's input back
// through the model's User* methods (TControl::UserClick, TForm::UserClose, ...), from
// inside ProcessEvents or from a modal dialog; never from another thread.
//
// How the program picks one (app/main.cpp): a renderer library provides a factory that
// returns null when it cannot start (no display, no terminal):
//   framework/gtk/GtkRendererFactory.h:
//       std::unique_ptr<framework::Renderer> framework::gtk::CreateGtkRenderer(
//           int& argc, char** argv);
//   framework/console/ConsoleRendererFactory.h:
//       std::unique_ptr<framework::Renderer> framework::console::CreateConsoleRenderer(
//           int& argc, char** argv);
// in the CMake targets tovanek_gtk and tovanek_console. The entry point registers each
// one that is built (RendererRegistry.h) and takes the first that starts, in the order
// GTK, console, headless.
//
// All methods: main thread only.

#include <chrono>
#include <optional>
#include <string>

#include "framework/ChangeListener.h"
#include "framework/Types.h"

namespace framework {

class TForm;
class TControl;

class Renderer : public ChangeListener {
  public:
    ~Renderer() override = default;

    // A form has been built (all its controls exist) and may be shown later.
    virtual void RealizeForm(TForm& form) = 0;
    // A form is being destroyed; drop everything that refers to it.
    virtual void DestroyForm(TForm& form) = 0;
    // Puts a form on screen (modal: other windows of the program take no input) or
    // takes it off.
    virtual void ShowForm(TForm& form, bool modal) = 0;
    virtual void HideForm(TForm& form) = 0;

    // A message box owned by the application: text, caption and Win32 flags (MB_*); the
    // program's other windows take no input while it is up. Returns the answer (ID*),
    // or 0 when the box could not be shown.
    virtual int MessageBox(const std::string& text, const std::string& caption, unsigned flags) = 0;
    // A plain notice: the text, the caption, an OK button only.
    virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;

    // Handles the toolkit's pending events without blocking. True when it handled any.
    virtual bool ProcessEvents() = 0;
    // Blocks until the toolkit has an event or the calling thread's platform queue has a
    // message (platform::QueueWakeHandle is readable), or the timeout has passed
    // (nullopt: no timeout). Returns at once when either already has work.
    virtual void WaitForWork(std::optional<std::chrono::milliseconds> timeout) = 0;

    // The primary screen's size in pixels.
    virtual TSize ScreenSize() = 0;
    // Moves the keyboard focus (null: the form itself).
    virtual void SetFocus(TForm& form, TControl* control) = 0;
    // Paints the form now, so that what the model holds is on screen when this returns.
    virtual void Repaint(TForm& form) = 0;
};

}  // namespace framework
