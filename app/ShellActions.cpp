// TFmMain: shortcuts, help and the about box.
//
// MINIMAL STUBS: the shortcut installer, the help button and the about box are not
// written yet; the handlers do nothing.
#include "app/UMain.h"

namespace app {

void TFmMain::btn_sendtoClick(framework::TObject*) {}

void TFmMain::CreateShortcut(const std::string&) {}

void TFmMain::BitBtn4Click(framework::TObject*) {}

void TFmMain::btn_verClick(framework::TObject*) {}

}  // namespace app
