#pragma once
// TDirectoryListBox: the folder tree of its current folder as items, and that folder
// (Directory). Items are the chain from the root down to the current folder (the root
// as "/" on Linux, "C:\" on Windows; then one element name each), followed by the
// current folder's subfolders in name order. ItemIndex is the current folder's item.
//
// Setting Directory to a folder that cannot be entered raises EInOutError and changes
// nothing; an empty text, or the folder it already shows, does nothing; any other
// change rebuilds the items and raises OnChange. Drive (the volume root of the folder)
// can be set by a drive combo: a different volume moves to the folder the list last
// showed on that volume (its root the first time) when it can be entered, and silently
// stays otherwise. The process's current folder is never touched.
// Main thread only.

#include <functional>
#include <map>
#include <string>

#include "framework/Control.h"

namespace framework {

class TDriveComboBox;

class TDirectoryListBox : public TControl {
  public:
    TDirectoryListBox(TForm& form, std::string name);

    const std::string& Directory() const { return directory_; }
    void SetDirectory(const std::string& directory);

    // The volume root of Directory (CurrentVolumeQueries().volumeOf).
    std::string Drive() const;
    void SetDrive(const std::string& root);

    // The full path an item stands for, and its depth in the tree (0 for the root).
    std::string ItemPath(int index) const;
    int ItemLevel(int index) const;
    // How many leading items are the chain down to the current folder.
    int ChainLength() const { return chainLength_; }

    // A user's choice of an item, or of any folder, moves there (EInOutError and
    // OnChange as for SetDirectory; the error goes to the standard error box).
    void UserSelectItem(int index) override;
    void UserChooseFolder(const std::string& path) override;

    // The drive combo that feeds this list, if any (set by TDriveComboBox::SetDirList).
    TDriveComboBox* DriveCombo() const { return driveCombo_; }

  private:
    friend class TDriveComboBox;
    void BuildList();

    std::string directory_;
    std::map<std::string, std::string> lastFolderOfVolume_;
    int chainLength_ = 0;
    TDriveComboBox* driveCombo_ = nullptr;
};

}  // namespace framework
