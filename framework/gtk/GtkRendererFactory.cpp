#include "framework/gtk/GtkRendererFactory.h"

#include <gtk/gtk.h>

#include <clocale>

#include "framework/gtk/GtkRenderer.h"

namespace framework::gtk {

std::unique_ptr<framework::Renderer> CreateGtkRenderer(int& argc, char** argv) {
    (void)argc;
    (void)argv;
    // GTK would otherwise switch every locale category to the environment's, changing
    // how the rest of the program formats and parses numbers; the character type is all
    // that text input and display need.
    gtk_disable_setlocale();
    std::setlocale(LC_CTYPE, "");
    if (!gtk_init_check(nullptr, nullptr)) return nullptr;
    return std::make_unique<GtkRenderer>();
}

}  // namespace framework::gtk
