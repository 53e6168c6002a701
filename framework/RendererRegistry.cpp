#include "framework/RendererRegistry.h"

#include "framework/HeadlessRenderer.h"

namespace framework {

namespace {
std::vector<RendererEntry>& Entries() {
    static std::vector<RendererEntry> entries;
    return entries;
}
}  // namespace

void RegisterRenderer(const std::string& name, RendererFactory create) {
    Entries().push_back({name, create});
}

const std::vector<RendererEntry>& RegisteredRenderers() {
    return Entries();
}

std::unique_ptr<Renderer> CreatePreferredRenderer(int& argc, char** argv, const std::string& only) {
    for (const RendererEntry& entry : Entries()) {
        if (!only.empty() && entry.name != only) continue;
        if (!entry.create) continue;
        if (auto renderer = entry.create(argc, argv)) return renderer;
    }
    auto fallback = std::make_unique<HeadlessRenderer>();
    fallback->SetEchoToStderr(true);
    return fallback;
}

void ClearRenderersForTesting() {
    Entries().clear();
}

}  // namespace framework
