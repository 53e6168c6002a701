#pragma once
// TLabel: a static text; Alignment says which edge stays put when the caption grows (taRightJustify
// grows to the left). Main thread only.

#include <string>
#include <utility>

#include "framework/Control.h"

namespace framework {

class TLabel : public TControl {
  public:
    TLabel(TForm& form, std::string name) : TControl(form, ControlType::Label, std::move(name)) {}
};

}  // namespace framework
