#pragma once
// TButton: a push button. A click passes the button's ModalResult to its form, then
// fires OnClick. Default buttons are pressed by Enter, Cancel buttons by Esc
// (TForm::UserPressEnter/UserPressEscape). Main thread only.

#include <string>
#include <utility>

#include "framework/Control.h"

namespace framework {

class TButton : public TControl {
  public:
    TButton(TForm& form, std::string name) : TControl(form, ControlType::Button, std::move(name)) {
        SetTabStop(true);
    }

  protected:
    TButton(TForm& form, ControlType type, std::string name)
        : TControl(form, type, std::move(name)) {
        SetTabStop(true);
    }
};

}  // namespace framework
