#include "framework/gtk/GtkRenderer.h"

#include <glib-unix.h>
#include <poll.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Control.h"
#include "framework/DirectoryListBox.h"
#include "framework/Form.h"
#include "framework/gtk/FixedBox.h"
#include "platform/Messages.h"
#include "platform/Paths.h"

namespace framework::gtk {

struct GtkRenderer::FormView {
    GtkRenderer* owner = nullptr;
    TForm* form = nullptr;
    GtkWidget* window = nullptr;
    GtkWidget* root = nullptr;  // FixedBox of the client area
    std::unordered_map<const TControl*, std::unique_ptr<ControlView>> controls;
    std::string fontClass;
    bool placed = false;  // moved to the model's position at least once
    int appliedLeft = 0, appliedTop = 0;
};

struct GtkRenderer::ControlView {
    GtkRenderer* owner = nullptr;
    FormView* formView = nullptr;
    TControl* control = nullptr;
    GtkWidget* outer = nullptr;         // what sits in the parent's box
    GtkWidget* main = nullptr;          // caption, state and focus
    GtkWidget* box = nullptr;           // children's box (group box, panel, tab sheet)
    GtkWidget* frame = nullptr;         // group box and panel frame
    GtkWidget* glyph = nullptr;         // bitmap button icon
    GtkWidget* tabLabel = nullptr;      // tab sheet
    GtkTreeStore* store = nullptr;      // folder list: the tree of its items
    std::vector<std::string> rowPaths;  // folder list: each item's tree path
    std::string fontClass;
    std::string glyphClass;
};

namespace {

enum FolderColumn { kColIcon, kColText, kColIndex, kColCount };

// "&x" is the VCL's mnemonic, "&&" a literal ampersand; GTK uses "_x" and "__".
std::string MnemonicText(const std::string& caption) {
    std::string out;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        const char c = caption[i];
        if (c == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') {
                out += '&';
                ++i;
            } else if (i + 1 < caption.size()) {
                out += '_';
            }
        } else if (c == '_') {
            out += "__";
        } else {
            out += c;
        }
    }
    return out;
}

bool UsesMnemonic(ControlType t) {
    return t == ControlType::Button || t == ControlType::BitBtn || t == ControlType::CheckBox ||
           t == ControlType::RadioButton || t == ControlType::GroupBox ||
           t == ControlType::TabSheet;
}

struct Glyph {
    const char* icon;
    const char* cssClass;
};

Glyph GlyphOf(TBitBtnKind kind) {
    switch (kind) {
        case bkOK:
        case bkYes:
            return {"object-select-symbolic", "tvk-glyph-ok"};
        case bkCancel:
        case bkNo:
        case bkClose:
            return {"window-close-symbolic", "tvk-glyph-cancel"};
        case bkHelp:
            return {"help-browser-symbolic", "tvk-glyph-help"};
        case bkAbort:
            return {"process-stop-symbolic", "tvk-glyph-cancel"};
        case bkRetry:
            return {"view-refresh-symbolic", "tvk-glyph-ok"};
        case bkIgnore:
            return {"insert-link-symbolic", "tvk-glyph-ignore"};
        case bkAll:
            return {"edit-select-all-symbolic", "tvk-glyph-ok"};
        case bkCustom:
            break;
    }
    return {nullptr, nullptr};
}

// Our pictures lie beside the executable (the build tree and an install alike).
GdkPixbuf* LoadProgramIcon(int width, int height) {
    const std::string folder = platform::ExecutableFolder();
    for (const char* name : {"tovanek.svg", "tovanek-48.png", "tovanek-32.png"}) {
        const std::string path = folder + "/" + name;
        if (GdkPixbuf* p =
                gdk_pixbuf_new_from_file_at_scale(path.c_str(), width, height, FALSE, nullptr)) {
            return p;
        }
    }
    GtkIconTheme* theme = gtk_icon_theme_get_default();
    for (const char* name : {"tovanek", "audio-x-generic"}) {
        if (GdkPixbuf* p = gtk_icon_theme_load_icon(theme, name, std::max(width, height),
                                                    GTK_ICON_LOOKUP_FORCE_SIZE, nullptr)) {
            return p;
        }
    }
    return nullptr;
}

void SetProgramIcons() {
    GList* list = nullptr;
    for (int size : {16, 32, 48}) {
        if (GdkPixbuf* p = LoadProgramIcon(size, size)) list = g_list_append(list, p);
    }
    if (list != nullptr) {
        gtk_window_set_default_icon_list(list);
        g_list_free_full(list, g_object_unref);
    }
}

void SwapClass(GtkWidget* widget, std::string& current, const std::string& wanted) {
    if (current == wanted) return;
    GtkStyleContext* sc = gtk_widget_get_style_context(widget);
    if (!current.empty()) gtk_style_context_remove_class(sc, current.c_str());
    if (!wanted.empty()) gtk_style_context_add_class(sc, wanted.c_str());
    current = wanted;
}

}  // namespace

GtkRenderer::GtkRenderer() {
    SetProgramIcons();
}

GtkRenderer::~GtkRenderer() {
    for (auto& [form, fv] : forms_) {
        for (auto& [control, cv] : fv->controls) {
            if (cv->store) g_object_unref(cv->store);
        }
        if (fv->window) gtk_widget_destroy(fv->window);
    }
    forms_.clear();
}

GtkRenderer::FormView* GtkRenderer::Find(const TForm& form) const {
    auto it = forms_.find(&form);
    return it == forms_.end() ? nullptr : it->second.get();
}

GtkRenderer::ControlView* GtkRenderer::Find(const TControl& control) const {
    FormView* fv = Find(control.Form());
    if (!fv) return nullptr;
    auto it = fv->controls.find(&control);
    return it == fv->controls.end() ? nullptr : it->second.get();
}

GtkWidget* GtkRenderer::WindowOf(const TForm& form) const {
    FormView* fv = Find(form);
    return fv ? fv->window : nullptr;
}

GtkWidget* GtkRenderer::WidgetOf(const TControl& control) const {
    ControlView* cv = Find(control);
    return cv ? cv->outer : nullptr;
}

GtkWidget* GtkRenderer::MainWidgetOf(const TControl& control) const {
    ControlView* cv = Find(control);
    return cv ? cv->main : nullptr;
}

// ---------------------------------------------------------------------------------
// Forms

