#pragma once
// TForm: a window as a plain model: caption, outer position and size, border, font, the
// controls it owns, focus, showing and closing. Renderers observe it through
// ChangeListener and feed the user's input back through the User* methods.
//
// Sizes: Width/Height are the outer size (frame included); the client area is smaller by
// the frame, kFrameWidth x kFrameHeight (a single border with a caption bar).
//
// Showing: SetVisible changes Visible, then sends CM_SHOWINGCHANGED through Perform to
// WndProc, which routes it to the virtual CMShowingChanged. Its own handling runs OnShow
// (becoming visible) and then puts the form on screen, or takes it off screen and runs
// OnHide. An exception escaping OnShow is shown in the standard error box and the rest
// of OnShow is skipped; the form still comes on screen. A form designed visible
// (DesignVisible) is shown as the last act of its creation (TApplication::CreateForm).
//
// Closing: Close runs OnClose with caHide; caNone keeps the form, otherwise the main form
// ends the application (TApplication::Terminate) and any other form is hidden. For a
// form shown modally Close only sets ModalResult to mrCancel, and the modal loop closes.
//
// Main thread only.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/ChangeListener.h"
#include "framework/Control.h"
#include "framework/Object.h"
#include "framework/Types.h"

namespace framework {

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;

class TForm : public TObject {
  public:
    static constexpr int kFrameWidth = 8;
    static constexpr int kFrameHeight = 27;

    // Registers with the application (which must exist) as one of its forms.
    explicit TForm(std::string name);
    ~TForm() override;
    TForm(const TForm&) = delete;
    TForm& operator=(const TForm&) = delete;

    const std::string& Name() const { return name_; }

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);

    // Outer position and size.
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetBounds(int left, int top, int width, int height);
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    int ClientWidth() const { return width_ - kFrameWidth; }
    int ClientHeight() const { return height_ - kFrameHeight; }
    void SetClientSize(int width, int height) {
        SetBounds(left_, top_, width + kFrameWidth, height + kFrameHeight);
    }

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style);
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons icons);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    const TFont& Font() const { return font_; }
    void SetFont(const TFont& font);
    int PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int ppi) { pixelsPerInch_ = ppi; }

    // Showing.
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool DesignVisible() const { return designVisible_; }
    void SetDesignVisible(bool visible) { designVisible_ = visible; }
    // Paints the form at once (the renderer's pending paint is done before returning).
    void Repaint();

    // Modal showing: shows the form, runs a nested message loop until ModalResult is set
    // (by a button, Close or SetModalResult) or the application terminates, then closes
    // and hides it. Returns the modal result.
    TModalResult ShowModal();
    bool Modal() const { return modal_; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result);

    void Close();

    // Focus. FocusControl refuses (false) a control that is hidden or disabled, itself or
    // a parent; the control losing the focus gets OnExit, the new one OnEnter.
    TControl* ActiveControl() const { return activeControl_; }
    bool FocusControl(TControl* control);

    // Controls, in creation order; the form owns them.
    template <class T>
    T* CreateControl(std::string name, TControl* parent = nullptr) {
        auto control = std::make_unique<T>(*this, std::move(name));
        T* raw = control.get();
        controls_.push_back(raw);
        owned_.push_back(std::move(control));
        if (parent) raw->SetParent(parent);
        return raw;
    }
    const std::vector<TControl*>& Controls() const { return controls_; }
    // The direct children of `parent` (null: the controls placed on the form itself).
    std::vector<TControl*> ChildrenOf(const TControl* parent) const;
    TControl* FindControl(const std::string& name) const;
    template <class T>
    T* Find(const std::string& name) const {
        return dynamic_cast<T*>(FindControl(name));
    }
    // The visible, enabled button with Default (Cancel) set, or null.
    TControl* DefaultButton() const;
    TControl* CancelButton() const;

    // Observers of every property change of the form and its controls.
    void AddListener(ChangeListener* listener);
    void RemoveListener(ChangeListener* listener);

    // Events.
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TCloseEvent OnClose;

    // Messages sent straight to the form.
    void Perform(TMessage& message);
    platform::LResult Perform(std::uint32_t msg, platform::WParam wParam = 0,
                              platform::LParam lParam = 0);

    // What a renderer calls for the user's input; exceptions from handlers go to the
    // standard error box.
    void UserClose();                   // close box, system menu, Alt+F4
    void UserFocus(TControl* control);  // focus moved by click or Tab
    void UserMove(int left, int top);   // the window was moved
    void UserPressEnter();              // clicks the default button
    void UserPressEscape();             // clicks the cancel button

    // Called by TApplication::CreateForm once the most derived constructor has returned:
    // realizes the form in the renderer and shows it when it is designed visible.
    void AfterConstruction();

    // For TControl: reports a control's change to the listeners.
    void ControlChanged(TControl& control, Property property);

  protected:
    virtual void WndProc(TMessage& message);
    virtual void CMShowingChanged(TMessage& message);
    // Runs OnShow (guarded as described above) and OnHide.
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& action);

  private:
    void Notify(Property property);
    void CloseModal();

    std::string name_;
    std::string caption_;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TFormBorderStyle borderStyle_ = bsSizeable;
    TBorderIcons borderIcons_ = biSystemMenu | biMinimize | biMaximize;
    TColor color_ = clBtnFace;
    TFont font_;
    int pixelsPerInch_ = 96;
    bool visible_ = false;
    bool designVisible_ = false;
    bool modal_ = false;
    TModalResult modalResult_ = mrNone;
    TControl* activeControl_ = nullptr;
    std::vector<TControl*> controls_;
    std::vector<std::unique_ptr<TControl>> owned_;
    std::vector<ChangeListener*> listeners_;
};

}  // namespace framework
