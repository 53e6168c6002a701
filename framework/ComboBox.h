#pragma once
// TComboBox: a list of items with one selected (ItemIndex, -1 for none). With the style
// csDropDownList only listed items can be chosen and the text is the selected item's.
// Setting ItemIndex from the program raises no event; a user's choice raises OnClick,
// then OnChange. Main thread only.

#include <string>
#include <utility>

#include "framework/Control.h"

namespace framework {

class TComboBox : public TControl {
  public:
    TComboBox(TForm& form, std::string name)
        : TControl(form, ControlType::ComboBox, std::move(name)) {
        SetTabStop(true);
    }
    void SetItemIndex(int index) override;  // also sets Text to the item (or "")
    void UserSelectItem(int index) override;
    void UserEditText(const std::string& text) override;  // refused for csDropDownList

  protected:
    TComboBox(TForm& form, ControlType type, std::string name)
        : TControl(form, type, std::move(name)) {
        SetTabStop(true);
    }
};

}  // namespace framework
