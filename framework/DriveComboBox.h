#pragma once
// TDriveComboBox: the volumes of the system (CurrentVolumeQueries()) as items, one of
// them current (Drive, a volume root: "/" or "/media/usb" on Linux, "C:" on Windows).
//
// SetDrive ignores the drive it already shows (platform::SameVolume). A different one
// selects its item (none when it is not listed), passes the drive on to the linked
// TDirectoryListBox (DirList), and raises OnChange. The empty drive selects no item,
// is not passed on, and raises OnChange. A user's choice of an item sets that drive.
// Main thread only.

#include <string>

#include "framework/ComboBox.h"

namespace framework {

class TDirectoryListBox;

class TDriveComboBox : public TComboBox {
  public:
    // Lists the volumes; the current drive is the volume of the current folder.
    TDriveComboBox(TForm& form, std::string name);

    const std::string& Drive() const { return drive_; }
    void SetDrive(const std::string& root);

    TDirectoryListBox* DirList() const { return dirList_; }
    void SetDirList(TDirectoryListBox* list);

    TTextCase TextCase() const { return textCase_; }
    void SetTextCase(TTextCase textCase) { textCase_ = textCase; }

    // Lists the volumes again (a medium may have come or gone).
    void Refresh();

    void UserSelectItem(int index) override;

  private:
    void SelectItemOfDrive();

    std::string drive_;
    TDirectoryListBox* dirList_ = nullptr;
    TTextCase textCase_ = tcLowerCase;
};

}  // namespace framework
