#include "app/UDialog.h"

namespace app {

// The window only; its controls and FormShow are filled in with the about box.
TFmDlg::TFmDlg() : TForm("FmDlg") {
    SetCaption("バージョン情報");
    SetBorderStyle(framework::bsSingle);
    SetBorderIcons(framework::biSystemMenu);
    SetBounds(195, 522, 569 + kFrameWidth, 223 + kFrameHeight);
    SetDesignVisible(false);
    OnShow = [this](framework::TObject* sender) { FormShow(sender); };
}

void TFmDlg::FormShow(framework::TObject*) {}

}  // namespace app
