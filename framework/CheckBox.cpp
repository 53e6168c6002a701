#include "framework/CheckBox.h"

namespace framework {

void TCheckBox::UserClick() {
    if (!CanFocus()) return;
    AsUserAction([this] { SetChecked(!Checked()); });
}

}  // namespace framework
