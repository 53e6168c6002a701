#pragma once
// TBitBtn: a button with a glyph picked by Kind (bkOK, bkCancel, bkHelp, bkIgnore...).
// The kind picks only the glyph: caption, Default, Cancel and ModalResult are set on
// their own. Main thread only.

#include "framework/Button.h"

namespace framework {

class TBitBtn : public TButton {
  public:
    TBitBtn(TForm& form, std::string name) : TButton(form, ControlType::BitBtn, std::move(name)) {}
};

}  // namespace framework
