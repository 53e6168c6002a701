#pragma once
// TCheckBox: a two-state check box; a user click toggles it (and raises OnClick through
// SetChecked). Main thread only.

#include <string>
#include <utility>

#include "framework/Control.h"

namespace framework {

class TCheckBox : public TControl {
  public:
    TCheckBox(TForm& form, std::string name)
        : TControl(form, ControlType::CheckBox, std::move(name)) {
        SetTabStop(true);
    }
    void UserClick() override;
};

}  // namespace framework
