// TFmMain: the save-folder controls (radio buttons, drive combo, folder list, folder text).
#include "app/UMain.h"
#include "framework/Application.h"
#include "framework/Exception.h"
#include "platform/Volumes.h"

namespace app {

void TFmMain::rdo_onajiClick(framework::TObject*) {
    if (rdo_onaji->Checked()) {
        drive_cmb->SetEnabled(false);
        dir_lst->SetEnabled(false);
        edt_dir->SetEnabled(false);
    } else if (rdo_sitei->Checked()) {
        drive_cmb->SetEnabled(true);
        dir_lst->SetEnabled(true);
        edt_dir->SetEnabled(true);
    }
}

void TFmMain::dir_lstChange(framework::TObject* Sender) {
    edt_dir->SetText(dir_lst->Directory());
    drive_cmb->SetDrive(dir_lst->Drive());
    auto* control = dynamic_cast<framework::TControl*>(Sender);
    if (FormShownFlag == 1 && control && control->Tag() == 1) dir_lst->SetFocus();
    try {
        CheckDriveReady(drive_cmb->Drive());
        LastGoodDrive_ = drive_cmb->Drive();
    } catch (...) {
        // Back to the last volume that passed; that runs this handler again for it. A
        // check that fails during the restore, or before any has passed, restores
        // nothing more, so the window stays usable instead of going round in circles.
        if (!restoringDrive_ && !LastGoodDrive_.empty()) {
            restoringDrive_ = true;
            try {
                drive_cmb->SetDrive(LastGoodDrive_);
            } catch (...) {
                restoringDrive_ = false;
                throw;
            }
            restoringDrive_ = false;
        }
        framework::ShowMessage(kMsgNoMedia);
    }
}

void TFmMain::drive_cmbExit(framework::TObject*) {
    drive_cmb->SetDirList(dir_lst);
}

std::int64_t TFmMain::CheckDriveReady(const std::string& drive) {
    std::int64_t size = -1;
    {
        platform::ScopedErrorMode mode(platform::SEM_FAILCRITICALERRORS);
        size = drive.empty() ? -1 : VolumeSizeQuery(drive);
    }
    if (size == -1) throw framework::Exception("Drive not ready");
    return size;
}

}  // namespace app
