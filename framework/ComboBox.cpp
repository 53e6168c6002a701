#include "framework/ComboBox.h"

namespace framework {

void TComboBox::SetItemIndex(int index) {
    TControl::SetItemIndex(index);
    int i = ItemIndex();
    SetCaption(i >= 0 ? Items()[static_cast<std::size_t>(i)] : std::string());
}

void TComboBox::UserSelectItem(int index) {
    if (!CanFocus()) return;
    if (index < 0 || index >= static_cast<int>(Items().size())) return;
    AsUserAction([this, index] {
        SetItemIndex(index);
        Fire(OnClick);
        Fire(OnChange);
    });
}

void TComboBox::UserEditText(const std::string& text) {
    if (Style() == csDropDownList) return;  // only listed items can be chosen
    if (!CanFocus()) return;
    AsUserAction([this, &text] {
        SetCaption(text);
        Fire(OnChange);
    });
}

}  // namespace framework
