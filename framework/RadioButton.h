#pragma once
// TRadioButton: checking one unchecks every other radio button with the same parent and
// raises its OnClick (unchecking raises nothing). A user click checks it.
// Main thread only.

#include <string>
#include <utility>

#include "framework/Control.h"

namespace framework {

class TRadioButton : public TControl {
  public:
    TRadioButton(TForm& form, std::string name)
        : TControl(form, ControlType::RadioButton, std::move(name)) {}
    void SetChecked(bool checked) override;
    void UserClick() override;
};

}  // namespace framework
