#pragma once
// The about box TFmDlg (unit UDialog): product title and version from main.ini, the
// credits and the disclaimer, shown modally by the main window's btn_verClick.
// Main thread only.

#include "framework/Form.h"

namespace app {

class TFmDlg : public framework::TForm {
  public:
    TFmDlg();
    void FormShow(framework::TObject* Sender);
};

}  // namespace app
