#pragma once
// TTabSheet: one page of a TPageControl (its parent); the caption is the tab's text. Main thread
// only.

#include <string>
#include <utility>

#include "framework/Control.h"

namespace framework {

class TTabSheet : public TControl {
  public:
    TTabSheet(TForm& form, std::string name)
        : TControl(form, ControlType::TabSheet, std::move(name)) {}
};

}  // namespace framework
