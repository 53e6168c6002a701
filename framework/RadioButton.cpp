#include "framework/RadioButton.h"

#include "framework/Form.h"

namespace framework {

void TRadioButton::SetChecked(bool checked) {
    if (checked == Checked()) return;
    StoreChecked(checked);
    SetTabStop(checked);   // Tab reaches the group through its checked button
    if (!checked) return;  // unchecking raises no click
    for (TControl* sibling : Form().ChildrenOf(Parent())) {
        if (sibling != this && sibling->Type() == ControlType::RadioButton) {
            sibling->SetChecked(false);
        }
    }
    Fire(OnClick);
}

void TRadioButton::UserClick() {
    if (!CanFocus()) return;
    AsUserAction([this] {
        if (Checked()) {
            Fire(OnClick);  // a click on the checked button still reports the click
        } else {
            SetChecked(true);
        }
    });
}

}  // namespace framework
