#pragma once
// GtkRenderer: draws the framework's forms as GTK 3 windows and feeds the user's input
// back into the model.
//
// Mapping:
// - A form is a GtkWindow whose content is a FixedBox of the form's client size
//   (outer size minus TForm::kFrameWidth x kFrameHeight). Without a window manager the
//   window's outer size is its client size; with one, the manager adds its own frame.
//   bsSingle and bsDialog forms are not resizable; the border icons pick the window
//   manager's functions (no maximise unless biMaximize; no minimise unless biMinimize).
// - Every control sits in its parent's FixedBox at its layout position and size.
//   Labels take their natural size and grow to the right, or to the left when they are
//   right-aligned, as an auto-sized VCL label does; word-wrapped labels keep their width
//   and break their lines at blanks (a run without blanks breaks only when it alone is
//   wider than the label).
// - Group boxes and panels are a FixedBox holding a GtkFrame (drawn behind) and the
//   children; a page control is a GtkNotebook whose pages are FixedBoxes. A tab sheet's
//   own Visible flag is not drawn (a notebook would drop the tab).
// - Bitmap buttons show a themed symbolic icon for their kind. "&" in button, check box
//   and radio captions is the mnemonic, as in the VCL; labels show their text as it is.
// - Enter presses the default button unless a push button or the folder list has the
//   focus (then that control takes it); Esc presses the cancel button.
// - Radio buttons with the same parent form one GTK group.
// - The folder list is a GtkTreeView of the model's items as a tree, drawn open and
//   indented by depth;
//   activating a row (double click, Enter) chooses that folder.
//
// Message boxes are modal GtkDialogs with the icon and buttons their MB_* flags name.
// Our platform queue is watched through platform::QueueWakeHandle while we wait.
//
// Main thread only (the thread that initialised GTK).

#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <unordered_map>

#include "framework/Renderer.h"
#include "framework/gtk/StyleSheet.h"

namespace framework::gtk {

class GtkRenderer : public Renderer {
  public:
    // GTK must have been initialised (gtk_init_check succeeded).
    GtkRenderer();
    ~GtkRenderer() override;

    void PropertyChanged(TForm& form, TControl* control, Property property) override;
    void RealizeForm(TForm& form) override;
    void DestroyForm(TForm& form) override;
    void ShowForm(TForm& form, bool modal) override;
    void HideForm(TForm& form) override;
    int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override;
    void ShowMessage(const std::string& text, const std::string& caption) override;
    bool ProcessEvents() override;
    void WaitForWork(std::optional<std::chrono::milliseconds> timeout) override;
    TSize ScreenSize() override;
    void SetFocus(TForm& form, TControl* control) override;
    void Repaint(TForm& form) override;

    // For tests and screenshots: the toplevel of a realized form, the widget placed for a
    // control (a FixedBox for group boxes and panels, the scrolled window of the folder
    // list), and the widget that carries its caption or state.
    GtkWidget* WindowOf(const TForm& form) const;
    GtkWidget* WidgetOf(const TControl& control) const;
    GtkWidget* MainWidgetOf(const TControl& control) const;
    // Runs with each message box once it is on screen, before it is answered.
    std::function<void(GtkWidget* dialog)> OnDialogShown;

    struct ControlView;
    struct FormView;

  private:
    FormView* Find(const TForm& form) const;
    ControlView* Find(const TControl& control) const;
    void CreateControl(FormView& fv, TControl& control);
    void AttachToParent(FormView& fv, ControlView& cv);
    void ApplyAll(ControlView& cv);
    void ApplyControl(ControlView& cv, Property property);
    void ApplyForm(FormView& fv, Property property);
    void ApplyCaption(ControlView& cv);
    void ApplyBounds(ControlView& cv);
    void ApplyFont(ControlView& cv);
    void ApplyItems(ControlView& cv);
    void ApplyItemIndex(ControlView& cv);
    void ApplyChecked(ControlView& cv);
    void ApplyKind(ControlView& cv);
    void ApplyProgress(ControlView& cv);
    void ApplyActivePage(ControlView& cv);
    void ApplyPicture(ControlView& cv);
    void ApplyFormGeometry(FormView& fv);
    void ApplyWindowFunctions(FormView& fv);
    void ApplyFocusChain(FormView& fv);
    // The toplevel a message box belongs to: the active window of ours, or the modal
    // form, or the main form while it is visible.
    GtkWindow* DialogParent() const;

    // Signal handlers.
    static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer formView);
    static gboolean OnKeyPress(GtkWidget*, GdkEventKey*, gpointer formView);
    static gboolean OnConfigure(GtkWidget*, GdkEventConfigure*, gpointer formView);
    static void OnRealizeWindow(GtkWidget*, gpointer formView);
    static void OnSetFocus(GtkWindow*, GtkWidget*, gpointer formView);
    static void OnClicked(GtkButton*, gpointer controlView);
    static void OnToggled(GtkToggleButton*, gpointer controlView);
    static void OnComboChanged(GtkComboBox*, gpointer controlView);
    static void OnEntryChanged(GtkEditable*, gpointer controlView);
    static void OnRowActivated(GtkTreeView*, GtkTreePath*, GtkTreeViewColumn*, gpointer);
    static void OnSwitchPage(GtkNotebook*, GtkWidget*, guint, gpointer controlView);

    // After the model ran a user action: bring the widget of `control` back in line with
    // the model (a refused action leaves the widget as it was before). Looks the control
    // up again, since the action may have destroyed the form.
    void Resync(TForm* form, TControl* control);

    StyleSheet style_;
    std::unordered_map<const TForm*, std::unique_ptr<FormView>> forms_;
    int updating_ = 0;  // > 0 while we change widgets ourselves: their signals are ours
};

}  // namespace framework::gtk
