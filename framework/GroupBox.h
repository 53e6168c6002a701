#pragma once
// TGroupBox: a framed box with a caption that holds other controls. Main thread only.

#include <string>
#include <utility>

#include "framework/Control.h"

namespace framework {

class TGroupBox : public TControl {
  public:
    TGroupBox(TForm& form, std::string name)
        : TControl(form, ControlType::GroupBox, std::move(name)) {}
};

}  // namespace framework
