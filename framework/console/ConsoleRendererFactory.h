#pragma once
// The console front-end's entry: the program registers CreateConsoleRenderer after the
// GTK renderer (RendererRegistry.h), so it is used whenever no display can be opened.
// Main thread only.

#include <memory>
#include <string>

#include "framework/Renderer.h"

namespace framework::console {

// A console renderer over the process's standard streams: the batch view on standard
// output (redrawn in place on a terminal, one line per file otherwise), dialogs on
// standard error, answers read from standard input when it is a terminal. It starts
// with or without a terminal, so it never returns null. The first Ctrl+C asks the
// shown windows to close (a batch stops after its current file); a second one ends the
// program at once.
std::unique_ptr<Renderer> CreateConsoleRenderer(int& argc, char** argv);

// The line the console prints, in place of showing it, for a window it cannot present
// (one that needs the user's input, such as the settings window); the program then ends.
// The program sets it to name its settings file; empty gives a generic line.
void SetWindowNotice(std::string line);
const std::string& WindowNotice();

}  // namespace framework::console
