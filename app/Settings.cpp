// TFmMain: the settings file (main.ini, section MAIN).
#include "app/SettingsFile.h"
#include "app/UMain.h"
#include "framework/Application.h"
#include "framework/IniFile.h"

namespace app {

void TFmMain::LoadSettings() {
    {
        framework::TIniFile ini(SettingsPath());
        framework::TSize screen = framework::Application().ScreenSize();
        SetLeft(ini.ReadInteger(kSection, "FORM_LEFT", screen.Width / 2 - Width() / 2));
        SetTop(ini.ReadInteger(kSection, "FORM_TOP", screen.Height / 2 - Height() / 2));
        SleepSetting = ini.ReadInteger(kSection, "SLEEP", 300);
        WaitSetting = ini.ReadInteger(kSection, "WAIT", 300);
        ShortcutFileName = ini.ReadString(kSection, "SHORTCUT", kDefaultShortcutName);
        edt_dir->SetText(ini.ReadString(kSection, "SAVEDIR", ""));
        if (ini.ReadInteger(kSection, "ONAJI", 0) == 1) {
            rdo_onaji->SetChecked(true);
        } else {
            rdo_sitei->SetChecked(true);
        }
        chk_moto_del->SetChecked(ini.ReadInteger(kSection, "MOTODEL", 0) == 1);
        BitRateSetting = ini.ReadInteger(kSection, "BITRATE", 128);
        const std::string rate = std::to_string(BitRateSetting);
        const auto& rates = cmb_bitrate->Items();
        for (std::size_t i = 0; i < rates.size(); ++i) {
            if (rates[i] == rate) {
                cmb_bitrate->SetItemIndex(static_cast<int>(i));
                break;
            }
        }
        EncodeTypeSetting = ini.ReadInteger(kSection, "ENCODETYPE", 2);
        cmb_enctype->SetItemIndex(EncodeTypeSetting);
    }
    // A folder that cannot be entered raises here and ends the loading.
    dir_lst->SetDirectory(edt_dir->Text());
    drive_cmb->SetDrive(dir_lst->Drive());
}

void TFmMain::SaveSettings() {
    framework::TIniFile ini(SettingsPathForWriting());
    ini.WriteInteger(kSection, "FORM_LEFT", Left());
    ini.WriteInteger(kSection, "FORM_TOP", Top());
    ini.WriteString(kSection, "SAVEDIR", edt_dir->Text());
    ini.WriteInteger(kSection, "ONAJI", rdo_onaji->Checked() ? 1 : 0);
    ini.WriteInteger(kSection, "MOTODEL", chk_moto_del->Checked() ? 1 : 0);
    int rate = cmb_bitrate->ItemIndex();
    ini.WriteString(kSection, "BITRATE",
                    rate >= 0 ? cmb_bitrate->Items()[static_cast<std::size_t>(rate)] : "");
    ini.WriteInteger(kSection, "ENCODETYPE", cmb_enctype->ItemIndex());
}

void TFmMain::SavePosition() {
    framework::TIniFile ini(SettingsPathForWriting());
    ini.WriteInteger(kSection, "FORM_LEFT", Left());
    ini.WriteInteger(kSection, "FORM_TOP", Top());
}

void TFmMain::FormClose(framework::TObject*, framework::TCloseAction&) {
    SavePosition();
    // A running batch stops after its current file; the lists go once it has ended.
    if (BatchRunning()) stopRequested_ = true;
    ReleaseFileLists();
}

void TFmMain::BitBtn1Click(framework::TObject*) {
    SaveSettings();
    framework::Application().Terminate();
}

void TFmMain::BitBtn2Click(framework::TObject*) {
    SavePosition();
    ReleaseFileLists();
    framework::Application().Terminate();
}

}  // namespace app
