#pragma once
// TPageControl: shows one of its TTabSheet children (ActivePage). Main thread only.

#include <vector>

#include "framework/Control.h"

namespace framework {

class TPageControl : public TControl {
  public:
    TPageControl(TForm& form, std::string name)
        : TControl(form, ControlType::PageControl, std::move(name)) {
        SetTabStop(true);
    }
    // The TabSheet children in creation order.
    std::vector<TControl*> Pages() const;
    void UserSelectPage(TControl* page) override;
};

}  // namespace framework
