#include "framework/Form.h"

#include <algorithm>

#include "framework/Application.h"

namespace framework {

TForm::TForm(std::string name) : name_(std::move(name)) {
    Application().RegisterForm(this);
}

TForm::~TForm() {
    if (TApplication* app = TApplication::Instance()) app->UnregisterForm(this);
    listeners_.clear();
    activeControl_ = nullptr;
    controls_.clear();
    // Controls go in reverse order of creation, children before their parents.
    while (!owned_.empty()) owned_.pop_back();
}

void TForm::Notify(Property property) {
    // A listener may remove itself while being told; walk a copy.
    auto listeners = listeners_;
    for (ChangeListener* l : listeners) l->PropertyChanged(*this, nullptr, property);
}

void TForm::ControlChanged(TControl& control, Property property) {
    auto listeners = listeners_;
    for (ChangeListener* l : listeners) l->PropertyChanged(*this, &control, property);
}

void TForm::AddListener(ChangeListener* listener) {
    if (std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end()) {
        listeners_.push_back(listener);
    }
}

void TForm::RemoveListener(ChangeListener* listener) {
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

void TForm::SetCaption(const std::string& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    Notify(Property::Caption);
}

void TForm::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Notify(Property::Bounds);
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
    if (style == borderStyle_) return;
    borderStyle_ = style;
    Notify(Property::BorderStyle);
}

void TForm::SetBorderIcons(TBorderIcons icons) {
    if (icons == borderIcons_) return;
    borderIcons_ = icons;
    Notify(Property::BorderIcons);
}

void TForm::SetColor(TColor color) {
    if (color == color_) return;
    color_ = color;
    Notify(Property::Color);
}

void TForm::SetFont(const TFont& font) {
    font_ = font;
    Notify(Property::Font);
}

void TForm::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    Notify(Property::Visible);
    Perform(CM_SHOWINGCHANGED);
}

void TForm::Perform(TMessage& message) {
    WndProc(message);
}

platform::LResult TForm::Perform(std::uint32_t msg, platform::WParam wParam,
                                 platform::LParam lParam) {
    TMessage message{msg, wParam, lParam, 0};
    Perform(message);
    return message.Result;
}

void TForm::WndProc(TMessage& message) {
    if (message.Msg == CM_SHOWINGCHANGED) CMShowingChanged(message);
}

void TForm::CMShowingChanged(TMessage&) {
    Renderer& renderer = Application().GetRenderer();
    if (visible_) {
        DoShow();
        renderer.ShowForm(*this, modal_);
    } else {
        renderer.HideForm(*this);
        DoHide();
    }
}

void TForm::DoShow() {
    if (!OnShow) return;
    try {
        OnShow(this);
    } catch (...) {
        Application().HandleException();
    }
}

void TForm::DoHide() {
    if (OnHide) OnHide(this);
}

void TForm::Repaint() {
    Application().GetRenderer().Repaint(*this);
}

void TForm::SetModalResult(TModalResult result) {
    if (result == modalResult_) return;
    modalResult_ = result;
    Notify(Property::ModalResult);
}

TModalResult TForm::ShowModal() {
    TApplication& app = Application();
    modal_ = true;
    modalResult_ = mrNone;
    struct ModalEnd {
        TForm& form;
        ~ModalEnd() {
            form.modal_ = false;
            if (form.visible_) form.Hide();
        }
    } end{*this};
    Show();
    for (;;) {
        if (app.Terminated()) {
            modalResult_ = mrCancel;
            break;
        }
        if (modalResult_ != mrNone) {
            CloseModal();
            if (modalResult_ != mrNone) break;
        }
        app.HandleMessage();
    }
    return modalResult_;
}

void TForm::CloseModal() {
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone) modalResult_ = mrNone;
}

void TForm::DoClose(TCloseAction& action) {
    if (OnClose) OnClose(this, action);
}

void TForm::Close() {
    if (modal_) {
        SetModalResult(mrCancel);
        return;
    }
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone) return;
    TApplication& app = Application();
    if (app.MainForm() == this) {
        app.Terminate();
    } else {
        Hide();
    }
}

bool TForm::FocusControl(TControl* control) {
    if (control && (&control->Form() != this || !control->CanFocus())) return false;
    if (control == activeControl_) return true;
    TControl* previous = activeControl_;
    activeControl_ = control;
    Notify(Property::Focus);
    Application().GetRenderer().SetFocus(*this, control);
    if (previous && previous->OnExit) previous->OnExit(previous);
    if (control && control->OnEnter && activeControl_ == control) control->OnEnter(control);
    return true;
}

std::vector<TControl*> TForm::ChildrenOf(const TControl* parent) const {
    std::vector<TControl*> children;
    for (TControl* c : controls_) {
        if (c->Parent() == parent) children.push_back(c);
    }
    return children;
}

TControl* TForm::FindControl(const std::string& name) const {
    for (TControl* c : controls_) {
        if (c->Name() == name) return c;
    }
    return nullptr;
}

TControl* TForm::DefaultButton() const {
    for (TControl* c : controls_) {
        if (c->IsDefault() && c->CanFocus()) return c;
    }
    return nullptr;
}

TControl* TForm::CancelButton() const {
    for (TControl* c : controls_) {
        if (c->IsCancel() && c->CanFocus()) return c;
    }
    return nullptr;
}

namespace {
void Guarded(const std::function<void()>& action) {
    try {
        action();
    } catch (...) {
        Application().HandleException();
    }
}
}  // namespace

void TForm::UserClose() {
    Guarded([this] { Close(); });
}

void TForm::UserFocus(TControl* control) {
    Guarded([this, control] { FocusControl(control); });
}

void TForm::UserMove(int left, int top) {
    SetBounds(left, top, width_, height_);
}

void TForm::UserPressEnter() {
    if (TControl* button = DefaultButton()) button->UserClick();
}

void TForm::UserPressEscape() {
    if (TControl* button = CancelButton()) button->UserClick();
}

void TForm::AfterConstruction() {
    Renderer& renderer = Application().GetRenderer();
    AddListener(&renderer);
    renderer.RealizeForm(*this);
    if (designVisible_) Show();
}

}  // namespace framework
