#pragma once
// StyleSheet: the CSS our windows are drawn with. One screen-wide provider holds the
// compact metrics that let the theme's widgets fit the layouts' pixel sizes (every rule
// is scoped to the "tovanek" class that our toplevels carry), and one class per font in
// use ("tvk-font-N"), which sets family, pixel size, style and colour for the widget
// and, by inheritance, for everything inside it.
//
// Fonts: the layout's family comes first; Japanese UI fonts that Debian ships
// (IPAPGothic, Noto Sans CJK JP) follow, so a Windows family such as "ＭＳ Ｐゴシック"
// that Linux does not have falls back to a proportional Japanese gothic. A negative
// height is the character height in pixels (the VCL's convention), a positive one the
// cell height, which we also take as pixels.
//
// Main thread only (GTK).

#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "framework/Types.h"

namespace framework::gtk {

class StyleSheet {
  public:
    StyleSheet();
    ~StyleSheet();
    StyleSheet(const StyleSheet&) = delete;
    StyleSheet& operator=(const StyleSheet&) = delete;

    // The class name for a font (and text colour), added to the sheet on first use.
    std::string FontClass(const TFont& font);

    // The CSS font-family list for a family name (fallbacks appended).
    static std::string FamilyList(const std::string& family);
    // "#rrggbb" for a plain colour, "" for a system colour (the theme's own).
    static std::string CssColor(TColor color);

  private:
    void Reload();

    GtkCssProvider* provider_ = nullptr;
    std::vector<TFont> fonts_;
};

}  // namespace framework::gtk