void GtkRenderer::RealizeForm(TForm& form) {
    if (Find(form)) return;
    auto fv = std::make_unique<FormView>();
    fv->owner = this;
    fv->form = &form;
    fv->window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    g_object_ref_sink(fv->window);
    gtk_style_context_add_class(gtk_widget_get_style_context(fv->window), "tovanek");
    fv->root = FixedBoxNew();
    gtk_container_add(GTK_CONTAINER(fv->window), fv->root);
    gtk_widget_show(fv->root);
    gtk_window_set_gravity(GTK_WINDOW(fv->window), GDK_GRAVITY_NORTH_WEST);

    FormView* raw = fv.get();
    g_signal_connect(fv->window, "delete-event", G_CALLBACK(OnDelete), raw);
    g_signal_connect(fv->window, "key-press-event", G_CALLBACK(OnKeyPress), raw);
    g_signal_connect(fv->window, "configure-event", G_CALLBACK(OnConfigure), raw);
    g_signal_connect(fv->window, "realize", G_CALLBACK(OnRealizeWindow), raw);
    g_signal_connect(fv->window, "set-focus", G_CALLBACK(OnSetFocus), raw);
    forms_[&form] = std::move(fv);

    ++updating_;
    for (TControl* control : form.Controls()) CreateControl(*raw, *control);
    for (auto& [c, cv] : raw->controls) ApplyAll(*cv);
    for (Property p : {Property::Caption, Property::Font, Property::BorderStyle,
                       Property::BorderIcons, Property::Bounds}) {
        ApplyForm(*raw, p);
    }
    ApplyFocusChain(*raw);
    --updating_;
}

void GtkRenderer::DestroyForm(TForm& form) {
    auto it = forms_.find(&form);
    if (it == forms_.end()) return;
    std::unique_ptr<FormView> fv = std::move(it->second);
    forms_.erase(it);
    for (auto& [control, cv] : fv->controls) {
        if (cv->store) g_object_unref(cv->store);
    }
    // Signals that GTK may still emit while it takes the window down must not reach the
    // views we are about to free.
    g_signal_handlers_disconnect_by_data(fv->window, fv.get());
    for (auto& [control, cv] : fv->controls) {
        for (GtkWidget* w : {cv->main, cv->outer}) {
            if (w) g_signal_handlers_disconnect_by_data(w, cv.get());
        }
    }
    gtk_widget_destroy(fv->window);
    g_object_unref(fv->window);
}

void GtkRenderer::ShowForm(TForm& form, bool modal) {
    FormView* fv = Find(form);
    if (!fv) return;
    GtkWindow* win = GTK_WINDOW(fv->window);
    ++updating_;
    ApplyFormGeometry(*fv);
    gtk_window_set_modal(win, modal);
    if (modal) {
        TForm* main = TApplication::Instance() ? TApplication::Instance()->MainForm() : nullptr;
        FormView* mv = main && main != &form ? Find(*main) : nullptr;
        gtk_window_set_transient_for(win, mv ? GTK_WINDOW(mv->window) : nullptr);
    }
    gtk_widget_show(fv->window);
    gtk_window_present(win);
    // Some window managers place a new window themselves; put it where the model says.
    gtk_window_move(win, form.Left(), form.Top());
    --updating_;
}

void GtkRenderer::HideForm(TForm& form) {
    FormView* fv = Find(form);
    if (!fv) return;
    ++updating_;
    gtk_window_set_modal(GTK_WINDOW(fv->window), FALSE);
    gtk_widget_hide(fv->window);
    --updating_;
}

void GtkRenderer::ApplyFormGeometry(FormView& fv) {
    TForm& form = *fv.form;
    const int cw = std::max(form.ClientWidth(), 1);
    const int ch = std::max(form.ClientHeight(), 1);
    gtk_widget_set_size_request(fv.root, cw, ch);
    GtkWindow* win = GTK_WINDOW(fv.window);
    const bool sizeable = form.BorderStyle() == bsSizeable || form.BorderStyle() == bsSizeToolWin;
    gtk_window_set_resizable(win, sizeable);
    gtk_window_resize(win, cw, ch);
    if (!fv.placed || fv.appliedLeft != form.Left() || fv.appliedTop != form.Top()) {
        gtk_window_move(win, form.Left(), form.Top());
        fv.placed = true;
        fv.appliedLeft = form.Left();
        fv.appliedTop = form.Top();
    }
}

void GtkRenderer::ApplyWindowFunctions(FormView& fv) {
    GdkWindow* gw = gtk_widget_get_window(fv.window);
    if (!gw) return;
    const TBorderIcons icons = fv.form->BorderIcons();
    const bool sizeable =
        fv.form->BorderStyle() == bsSizeable || fv.form->BorderStyle() == bsSizeToolWin;
    int functions = GDK_FUNC_MOVE;
    int decorations = GDK_DECOR_BORDER | GDK_DECOR_TITLE;
    if (icons & biSystemMenu) {
        functions |= GDK_FUNC_CLOSE;
        decorations |= GDK_DECOR_MENU;
    }
    if ((icons & biSystemMenu) && (icons & biMinimize)) {
        functions |= GDK_FUNC_MINIMIZE;
        decorations |= GDK_DECOR_MINIMIZE;
    }
    if ((icons & biSystemMenu) && (icons & biMaximize) && sizeable) {
        functions |= GDK_FUNC_MAXIMIZE;
        decorations |= GDK_DECOR_MAXIMIZE;
    }
    if (sizeable) {
        functions |= GDK_FUNC_RESIZE;
        decorations |= GDK_DECOR_RESIZEH;
    }
    gdk_window_set_functions(gw, static_cast<GdkWMFunction>(functions));
    gdk_window_set_decorations(gw, static_cast<GdkWMDecoration>(decorations));
}

void GtkRenderer::ApplyForm(FormView& fv, Property property) {
    TForm& form = *fv.form;
    GtkWindow* win = GTK_WINDOW(fv.window);
    switch (property) {
        case Property::Caption:
            gtk_window_set_title(win, form.Caption().c_str());
            break;
        case Property::Bounds:
            ApplyFormGeometry(fv);
            break;
        case Property::Font: {
            SwapClass(fv.window, fv.fontClass, style_.FontClass(form.Font()));
            for (auto& [c, cv] : fv.controls) {
                ApplyFont(*cv);
                ApplyBounds(*cv);
            }
            break;
        }
        case Property::BorderStyle:
        case Property::BorderIcons: {
            // Without a minimise button the window is a dialog to the window manager.
            const bool dialog =
                !(form.BorderIcons() & biMinimize) || form.BorderStyle() == bsDialog;
            if (!gtk_widget_get_realized(fv.window)) {
                gtk_window_set_type_hint(
                    win, dialog ? GDK_WINDOW_TYPE_HINT_DIALOG : GDK_WINDOW_TYPE_HINT_NORMAL);
            }
            gtk_window_set_deletable(win, (form.BorderIcons() & biSystemMenu) != 0);
            ApplyFormGeometry(fv);
            ApplyWindowFunctions(fv);
            break;
        }
        case Property::Focus: {
            TControl* active = form.ActiveControl();
            if (active) {
                if (ControlView* cv = Find(*active); cv && cv->main &&
                                                     gtk_widget_get_mapped(cv->main) &&
                                                     !gtk_widget_has_focus(cv->main)) {
                    gtk_widget_grab_focus(cv->main);
                }
            }
            break;
        }
        default:
            break;
    }
}

