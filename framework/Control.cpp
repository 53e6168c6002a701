#include "framework/Control.h"

#include <algorithm>

#include "framework/Application.h"
#include "framework/Form.h"

namespace framework {

TControl::TControl(TForm& form, ControlType type, std::string name)
    : form_(form), type_(type), name_(std::move(name)) {}

TControl::~TControl() = default;

void TControl::Changed(Property property) {
    form_.ControlChanged(*this, property);
}

void TControl::AsUserAction(const std::function<void()>& action) {
    try {
        action();
    } catch (...) {
        Application().HandleException();
    }
}

void TControl::SetParent(TControl* parent) {
    if (parent_ == parent) return;
    parent_ = parent;
    Changed(Property::Parent);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Changed(Property::Bounds);
}

void TControl::SetCaption(const std::string& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    Changed(Property::Caption);
    if (type_ == ControlType::Edit) Fire(OnChange);
}

void TControl::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    Changed(Property::Visible);
}

bool TControl::ShowingInForm() const {
    for (const TControl* c = this; c; c = c->parent_) {
        if (!c->visible_) return false;
    }
    return true;
}

void TControl::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Changed(Property::Enabled);
}

bool TControl::EnabledInForm() const {
    for (const TControl* c = this; c; c = c->parent_) {
        if (!c->enabled_) return false;
    }
    return true;
}

void TControl::SetTag(int tag) {
    if (tag == tag_) return;
    tag_ = tag;
    Changed(Property::Tag);
}

void TControl::SetTabOrder(int order) {
    if (order == tabOrder_) return;
    tabOrder_ = order;
    Changed(Property::TabOrder);
}

void TControl::SetTabStop(bool tabStop) {
    if (tabStop == tabStop_) return;
    tabStop_ = tabStop;
    Changed(Property::TabStop);
}

void TControl::SetFont(const TFont& font) {
    font_ = font;
    parentFont_ = false;
    Changed(Property::Font);
}

void TControl::SetParentFont(bool parentFont) {
    if (parentFont == parentFont_) return;
    parentFont_ = parentFont;
    Changed(Property::Font);
}

const TFont& TControl::EffectiveFont() const {
    if (!parentFont_) return font_;
    return parent_ ? parent_->EffectiveFont() : form_.Font();
}

void TControl::SetColor(TColor color) {
    color_ = color;
    parentColor_ = false;
    Changed(Property::Color);
}

void TControl::SetAlignment(TAlignment alignment) {
    if (alignment == alignment_) return;
    alignment_ = alignment;
    Changed(Property::Alignment);
}

void TControl::SetAutoSize(bool autoSize) {
    if (autoSize == autoSize_) return;
    autoSize_ = autoSize;
    Changed(Property::Style);
}

void TControl::SetWordWrap(bool wordWrap) {
    if (wordWrap == wordWrap_) return;
    wordWrap_ = wordWrap;
    Changed(Property::Style);
}

void TControl::StoreChecked(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    Changed(Property::Checked);
}

void TControl::SetChecked(bool checked) {
    if (checked == checked_) return;
    StoreChecked(checked);
    Fire(OnClick);
}

void TControl::SetItems(std::vector<std::string> items) {
    items_ = std::move(items);
    if (itemIndex_ >= static_cast<int>(items_.size())) itemIndex_ = -1;
    Changed(Property::Items);
}

void TControl::SetItemIndex(int index) {
    if (index < 0 || index >= static_cast<int>(items_.size())) index = -1;
    if (index == itemIndex_) return;
    itemIndex_ = index;
    Changed(Property::ItemIndex);
}

void TControl::SetItemHeight(int height) {
    if (height == itemHeight_) return;
    itemHeight_ = height;
    Changed(Property::Style);
}

void TControl::SetStyle(TComboBoxStyle style) {
    if (style == style_) return;
    style_ = style;
    Changed(Property::Style);
}

void TControl::SetPosition(int position) {
    position = std::clamp(position, min_, std::max(min_, max_));
    if (position == position_) return;
    position_ = position;
    Changed(Property::Position);
}

void TControl::SetRange(int min, int max) {
    min_ = min;
    max_ = std::max(min, max);
    Changed(Property::Range);
    SetPosition(position_);
}

void TControl::SetKind(TBitBtnKind kind) {
    if (kind == kind_) return;
    kind_ = kind;
    Changed(Property::Kind);
}

void TControl::SetDefault(bool isDefault) {
    if (isDefault == default_) return;
    default_ = isDefault;
    Changed(Property::Default);
}

void TControl::SetCancel(bool isCancel) {
    if (isCancel == cancel_) return;
    cancel_ = isCancel;
    Changed(Property::Default);
}

void TControl::SetModalResult(TModalResult result) {
    if (result == modalResult_) return;
    modalResult_ = result;
    Changed(Property::Default);
}

void TControl::SetActivePage(TControl* page) {
    if (page == activePage_) return;
    activePage_ = page;
    Changed(Property::ActivePage);
}

void TControl::SetBevels(TBevelCut inner, TBevelCut outer) {
    bevelInner_ = inner;
    bevelOuter_ = outer;
    Changed(Property::Style);
}

void TControl::SetPicture(const std::string& picture) {
    picture_ = picture;
    Changed(Property::Style);
}

void TControl::SetStretch(bool stretch) {
    stretch_ = stretch;
    Changed(Property::Style);
}

void TControl::Click() {
    if (modalResult_ != mrNone) form_.SetModalResult(modalResult_);
    Fire(OnClick);
}

bool TControl::SetFocus() {
    return form_.FocusControl(this);
}

bool TControl::Focused() const {
    return form_.ActiveControl() == this;
}

bool TControl::CanFocus() const {
    return ShowingInForm() && EnabledInForm();
}

void TControl::UserClick() {
    if (!CanFocus()) return;
    AsUserAction([this] { Click(); });
}

void TControl::UserSetChecked(bool checked) {
    if (!CanFocus()) return;
    AsUserAction([this, checked] { SetChecked(checked); });
}

void TControl::UserSelectItem(int index) {
    if (!CanFocus()) return;
    AsUserAction([this, index] {
        SetItemIndex(index);
        Fire(OnChange);
    });
}

void TControl::UserEditText(const std::string& text) {
    if (!CanFocus()) return;
    AsUserAction([this, &text] { SetCaption(text); });
}

void TControl::UserChooseFolder(const std::string&) {}

void TControl::UserSelectPage(TControl*) {}

}  // namespace framework
