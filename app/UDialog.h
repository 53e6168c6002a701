#pragma once
// The about box TFmDlg (unit UDialog): product title and version from main.ini, the
// credits of the two libraries, the author credit and the disclaimer, shown modally by
// the main window's btn_verClick. Each showing reads TITLE and VERSION afresh from the
// settings file the program uses (app::SettingsPath) and centres the box on the screen.
// When that file is the per-user one (an installed program) and lacks a key, the key is
// read from the main.ini installed beside the executable.
// Main thread only.

#include <string>

#include "framework/Button.h"
#include "framework/Form.h"
#include "framework/Image.h"
#include "framework/Label.h"
#include "framework/Layout.h"
#include "framework/Panel.h"

namespace app {

const framework::FormSpec& FmDlgLayout();

// The disclaimer, seven blanks between its two sentences.
inline constexpr const char* kDisclaimer =
    "このソフトウェアにより生じたあらゆる障害において、作者は一切責任を負いません。"
    "       ご自分の責任においてご利用下さい。";

// The credit line of the decoder library (Label1) and of the encoder library (Label2).
// `encoderVersion` is the text the encoder library reports about itself (empty when it
// is not loaded).
std::string DecoderCreditText();
std::string EncoderCreditText(const std::string& encoderVersion);

class TFmDlg : public framework::TForm {
  public:
    TFmDlg();

    framework::TPanel* Panel1 = nullptr;
    framework::TImage* ProgramIcon = nullptr;
    framework::TLabel* ProductName = nullptr;
    framework::TLabel* Version = nullptr;
    framework::TLabel* Label8 = nullptr;
    framework::TLabel* Label6 = nullptr;
    framework::TLabel* Label1 = nullptr;
    framework::TLabel* Label7 = nullptr;
    framework::TLabel* Label2 = nullptr;
    framework::TLabel* Label3 = nullptr;
    framework::TButton* OKButton = nullptr;

    void FormShow(framework::TObject* Sender);
};

}  // namespace app