void GtkRenderer::ApplyFocusChain(FormView& fv) {
    // Tab moves through the controls of each container in their tab order.
    std::vector<GtkWidget*> containers{fv.root};
    for (auto& [c, cv] : fv.controls) {
        if (cv->box) containers.push_back(cv->box);
    }
    for (GtkWidget* container : containers) {
        std::vector<std::pair<int, GtkWidget*>> order;
        for (auto& [c, cv] : fv.controls) {
            if (!cv->outer || gtk_widget_get_parent(cv->outer) != container) continue;
            const int tabOrder = c->TabOrder() < 0 ? 1 << 20 : c->TabOrder();
            order.emplace_back(tabOrder, cv->outer);
        }
        std::stable_sort(order.begin(), order.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        GList* chain = nullptr;
        // The frame of a group box or panel is never focused; it comes first in the box.
        for (auto& [o, w] : order) chain = g_list_append(chain, w);
        if (chain) {
            G_GNUC_BEGIN_IGNORE_DEPRECATIONS
            gtk_container_set_focus_chain(GTK_CONTAINER(container), chain);
            G_GNUC_END_IGNORE_DEPRECATIONS
            g_list_free(chain);
        }
    }
}

// ---------------------------------------------------------------------------------
// Controls

void GtkRenderer::CreateControl(FormView& fv, TControl& control) {
    auto cv = std::make_unique<ControlView>();
    cv->owner = this;
    cv->formView = &fv;
    cv->control = &control;
    ControlView* raw = cv.get();
    switch (control.Type()) {
        case ControlType::Label:
            cv->main = cv->outer = gtk_label_new(nullptr);
            gtk_label_set_yalign(GTK_LABEL(cv->main), 0.0f);
            break;
        case ControlType::Button:
        case ControlType::BitBtn:
            cv->main = cv->outer = gtk_button_new_with_label("");
            gtk_button_set_use_underline(GTK_BUTTON(cv->main), TRUE);
            gtk_widget_set_can_default(cv->main, TRUE);
            gtk_widget_set_receives_default(cv->main, TRUE);  // focused, Enter presses it
            g_signal_connect(cv->main, "clicked", G_CALLBACK(OnClicked), raw);
            break;
        case ControlType::Edit:
            cv->main = cv->outer = gtk_entry_new();
            gtk_entry_set_width_chars(GTK_ENTRY(cv->main), 1);
            g_signal_connect(cv->main, "changed", G_CALLBACK(OnEntryChanged), raw);
            break;
        case ControlType::CheckBox:
            cv->main = cv->outer = gtk_check_button_new_with_label("");
            gtk_button_set_use_underline(GTK_BUTTON(cv->main), TRUE);
            g_signal_connect(cv->main, "toggled", G_CALLBACK(OnToggled), raw);
            break;
        case ControlType::RadioButton: {
            // Radio buttons with the same parent are one group.
            GtkRadioButton* group = nullptr;
            for (auto& [c, other] : fv.controls) {
                if (c->Type() == ControlType::RadioButton && c->Parent() == control.Parent()) {
                    group = GTK_RADIO_BUTTON(other->main);
                    break;
                }
            }
            cv->main = cv->outer = gtk_radio_button_new_with_label_from_widget(group, "");
            gtk_button_set_use_underline(GTK_BUTTON(cv->main), TRUE);
            g_signal_connect(cv->main, "toggled", G_CALLBACK(OnToggled), raw);
            break;
        }
        case ControlType::ComboBox:
        case ControlType::DriveComboBox:
            cv->main = cv->outer =
                control.Style() == csDropDownList || control.Type() == ControlType::DriveComboBox
                    ? gtk_combo_box_text_new()
                    : gtk_combo_box_text_new_with_entry();
            gtk_widget_set_focus_on_click(cv->main, TRUE);
            // Long items (deep mount points) are shortened rather than widening the box,
            // and the rows carry no extra padding, so the box keeps its layout size.
            if (GList* cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(cv->main))) {
                for (GList* it = cells; it; it = it->next) {
                    g_object_set(it->data, "ypad", 0, "ellipsize", PANGO_ELLIPSIZE_END,
                                 "width-chars", 1, nullptr);
                }
                g_list_free(cells);
            }
            g_signal_connect(cv->main, "changed", G_CALLBACK(OnComboChanged), raw);
            break;
        case ControlType::ProgressBar:
            cv->main = cv->outer = gtk_progress_bar_new();
            break;
        case ControlType::GroupBox:
        case ControlType::Panel:
            cv->outer = cv->box = FixedBoxNew();
            cv->frame = gtk_frame_new(nullptr);
            if (control.Type() == ControlType::GroupBox) {
                gtk_style_context_add_class(gtk_widget_get_style_context(cv->frame),
                                            "tvk-groupbox");
                gtk_frame_set_label_widget(GTK_FRAME(cv->frame), gtk_label_new(""));
                gtk_label_set_use_underline(
                    GTK_LABEL(gtk_frame_get_label_widget(GTK_FRAME(cv->frame))), TRUE);
                gtk_widget_show(gtk_frame_get_label_widget(GTK_FRAME(cv->frame)));
            }
            gtk_widget_set_can_focus(cv->frame, FALSE);
            FixedBoxPlace(cv->box, cv->frame, 0, 0);
            gtk_widget_show(cv->frame);
            cv->main = cv->frame;
            break;
        case ControlType::TabSheet:
            cv->outer = cv->box = FixedBoxNew();
            cv->main = cv->box;
            cv->tabLabel = gtk_label_new("");
            gtk_label_set_use_underline(GTK_LABEL(cv->tabLabel), TRUE);
            gtk_widget_show(cv->tabLabel);
            break;
        case ControlType::PageControl:
            cv->main = cv->outer = gtk_notebook_new();
            gtk_notebook_set_scrollable(GTK_NOTEBOOK(cv->main), TRUE);
            g_signal_connect(cv->main, "switch-page", G_CALLBACK(OnSwitchPage), raw);
            break;
        case ControlType::Image:
            cv->main = cv->outer = gtk_image_new();
            break;
        case ControlType::DirectoryListBox: {
            cv->store = gtk_tree_store_new(kColCount, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_INT);
            cv->main = gtk_tree_view_new_with_model(GTK_TREE_MODEL(cv->store));
            GtkTreeView* tv = GTK_TREE_VIEW(cv->main);
            gtk_tree_view_set_headers_visible(tv, FALSE);
            gtk_tree_view_set_enable_search(tv, FALSE);
            gtk_tree_view_set_activate_on_single_click(tv, FALSE);
            // The items are a tree (each folder of the chain inside the one before it);
            // drawn fully open without expanders, it is the indented list of the VCL.
            gtk_tree_view_set_show_expanders(tv, FALSE);
            gtk_tree_view_set_level_indentation(tv, 10);
            GtkTreeViewColumn* col = gtk_tree_view_column_new();
            GtkCellRenderer* icon = gtk_cell_renderer_pixbuf_new();
            GtkCellRenderer* text = gtk_cell_renderer_text_new();
            g_object_set(text, "ypad", 0, nullptr);
            g_object_set(icon, "ypad", 0, nullptr);
            gtk_tree_view_column_pack_start(col, icon, FALSE);
            gtk_tree_view_column_pack_start(col, text, TRUE);
            gtk_tree_view_column_add_attribute(col, icon, "icon-name", kColIcon);
            gtk_tree_view_column_add_attribute(col, text, "text", kColText);
            gtk_tree_view_append_column(tv, col);
            g_signal_connect(cv->main, "row-activated", G_CALLBACK(OnRowActivated), raw);
            cv->outer = gtk_scrolled_window_new(nullptr, nullptr);
            gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(cv->outer), GTK_SHADOW_IN);
            gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(cv->outer), GTK_POLICY_AUTOMATIC,
                                           GTK_POLICY_AUTOMATIC);
            gtk_container_add(GTK_CONTAINER(cv->outer), cv->main);
            gtk_widget_show(cv->main);
            break;
        }
    }
    if (control.Type() == ControlType::Label) FixedBoxSetNatural(cv->outer, true);
    fv.controls[&control] = std::move(cv);
    AttachToParent(fv, *raw);
}

