#include "framework/DriveComboBox.h"

#include "framework/DirectoryListBox.h"
#include "framework/VolumeQueries.h"
#include "platform/Files.h"
#include "platform/Volumes.h"

namespace framework {

namespace {
bool Same(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return a.empty() && b.empty();
    return platform::SameVolume(a, b);
}
}  // namespace

TDriveComboBox::TDriveComboBox(TForm& form, std::string name)
    : TComboBox(form, ControlType::DriveComboBox, std::move(name)) {
    SetStyle(csDropDownList);
    drive_ = CurrentVolumeQueries().volumeOf(platform::CurrentFolder());
    Refresh();
}

void TDriveComboBox::Refresh() {
    SetItems(CurrentVolumeQueries().listRoots());
    SelectItemOfDrive();
}

void TDriveComboBox::SelectItemOfDrive() {
    int found = -1;
    if (!drive_.empty()) {
        for (std::size_t i = 0; i < Items().size(); ++i) {
            if (platform::SameVolume(Items()[i], drive_)) {
                found = static_cast<int>(i);
                break;
            }
        }
    }
    TComboBox::SetItemIndex(found);
}

void TDriveComboBox::SetDrive(const std::string& root) {
    if (Same(root, drive_)) return;
    drive_ = root;
    SelectItemOfDrive();
    if (dirList_ && !drive_.empty()) dirList_->SetDrive(drive_);
    Fire(OnChange);
}

void TDriveComboBox::SetDirList(TDirectoryListBox* list) {
    if (dirList_ == list) return;
    if (dirList_ && dirList_->driveCombo_ == this) dirList_->driveCombo_ = nullptr;
    dirList_ = list;
    if (dirList_) dirList_->driveCombo_ = this;
}

void TDriveComboBox::UserSelectItem(int index) {
    if (!CanFocus() || index < 0 || index >= static_cast<int>(Items().size())) return;
    AsUserAction([this, index] {
        TComboBox::SetItemIndex(index);
        Fire(OnClick);
        SetDrive(Items()[static_cast<std::size_t>(index)]);
    });
}

}  // namespace framework
