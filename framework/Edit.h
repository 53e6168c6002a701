#pragma once
// TEdit: a one-line text; OnChange fires whenever the text changes, by program or by the user. Main
// thread only.

#include <string>
#include <utility>

#include "framework/Control.h"

namespace framework {

class TEdit : public TControl {
  public:
    TEdit(TForm& form, std::string name) : TControl(form, ControlType::Edit, std::move(name)) {
        SetTabStop(true);
    }
};

}  // namespace framework
