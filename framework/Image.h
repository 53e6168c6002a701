#pragma once
// TImage: shows a named picture (Picture, e.g. "MAINICON" for the program's icon). Main thread
// only.

#include <string>
#include <utility>

#include "framework/Control.h"

namespace framework {

class TImage : public TControl {
  public:
    TImage(TForm& form, std::string name) : TControl(form, ControlType::Image, std::move(name)) {}
};

}  // namespace framework
