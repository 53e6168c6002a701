#include "framework/console/ConsoleRendererFactory.h"

#include <unistd.h>

#include "framework/console/ConsoleRenderer.h"
#include "framework/console/InterruptSignal.h"

namespace framework::console {

namespace {
std::string& NoticeStore() {
    static std::string notice;
    return notice;
}
}  // namespace

std::unique_ptr<Renderer> CreateConsoleRenderer(int&, char**) {
    ConsoleStreams streams;
    streams.inputIsTerminal = ::isatty(STDIN_FILENO) == 1;
    streams.outputIsTerminal = ::isatty(STDOUT_FILENO) == 1;
    InterruptSignal::Install();
    return std::make_unique<ConsoleRenderer>(streams);
}

void SetWindowNotice(std::string line) {
    NoticeStore() = std::move(line);
}

const std::string& WindowNotice() {
    static const std::string generic =
        "このウィンドウを開くにはグラフィカルな画面が必要です（ディスプレイを開けません）。";
    const std::string& notice = NoticeStore();
    return notice.empty() ? generic : notice;
}

}  // namespace framework::console
