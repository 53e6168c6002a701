#pragma once
// TPanel: a frame with bevels that holds other controls. Main thread only.

#include <string>
#include <utility>

#include "framework/Control.h"

namespace framework {

class TPanel : public TControl {
  public:
    TPanel(TForm& form, std::string name) : TControl(form, ControlType::Panel, std::move(name)) {}
};

}  // namespace framework