void GtkRenderer::AttachToParent(FormView& fv, ControlView& cv) {
    TControl* parent = cv.control->Parent();
    ControlView* pv = nullptr;
    if (parent) {
        auto it = fv.controls.find(parent);
        if (it != fv.controls.end()) pv = it->second.get();
    }
    GtkWidget* current = gtk_widget_get_parent(cv.outer);
    if (cv.control->Type() == ControlType::TabSheet && pv &&
        parent->Type() == ControlType::PageControl) {
        if (current == pv->main) return;
        if (current) {
            g_object_ref(cv.outer);
            gtk_container_remove(GTK_CONTAINER(current), cv.outer);
        }
        gtk_notebook_append_page(GTK_NOTEBOOK(pv->main), cv.outer, cv.tabLabel);
        if (current) g_object_unref(cv.outer);
        // A page is always drawn when its control is; only the page control hides.
        gtk_widget_show(cv.outer);
        return;
    }
    GtkWidget* box = (pv && pv->box) ? pv->box : fv.root;
    if (current == box) return;
    if (current) {
        g_object_ref(cv.outer);
        gtk_container_remove(GTK_CONTAINER(current), cv.outer);
        FixedBoxPlace(box, cv.outer, cv.control->Left(), cv.control->Top());
        g_object_unref(cv.outer);
    } else {
        FixedBoxPlace(box, cv.outer, cv.control->Left(), cv.control->Top());
    }
}

void GtkRenderer::ApplyAll(ControlView& cv) {
    for (Property p : {Property::Font, Property::Caption, Property::Items, Property::ItemIndex,
                       Property::Checked, Property::Range, Property::Kind, Property::Default,
                       Property::Style, Property::Enabled, Property::Visible, Property::Alignment,
                       Property::Bounds, Property::ActivePage}) {
        ApplyControl(cv, p);
    }
}

void GtkRenderer::ApplyControl(ControlView& cv, Property property) {
    TControl& c = *cv.control;
    switch (property) {
        case Property::Caption:
            ApplyCaption(cv);
            if (c.Type() == ControlType::Label) ApplyBounds(cv);
            break;
        case Property::Visible:
            if (c.Type() != ControlType::TabSheet) gtk_widget_set_visible(cv.outer, c.Visible());
            break;
        case Property::Enabled:
            gtk_widget_set_sensitive(cv.outer, c.Enabled());
            break;
        case Property::Checked:
            ApplyChecked(cv);
            break;
        case Property::Items:
            ApplyItems(cv);
            ApplyItemIndex(cv);
            break;
        case Property::ItemIndex:
            ApplyItemIndex(cv);
            break;
        case Property::Position:
        case Property::Range:
            ApplyProgress(cv);
            break;
        case Property::Bounds:
        case Property::Alignment:
            ApplyBounds(cv);
            break;
        case Property::Font:
        case Property::Color:
            ApplyFont(cv);
            ApplyBounds(cv);
            break;
        case Property::Kind:
            ApplyKind(cv);
            break;
        case Property::Default:
            if (GTK_IS_BUTTON(cv.main) && c.IsDefault()) {
                gtk_window_set_default(GTK_WINDOW(cv.formView->window), cv.main);
            }
            break;
        case Property::ActivePage:
            ApplyActivePage(cv);
            break;
        case Property::Parent:
            AttachToParent(*cv.formView, cv);
            ApplyBounds(cv);
            break;
        case Property::Style:
            if (c.Type() == ControlType::Label) {
                gtk_label_set_line_wrap(GTK_LABEL(cv.main), c.WordWrap());
                gtk_label_set_max_width_chars(GTK_LABEL(cv.main), c.WordWrap() ? 1 : -1);
                ApplyBounds(cv);
            } else if (c.Type() == ControlType::Panel) {
                const bool bevel = c.BevelInner() != bvNone || c.BevelOuter() != bvNone;
                gtk_frame_set_shadow_type(GTK_FRAME(cv.frame), !bevel
                                                                   ? GTK_SHADOW_NONE
                                                                   : (c.BevelOuter() == bvLowered
                                                                          ? GTK_SHADOW_ETCHED_IN
                                                                          : GTK_SHADOW_ETCHED_OUT));
            } else if (c.Type() == ControlType::Image) {
                ApplyPicture(cv);
            }
            break;
        case Property::TabOrder:
            ApplyFocusChain(*cv.formView);
            break;
        default:
            break;
    }
}

void GtkRenderer::ApplyCaption(ControlView& cv) {
    TControl& c = *cv.control;
    const std::string text = UsesMnemonic(c.Type()) ? MnemonicText(c.Caption()) : c.Caption();
    switch (c.Type()) {
        case ControlType::Label:
            gtk_label_set_text(GTK_LABEL(cv.main), text.c_str());
            break;
        case ControlType::Button:
        case ControlType::BitBtn:
        case ControlType::CheckBox:
        case ControlType::RadioButton:
            gtk_button_set_label(GTK_BUTTON(cv.main), text.c_str());
            break;
        case ControlType::Edit:
            if (c.Caption() != gtk_entry_get_text(GTK_ENTRY(cv.main))) {
                gtk_entry_set_text(GTK_ENTRY(cv.main), c.Caption().c_str());
            }
            break;
        case ControlType::GroupBox:
            gtk_label_set_text_with_mnemonic(
                GTK_LABEL(gtk_frame_get_label_widget(GTK_FRAME(cv.frame))), text.c_str());
            break;
        case ControlType::TabSheet:
            gtk_label_set_text_with_mnemonic(GTK_LABEL(cv.tabLabel), text.c_str());
            break;
        case ControlType::ComboBox:
        case ControlType::DriveComboBox:
            if (gtk_combo_box_get_has_entry(GTK_COMBO_BOX(cv.main))) {
                GtkWidget* entry = gtk_bin_get_child(GTK_BIN(cv.main));
                if (c.Caption() != gtk_entry_get_text(GTK_ENTRY(entry))) {
                    gtk_entry_set_text(GTK_ENTRY(entry), c.Caption().c_str());
                }
            }
            break;
        default:
            break;
    }
}

