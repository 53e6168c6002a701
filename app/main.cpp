// The program's entry point: picks a renderer, makes the application object, creates
// the main window (which, with arguments, converts everything and asks to end while it
// is being created), then the about box, and runs the message loop.
//
// Renderers, most preferred first: GTK (when a display opens), the console (when there
// is a terminal), and last a headless one that prints its dialogs on stderr and answers
// every question with its safest choice. TOVANEK_RENDERER=gtk|console|headless forces
// one (for test runs).

#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "app/SettingsFile.h"
#include "app/UDialog.h"
#include "app/UMain.h"
#include "framework/Application.h"
#include "framework/HeadlessRenderer.h"
#include "framework/RendererRegistry.h"

#if defined(TOVANEK_HAVE_GTK_RENDERER)
#include "framework/gtk/GtkRendererFactory.h"
#endif
#if defined(TOVANEK_HAVE_CONSOLE_RENDERER)
#include "framework/console/ConsoleRendererFactory.h"
#endif

namespace {

void RegisterRenderers() {
#if defined(TOVANEK_HAVE_GTK_RENDERER)
    framework::RegisterRenderer("gtk", &framework::gtk::CreateGtkRenderer);
#endif
#if defined(TOVANEK_HAVE_CONSOLE_RENDERER)
    framework::RegisterRenderer("console", &framework::console::CreateConsoleRenderer);
#endif
    framework::RegisterRenderer("headless",
                                [](int&, char**) -> std::unique_ptr<framework::Renderer> {
                                    auto renderer = std::make_unique<framework::HeadlessRenderer>();
                                    renderer->SetEchoToStderr(true);
                                    return renderer;
                                });
}

}  // namespace

int main(int argc, char** argv) {
    RegisterRenderers();
#if defined(TOVANEK_HAVE_CONSOLE_RENDERER)
    // What the console says when it is asked for the settings window.
    framework::console::SetWindowNotice(
        "tovanek: 設定ウィンドウを開くにはグラフィカルな画面が必要です"
        "（ディスプレイを開けません）。設定ファイル: " +
        app::SettingsPath());
#endif
    const char* forced = std::getenv("TOVANEK_RENDERER");
    std::unique_ptr<framework::Renderer> renderer =
        framework::CreatePreferredRenderer(argc, argv, forced ? forced : "");

    // The toolkit may have taken its own options out of the command line.
    std::vector<std::string> arguments(argv, argv + argc);

    framework::TApplication application(*renderer);
    application.SetTitle("Tovanek");
    application.SetArguments(arguments);
    try {
        application.Initialize();
        application.CreateForm<app::TFmMain>();
        application.CreateForm<app::TFmDlg>();
        application.Run();
    } catch (const std::exception& error) {
        // framework::Exception and everything else that reaches this far.
        application.ShowException(error);
    }
    return 0;
}
