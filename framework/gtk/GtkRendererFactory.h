#pragma once
// The GTK renderer's factory, for the entry point's renderer choice
// (framework::RegisterRenderer("gtk", &framework::gtk::CreateGtkRenderer)).
// Main thread only.

#include <memory>

#include "framework/Renderer.h"

namespace framework::gtk {

// Opens the display and returns the GTK renderer, or null when no display can be opened
// (no DISPLAY / WAYLAND_DISPLAY, or the server refuses us). The command line is left
// alone: the program's arguments are file paths, none of them GTK options.
std::unique_ptr<framework::Renderer> CreateGtkRenderer(int& argc, char** argv);

}  // namespace framework::gtk
