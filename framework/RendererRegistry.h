#pragma once
// The renderers a program can choose from, most preferred first. A renderer library
// registers its factory (see Renderer.h); the entry point asks for the first one that
// starts. Main thread only.

#include <memory>
#include <string>
#include <vector>

#include "framework/Renderer.h"

namespace framework {

// Returns null when the renderer cannot start here (no display, no terminal...).
using RendererFactory = std::unique_ptr<Renderer> (*)(int& argc, char** argv);

struct RendererEntry {
    std::string name;  // "gtk", "console", "headless"
    RendererFactory create = nullptr;
};

// Appends a factory; the order of registration is the order of preference.
void RegisterRenderer(const std::string& name, RendererFactory create);
const std::vector<RendererEntry>& RegisteredRenderers();

// The first registered renderer that starts; when `only` is not empty, only that one is
// tried. Without any that starts: a HeadlessRenderer that prints its dialogs on stderr
// and answers every question with its safest choice (Cancel, No, OK).
std::unique_ptr<Renderer> CreatePreferredRenderer(int& argc, char** argv,
                                                  const std::string& only = "");

// Forgets every registration (tests).
void ClearRenderersForTesting();

}  // namespace framework