void GtkRenderer::ApplyBounds(ControlView& cv) {
    TControl& c = *cv.control;
    if (c.Type() == ControlType::TabSheet) return;  // the notebook sizes its pages
    GtkWidget* parent = gtk_widget_get_parent(cv.outer);
    const int w = std::max(c.Width(), 0);
    const int h = std::max(c.Height(), 0);
    int x = c.Left();
    if (c.Type() == ControlType::Label) {
        GtkLabel* label = GTK_LABEL(cv.main);
        gtk_label_set_xalign(label, c.Alignment() == taRightJustify ? 1.0f
                                    : c.Alignment() == taCenter     ? 0.5f
                                                                    : 0.0f);
        FixedBoxSetNatural(cv.outer, true);
        if (c.WordWrap()) {
            // A wrapping label keeps its width and takes the lines it needs. Lines break at
            // blanks: a run of text without blanks moves to the next line whole, unless it
            // is wider than the label by itself. (Left to Pango, Japanese text would break
            // between any two characters, and a run of blanks meant to end a line would
            // not end it when this font is narrower than the layout's.)
            PangoAttrList* attrs = pango_attr_list_new();
            const std::string& text = c.Caption();
            std::size_t i = 0;
            while (i < text.size()) {
                if (text[i] == ' ' || text[i] == '\n') {
                    ++i;
                    continue;
                }
                std::size_t end = i;
                while (end < text.size() && text[end] != ' ' && text[end] != '\n') ++end;
                PangoLayout* run =
                    gtk_widget_create_pango_layout(cv.main, text.substr(i, end - i).c_str());
                int runWidth = 0;
                pango_layout_get_pixel_size(run, &runWidth, nullptr);
                g_object_unref(run);
                if (runWidth <= w) {
                    PangoAttribute* keep = pango_attr_allow_breaks_new(FALSE);
                    keep->start_index = static_cast<guint>(i);
                    keep->end_index = static_cast<guint>(end);
                    pango_attr_list_insert(attrs, keep);
                }
                i = end;
            }
            gtk_label_set_attributes(label, attrs);
            pango_attr_list_unref(attrs);
            gtk_widget_set_size_request(cv.outer, w, -1);
        } else {
            // Any other label grows with its text, never cutting it: to the right, or to
            // the left when it is right-aligned (the edge that stays put).
            gtk_widget_set_size_request(cv.outer, -1, -1);
            int natural = 0;
            gtk_widget_get_preferred_width(cv.outer, nullptr, &natural);
            const int grown = std::max(w, natural);
            if (c.Alignment() == taRightJustify) x = c.Left() + w - grown;
            if (c.Alignment() == taCenter) x = c.Left() + (w - grown) / 2;
            gtk_widget_set_size_request(cv.outer, grown, h);
        }
    } else {
        gtk_widget_set_size_request(cv.outer, w, h);
        if (cv.frame) gtk_widget_set_size_request(cv.frame, w, h);
    }
    if (parent && GTK_IS_FIXED(parent)) FixedBoxPlace(parent, cv.outer, x, c.Top());
}

void GtkRenderer::ApplyFont(ControlView& cv) {
    // Everything inside the placed widget (a button's label, a notebook's tabs, the
    // folder list's rows) inherits the class's font.
    SwapClass(cv.outer, cv.fontClass, style_.FontClass(cv.control->EffectiveFont()));
}

void GtkRenderer::ApplyItems(ControlView& cv) {
    TControl& c = *cv.control;
    if (c.Type() == ControlType::ComboBox || c.Type() == ControlType::DriveComboBox) {
        GtkComboBoxText* combo = GTK_COMBO_BOX_TEXT(cv.main);
        gtk_combo_box_text_remove_all(combo);
        for (const auto& item : c.Items()) gtk_combo_box_text_append_text(combo, item.c_str());
    } else if (c.Type() == ControlType::DirectoryListBox) {
        auto* list = dynamic_cast<TDirectoryListBox*>(&c);
        gtk_tree_store_clear(cv.store);
        cv.rowPaths.clear();
        const auto& items = c.Items();
        std::vector<GtkTreeIter> parents;  // the last row of each level
        for (int i = 0; i < static_cast<int>(items.size()); ++i) {
            const bool chain = list && i < list->ChainLength();
            const int level =
                std::clamp(list ? list->ItemLevel(i) : 0, 0, static_cast<int>(parents.size()));
            GtkTreeIter iter;
            gtk_tree_store_append(cv.store, &iter, level > 0 ? &parents[level - 1] : nullptr);
            gtk_tree_store_set(cv.store, &iter, kColIcon, chain ? "folder-open" : "folder",
                               kColText, items[i].c_str(), kColIndex, i, -1);
            parents.resize(level);
            parents.push_back(iter);
            gchar* path = gtk_tree_model_get_string_from_iter(GTK_TREE_MODEL(cv.store), &iter);
            cv.rowPaths.emplace_back(path);
            g_free(path);
        }
        gtk_tree_view_expand_all(GTK_TREE_VIEW(cv.main));
    }
}

void GtkRenderer::ApplyItemIndex(ControlView& cv) {
    TControl& c = *cv.control;
    const int index = c.ItemIndex();
    if (c.Type() == ControlType::ComboBox || c.Type() == ControlType::DriveComboBox) {
        if (gtk_combo_box_get_active(GTK_COMBO_BOX(cv.main)) != index) {
            gtk_combo_box_set_active(GTK_COMBO_BOX(cv.main), index);
        }
        ApplyCaption(cv);
    } else if (c.Type() == ControlType::DirectoryListBox) {
        GtkTreeSelection* sel = gtk_tree_view_get_selection(GTK_TREE_VIEW(cv.main));
        if (index < 0 || index >= static_cast<int>(c.Items().size())) {
            gtk_tree_selection_unselect_all(sel);
            return;
        }
        if (index >= static_cast<int>(cv.rowPaths.size())) return;
        GtkTreePath* path = gtk_tree_path_new_from_string(cv.rowPaths[index].c_str());
        gtk_tree_view_set_cursor(GTK_TREE_VIEW(cv.main), path, nullptr, FALSE);
        gtk_tree_view_scroll_to_cell(GTK_TREE_VIEW(cv.main), path, nullptr, FALSE, 0, 0);
        gtk_tree_path_free(path);
    }
}

void GtkRenderer::ApplyChecked(ControlView& cv) {
    TControl& c = *cv.control;
    if (c.Type() != ControlType::CheckBox && c.Type() != ControlType::RadioButton) return;
    GtkToggleButton* toggle = GTK_TOGGLE_BUTTON(cv.main);
    // A GTK radio group always has one member on; the model's "none checked" cannot be
    // shown, so only a checked radio button is pushed to the widget.
    if (c.Type() == ControlType::RadioButton && !c.Checked()) return;
    if (gtk_toggle_button_get_active(toggle) != c.Checked()) {
        gtk_toggle_button_set_active(toggle, c.Checked());
    }
}

