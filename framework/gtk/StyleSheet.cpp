#include "framework/gtk/StyleSheet.h"

#include <cstdio>
#include <sstream>

namespace framework::gtk {
namespace {

// Metrics that bring the theme's widgets down to the sizes of a classic dialog layout
// (25-pixel buttons, 20-pixel combo boxes, 17-pixel check boxes, 12-pixel text).
constexpr const char* kBaseCss = R"css(
.tovanek button { min-height: 0; min-width: 0; padding: 0 2px; }
.tovanek button image { margin: 0; }
.tovanek entry { min-height: 0; padding: 0 4px; }
.tovanek combobox button, .tovanek combobox entry { min-height: 0; padding-top: 0; padding-bottom: 0; }
.tovanek combobox button { padding-left: 4px; padding-right: 2px; }
.tovanek combobox arrow { min-width: 12px; min-height: 12px; }
.tovanek checkbutton, .tovanek radiobutton { min-height: 0; padding: 0; }
.tovanek check, .tovanek radio { margin: 0 3px 0 1px; padding: 0; }
.tovanek notebook > header > tabs > tab { min-height: 0; min-width: 0; padding: 2px 8px; }
.tovanek notebook > header.top > tabs { margin-top: 0; }
.tovanek progressbar > trough, .tovanek progressbar > trough > progress { min-height: 14px; }
.tovanek progressbar > trough > progress { border-radius: 0; }
.tovanek treeview.view { padding: 0; }
.tovanek frame.tvk-groupbox > border { border-radius: 3px; }
.tovanek frame.tvk-groupbox > label { margin: 0 2px; }
.tovanek .tvk-glyph-ok { color: #2a8a2a; }
.tovanek .tvk-glyph-cancel { color: #c01c28; }
.tovanek .tvk-glyph-help { color: #1c71d8; }
.tovanek .tvk-glyph-ignore { color: #26a269; }
)css";

std::string Quote(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

}  // namespace

StyleSheet::StyleSheet() {
    provider_ = gtk_css_provider_new();
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(),
                                              GTK_STYLE_PROVIDER(provider_),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    Reload();
}

StyleSheet::~StyleSheet() {
    if (GdkScreen* screen = gdk_screen_get_default()) {
        gtk_style_context_remove_provider_for_screen(screen, GTK_STYLE_PROVIDER(provider_));
    }
    g_object_unref(provider_);
}

std::string StyleSheet::FamilyList(const std::string& family) {
    std::string list;
    if (!family.empty()) list = Quote(family) + ", ";
    return list + "\"IPAPGothic\", \"Noto Sans CJK JP\", sans-serif";
}

std::string StyleSheet::CssColor(TColor color) {
    if (static_cast<std::uint32_t>(color) & 0x80000000u) return "";
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02x%02x%02x", color & 0xFF, (color >> 8) & 0xFF,
                  (color >> 16) & 0xFF);
    return buf;
}

std::string StyleSheet::FontClass(const TFont& font) {
    for (std::size_t i = 0; i < fonts_.size(); ++i) {
        if (fonts_[i] == font) return "tvk-font-" + std::to_string(i);
    }
    fonts_.push_back(font);
    Reload();
    return "tvk-font-" + std::to_string(fonts_.size() - 1);
}

void StyleSheet::Reload() {
    std::ostringstream css;
    css << kBaseCss;
    for (std::size_t i = 0; i < fonts_.size(); ++i) {
        const TFont& f = fonts_[i];
        const int px = f.Height < 0 ? -f.Height : (f.Height > 0 ? f.Height : 12);
        css << ".tvk-font-" << i << " { font-family: " << FamilyList(f.Name)
            << "; font-size: " << px << "px;"
            << " font-weight: " << ((f.Style & fsBold) ? "bold" : "normal") << ";"
            << " font-style: " << ((f.Style & fsItalic) ? "italic" : "normal") << ";";
        if (f.Style & (fsUnderline | fsStrikeOut)) {
            css << " text-decoration-line:" << ((f.Style & fsUnderline) ? " underline" : "")
                << ((f.Style & fsStrikeOut) ? " line-through" : "") << ";";
        }
        const std::string color = CssColor(f.Color);
        if (!color.empty()) css << " color: " << color << ";";
        css << " }\n";
    }
    const std::string text = css.str();
    GError* error = nullptr;
    if (!gtk_css_provider_load_from_data(provider_, text.c_str(), -1, &error)) {
        g_warning("tovanek: style sheet: %s", error ? error->message : "?");
        g_clear_error(&error);
    }
}

}  // namespace framework::gtk