void GtkRenderer::ApplyKind(ControlView& cv) {
    TControl& c = *cv.control;
    if (c.Type() != ControlType::BitBtn) return;
    const Glyph g = GlyphOf(c.Kind());
    if (!g.icon) {
        gtk_button_set_image(GTK_BUTTON(cv.main), nullptr);
        cv.glyph = nullptr;
        return;
    }
    GtkWidget* image = gtk_image_new_from_icon_name(g.icon, GTK_ICON_SIZE_MENU);
    gtk_image_set_pixel_size(GTK_IMAGE(image), 16);
    gtk_style_context_add_class(gtk_widget_get_style_context(image), g.cssClass);
    gtk_button_set_image(GTK_BUTTON(cv.main), image);
    gtk_button_set_always_show_image(GTK_BUTTON(cv.main), TRUE);
    gtk_button_set_image_position(GTK_BUTTON(cv.main), GTK_POS_LEFT);
    cv.glyph = image;
}

void GtkRenderer::ApplyProgress(ControlView& cv) {
    TControl& c = *cv.control;
    if (c.Type() != ControlType::ProgressBar) return;
    const int span = c.Max() - c.Min();
    const double fraction = span > 0 ? double(c.Position() - c.Min()) / span : 0.0;
    gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(cv.main), std::clamp(fraction, 0.0, 1.0));
}

void GtkRenderer::ApplyActivePage(ControlView& cv) {
    TControl& c = *cv.control;
    if (c.Type() != ControlType::PageControl || !c.ActivePage()) return;
    ControlView* page = Find(*c.ActivePage());
    if (!page) return;
    const int n = gtk_notebook_page_num(GTK_NOTEBOOK(cv.main), page->outer);
    if (n >= 0 && gtk_notebook_get_current_page(GTK_NOTEBOOK(cv.main)) != n) {
        gtk_notebook_set_current_page(GTK_NOTEBOOK(cv.main), n);
    }
}

void GtkRenderer::ApplyPicture(ControlView& cv) {
    TControl& c = *cv.control;
    if (c.Picture().empty()) {
        gtk_image_clear(GTK_IMAGE(cv.main));
        return;
    }
    const int w = c.Width() > 0 ? c.Width() : 32;
    const int h = c.Height() > 0 ? c.Height() : 32;
    GdkPixbuf* p = nullptr;
    if (c.Picture() == "MAINICON") {
        p = LoadProgramIcon(w, h);
    } else {
        p = gtk_icon_theme_load_icon(gtk_icon_theme_get_default(), c.Picture().c_str(),
                                     std::max(w, h), GTK_ICON_LOOKUP_FORCE_SIZE, nullptr);
    }
    if (p) {
        gtk_image_set_from_pixbuf(GTK_IMAGE(cv.main), p);
        g_object_unref(p);
    }
}

void GtkRenderer::PropertyChanged(TForm& form, TControl* control, Property property) {
    FormView* fv = Find(form);
    if (!fv) return;
    ++updating_;
    if (!control) {
        ApplyForm(*fv, property);
    } else {
        auto it = fv->controls.find(control);
        if (it == fv->controls.end()) {
            // A control made after the form was realized.
            CreateControl(*fv, *control);
            ApplyAll(*fv->controls[control]);
            ApplyFocusChain(*fv);
        } else {
            ApplyControl(*it->second, property);
        }
    }
    --updating_;
}

void GtkRenderer::Resync(TForm* form, TControl* control) {
    FormView* fv = nullptr;
    for (auto& [f, view] : forms_) {
        if (f == form) fv = view.get();
    }
    if (!fv) return;
    auto it = fv->controls.find(control);
    if (it == fv->controls.end()) return;
    ++updating_;
    ControlView& cv = *it->second;
    switch (control->Type()) {
        case ControlType::RadioButton:
            // Bring the whole group back in line.
            for (auto& [c, other] : fv->controls) {
                if (c->Type() == ControlType::RadioButton && c->Parent() == control->Parent()) {
                    ApplyChecked(*other);
                }
            }
            break;
        case ControlType::CheckBox:
            ApplyChecked(cv);
            break;
        case ControlType::ComboBox:
        case ControlType::DriveComboBox:
        case ControlType::DirectoryListBox:
            ApplyItemIndex(cv);
            break;
        case ControlType::Edit:
            ApplyCaption(cv);
            break;
        case ControlType::PageControl:
            ApplyActivePage(cv);
            break;
        default:
            break;
    }
    --updating_;
}

// ---------------------------------------------------------------------------------
// Signals

gboolean GtkRenderer::OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
    auto* fv = static_cast<FormView*>(data);
    fv->form->UserClose();
    return TRUE;  // the model decides whether the window goes
}

gboolean GtkRenderer::OnKeyPress(GtkWidget* widget, GdkEventKey* event, gpointer data) {
    auto* fv = static_cast<FormView*>(data);
    if (fv->owner->updating_) return FALSE;
    const guint mods = event->state & gtk_accelerator_get_default_mod_mask();
    if (mods != 0) return FALSE;
    const guint key = event->keyval;
    if (key == GDK_KEY_Escape) {
        fv->form->UserPressEscape();
        return TRUE;
    }
    if (key == GDK_KEY_Return || key == GDK_KEY_KP_Enter || key == GDK_KEY_ISO_Enter) {
        // A focused push button, or the folder list, takes Enter itself.
        GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(widget));
        for (GtkWidget* w = focus; w != nullptr && w != widget; w = gtk_widget_get_parent(w)) {
            for (auto& [c, cv] : fv->controls) {
                if (cv->main != w) continue;
                if (c->Type() == ControlType::Button || c->Type() == ControlType::BitBtn ||
                    c->Type() == ControlType::DirectoryListBox) {
                    return FALSE;
                }
            }
        }
        fv->form->UserPressEnter();
        return TRUE;
    }
    return FALSE;
}

gboolean GtkRenderer::OnConfigure(GtkWidget* widget, GdkEventConfigure*, gpointer data) {
    auto* fv = static_cast<FormView*>(data);
    if (fv->owner->updating_ || !gtk_widget_get_mapped(widget)) return FALSE;
    int x = 0, y = 0;
    gtk_window_get_position(GTK_WINDOW(widget), &x, &y);
    if (x != fv->form->Left() || y != fv->form->Top()) {
        fv->appliedLeft = x;
        fv->appliedTop = y;
        fv->form->UserMove(x, y);
    }
    return FALSE;
}

void GtkRenderer::OnRealizeWindow(GtkWidget*, gpointer data) {
    auto* fv = static_cast<FormView*>(data);
    fv->owner->ApplyWindowFunctions(*fv);
}

void GtkRenderer::OnSetFocus(GtkWindow*, GtkWidget* widget, gpointer data) {
    auto* fv = static_cast<FormView*>(data);
    if (fv->owner->updating_ || widget == nullptr) return;
    for (GtkWidget* w = widget; w != nullptr; w = gtk_widget_get_parent(w)) {
        for (auto& [c, cv] : fv->controls) {
            if (cv->main == w || cv->outer == w) {
                if (fv->form->ActiveControl() != c) {
                    fv->form->UserFocus(const_cast<TControl*>(c));
                }
                return;
            }
        }
    }
}

void GtkRenderer::OnClicked(GtkButton*, gpointer data) {
    auto* cv = static_cast<ControlView*>(data);
    if (cv->owner->updating_) return;
    cv->control->UserClick();
}

void GtkRenderer::OnToggled(GtkToggleButton* toggle, gpointer data) {
    auto* cv = static_cast<ControlView*>(data);
    GtkRenderer* self = cv->owner;
    if (self->updating_) return;
    TForm* form = &cv->control->Form();
    TControl* control = cv->control;
    if (control->Type() == ControlType::RadioButton) {
        // The group switches one button off and another on; the one switched on is the
        // user's click.
        if (!gtk_toggle_button_get_active(toggle)) return;
        if (!control->Checked()) control->UserClick();
    } else if (gtk_toggle_button_get_active(toggle) != control->Checked()) {
        control->UserClick();
    }
    self->Resync(form, control);
}

void GtkRenderer::OnComboChanged(GtkComboBox* combo, gpointer data) {
    auto* cv = static_cast<ControlView*>(data);
    GtkRenderer* self = cv->owner;
    if (self->updating_) return;
    const int index = gtk_combo_box_get_active(combo);
    TForm* form = &cv->control->Form();
    TControl* control = cv->control;
    if (index >= 0) {
        control->UserSelectItem(index);
    } else if (gtk_combo_box_get_has_entry(combo)) {
        control->UserEditText(gtk_entry_get_text(GTK_ENTRY(gtk_bin_get_child(GTK_BIN(combo)))));
    }
    self->Resync(form, control);
}

void GtkRenderer::OnEntryChanged(GtkEditable* editable, gpointer data) {
    auto* cv = static_cast<ControlView*>(data);
    GtkRenderer* self = cv->owner;
    if (self->updating_) return;
    TForm* form = &cv->control->Form();
    TControl* control = cv->control;
    control->UserEditText(gtk_entry_get_text(GTK_ENTRY(editable)));
    self->Resync(form, control);
}

void GtkRenderer::OnRowActivated(GtkTreeView*, GtkTreePath* path, GtkTreeViewColumn*,
                                 gpointer data) {
    auto* cv = static_cast<ControlView*>(data);
    GtkRenderer* self = cv->owner;
    if (self->updating_) return;
    GtkTreeIter iter;
    if (!gtk_tree_model_get_iter(GTK_TREE_MODEL(cv->store), &iter, path)) return;
    gint index = -1;
    gtk_tree_model_get(GTK_TREE_MODEL(cv->store), &iter, kColIndex, &index, -1);
    TForm* form = &cv->control->Form();
    TControl* control = cv->control;
    control->UserSelectItem(index);
    self->Resync(form, control);
}

void GtkRenderer::OnSwitchPage(GtkNotebook*, GtkWidget* page, guint, gpointer data) {
    auto* cv = static_cast<ControlView*>(data);
    GtkRenderer* self = cv->owner;
    if (self->updating_) return;
    TForm* form = &cv->control->Form();
    TControl* control = cv->control;
    for (auto& [c, other] : cv->formView->controls) {
        if (other->outer == page && c->Type() == ControlType::TabSheet) {
            if (control->ActivePage() != c) control->UserSelectPage(const_cast<TControl*>(c));
            break;
        }
    }
    // The notebook has already switched; if the model refused, switch back once GTK has
    // finished this switch.
    if (self->Find(*form) && control->ActivePage() &&
        (!self->Find(*control->ActivePage()) ||
         self->Find(*control->ActivePage())->outer != page)) {
        struct Later {
            GtkRenderer* self;
            TForm* form;
            TControl* control;
        };
        g_idle_add(
            [](gpointer d) -> gboolean {
                auto* later = static_cast<Later*>(d);
                later->self->Resync(later->form, later->control);
                delete later;
                return G_SOURCE_REMOVE;
            },
            new Later{self, form, control});
    }
}

// ---------------------------------------------------------------------------------
// Dialogs

GtkWindow* GtkRenderer::DialogParent() const {
    GtkWindow* modal = nullptr;
    GtkWindow* main = nullptr;
    TForm* mainForm = TApplication::Instance() ? TApplication::Instance()->MainForm() : nullptr;
    for (auto& [form, fv] : forms_) {
        if (!gtk_widget_get_visible(fv->window)) continue;
        GtkWindow* win = GTK_WINDOW(fv->window);
        if (gtk_window_is_active(win)) return win;
        if (gtk_window_get_modal(win)) modal = win;
        if (form == mainForm) main = win;
    }
    return modal ? modal : main;
}

int GtkRenderer::MessageBox(const std::string& text, const std::string& caption, unsigned flags) {
    struct ButtonSpec {
        const char* label;
        int id;
    };
    std::vector<ButtonSpec> buttons;
    switch (flags & MB_TYPEMASK) {
        case MB_OKCANCEL:
            buttons = {{"OK", IDOK}, {"キャンセル", IDCANCEL}};
            break;
        case MB_ABORTRETRYIGNORE:
            buttons = {{"中止(_A)", IDABORT}, {"再試行(_R)", IDRETRY}, {"無視(_I)", IDIGNORE}};
            break;
        case MB_YESNOCANCEL:
            buttons = {{"はい(_Y)", IDYES}, {"いいえ(_N)", IDNO}, {"キャンセル", IDCANCEL}};
            break;
        case MB_YESNO:
            buttons = {{"はい(_Y)", IDYES}, {"いいえ(_N)", IDNO}};
            break;
        case MB_RETRYCANCEL:
            buttons = {{"再試行(_R)", IDRETRY}, {"キャンセル", IDCANCEL}};
            break;
        default:
            buttons = {{"OK", IDOK}};
            break;
    }
    const char* icon = nullptr;
    switch (flags & MB_ICONMASK) {
        case MB_ICONSTOP:
            icon = "dialog-error";
            break;
        case MB_ICONQUESTION:
            icon = "dialog-question";
            break;
        case MB_ICONEXCLAMATION:
            icon = "dialog-warning";
            break;
        case MB_ICONINFORMATION:
            icon = "dialog-information";
            break;
        default:
            break;
    }
    // Closing the box (Esc, the close button) is Cancel where there is one; a box with
    // only OK answers OK; a Yes/No question cannot be closed without an answer.
    int closeAnswer = 0;
    for (const auto& b : buttons) {
        if (b.id == IDCANCEL) closeAnswer = IDCANCEL;
    }
    if (buttons.size() == 1) closeAnswer = buttons[0].id;

    GtkWindow* parent = DialogParent();
    GtkWidget* dialog = gtk_dialog_new();
    g_object_ref_sink(dialog);
    gtk_window_set_title(GTK_WINDOW(dialog), caption.c_str());
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);
    gtk_window_set_deletable(GTK_WINDOW(dialog), closeAnswer != 0);
    if (parent) {
        gtk_window_set_transient_for(GTK_WINDOW(dialog), parent);
        gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER_ON_PARENT);
    } else {
        gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
    }
    GtkStyleContext* sc = gtk_widget_get_style_context(dialog);
    gtk_style_context_add_class(sc, "tvk-messagebox");
    gtk_style_context_add_class(sc, style_.FontClass(TFont{}).c_str());

    GtkWidget* content = gtk_dialog_get_content_area(GTK_DIALOG(dialog));
    GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
    gtk_container_set_border_width(GTK_CONTAINER(row), 12);
    if (icon) {
        GtkWidget* image = gtk_image_new_from_icon_name(icon, GTK_ICON_SIZE_DIALOG);
        gtk_widget_set_valign(image, GTK_ALIGN_START);
        gtk_widget_set_name(image, "tvk-messagebox-icon");
        gtk_box_pack_start(GTK_BOX(row), image, FALSE, FALSE, 0);
    }
    GtkWidget* label = gtk_label_new(text.c_str());
    gtk_widget_set_name(label, "tvk-messagebox-text");
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_max_width_chars(GTK_LABEL(label), 60);
    gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    gtk_widget_set_valign(label, GTK_ALIGN_CENTER);
    gtk_box_pack_start(GTK_BOX(row), label, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(content), row, TRUE, TRUE, 0);
    gtk_widget_show_all(row);
    for (const auto& b : buttons) {
        GtkWidget* button = gtk_dialog_add_button(GTK_DIALOG(dialog), b.label, b.id);
        gtk_widget_set_size_request(button, 75, -1);
        // Enter presses the focused button, as in Windows, not always the default one.
        gtk_widget_set_receives_default(button, TRUE);
    }
    // The first button is the default one, and has the focus, as in Windows.
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), buttons[0].id);
    if (GtkWidget* first = gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), buttons[0].id)) {
        gtk_widget_grab_focus(first);
    }

    if (OnDialogShown) {
        // Once it is on screen.
        struct Shown {
            GtkRenderer* self;
            GtkWidget* dialog;
        };
        auto* shown = new Shown{this, dialog};
        g_signal_connect_data(
            dialog, "map-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer d) -> gboolean {
                auto* s = static_cast<Shown*>(d);
                if (s->self->OnDialogShown) s->self->OnDialogShown(s->dialog);
                return FALSE;
            }),
            shown, [](gpointer d, GClosure*) { delete static_cast<Shown*>(d); }, G_CONNECT_DEFAULT);
    }

    int answer = 0;
    for (;;) {
        const int response = gtk_dialog_run(GTK_DIALOG(dialog));
        if (response > 0) {
            answer = response;
            break;
        }
        if (closeAnswer != 0) {
            answer = closeAnswer;
            break;
        }
        if (response == GTK_RESPONSE_NONE) break;  // destroyed under us
    }
    gtk_widget_destroy(dialog);
    g_object_unref(dialog);
    return answer;
}

void GtkRenderer::ShowMessage(const std::string& text, const std::string& caption) {
    MessageBox(text, caption, MB_OK);
}

// ---------------------------------------------------------------------------------
// Events and waiting

bool GtkRenderer::ProcessEvents() {
    bool any = false;
    // Bounded, so that a source that is always ready cannot hold us here.
    for (int i = 0; i < 10000 && g_main_context_iteration(nullptr, FALSE); ++i) any = true;
    return any;
}

void GtkRenderer::WaitForWork(std::optional<std::chrono::milliseconds> timeout) {
    if (g_main_context_pending(nullptr)) return;
    const int wake = platform::QueueWakeHandle();
    pollfd pfd{wake, POLLIN, 0};
    if (poll(&pfd, 1, 0) > 0) return;
    if (timeout && timeout->count() <= 0) return;

    // Sleep in GTK's own loop until it has an event, our queue is readable, or the time
    // is up. Both helper sources go again before returning: a readable queue would keep
    // its source ready and ProcessEvents would never find GTK idle.
    bool woke = false;
    const guint fdSource = g_unix_fd_add(
        wake, G_IO_IN,
        [](gint, GIOCondition, gpointer flag) -> gboolean {
            *static_cast<bool*>(flag) = true;
            return G_SOURCE_CONTINUE;
        },
        &woke);
    guint timer = 0;
    if (timeout) {
        timer = g_timeout_add(
            static_cast<guint>(timeout->count()),
            [](gpointer flag) -> gboolean {
                *static_cast<bool*>(flag) = true;
                return G_SOURCE_CONTINUE;
            },
            &woke);
    }
    g_main_context_iteration(nullptr, TRUE);
    g_source_remove(fdSource);
    if (timer) g_source_remove(timer);
}

TSize GtkRenderer::ScreenSize() {
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = display ? gdk_display_get_primary_monitor(display) : nullptr;
    if (!monitor && display && gdk_display_get_n_monitors(display) > 0) {
        monitor = gdk_display_get_monitor(display, 0);
    }
    if (!monitor) return {1024, 768};
    GdkRectangle r;
    gdk_monitor_get_geometry(monitor, &r);
    return {r.width, r.height};
}

void GtkRenderer::SetFocus(TForm& form, TControl* control) {
    FormView* fv = Find(form);
    if (!fv) return;
    ++updating_;
    if (!control) {
        gtk_window_set_focus(GTK_WINDOW(fv->window), nullptr);
    } else if (ControlView* cv = Find(*control); cv && cv->main) {
        // A control on a page that is not shown cannot take the keyboard: GTK would send
        // keys to a widget that is not on screen.
        if (gtk_widget_get_mapped(cv->main) && !gtk_widget_has_focus(cv->main)) {
            gtk_widget_grab_focus(cv->main);
        }
    }
    --updating_;
}

void GtkRenderer::Repaint(TForm& form) {
    FormView* fv = Find(form);
    if (!fv || !gtk_widget_get_visible(fv->window)) return;
    // Wait (briefly) for the window to be on screen and painted once.
    struct State {
        bool painted = false;
        bool expired = false;
    } state;
    const guint timer = g_timeout_add(
        1000,
        [](gpointer s) -> gboolean {
            static_cast<State*>(s)->expired = true;
            return G_SOURCE_REMOVE;
        },
        &state);
    bool timerGone = false;
    while (!gtk_widget_get_mapped(fv->window) && !state.expired) {
        g_main_context_iteration(nullptr, TRUE);
        if (!Find(form)) break;
    }
    if (Find(form) && !state.expired) {
        GdkFrameClock* clock = gtk_widget_get_frame_clock(fv->window);
        if (clock) {
            const gulong id =
                g_signal_connect(clock, "after-paint", G_CALLBACK(+[](GdkFrameClock*, gpointer s) {
                                     static_cast<State*>(s)->painted = true;
                                 }),
                                 &state);
            gtk_widget_queue_draw(fv->window);
            while (!state.painted && !state.expired) g_main_context_iteration(nullptr, TRUE);
            g_signal_handler_disconnect(clock, id);
        }
    }
    if (state.expired) timerGone = true;
    if (!timerGone) g_source_remove(timer);
    gdk_display_flush(gdk_display_get_default());
}

}  // namespace framework::gtk
