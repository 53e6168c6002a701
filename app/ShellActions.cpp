// TFmMain: the shortcut installer, help and the about box.
//
// Shortcuts are Desktop Entry files named ShortcutFileName. The entry is written in the
// executable's folder first, then copied into the target folder (replacing an entry of
// that name) and the temporary file deleted. When the executable's folder cannot be
// written (an installed program), the temporary entry goes to the per-user
// configuration folder instead, so that the buttons work in an install too.
#include <string>

#include "app/UDialog.h"
#include "app/UMain.h"
#include "framework/Application.h"
#include "platform/Files.h"
#include "platform/Folders.h"
#include "platform/Paths.h"
#include "platform/Shell.h"

namespace app {
namespace {

constexpr const char* kMsgShortcutFailed = "ショートカットの作成に失敗しました。";

// The entry's label: the shortcut's file name without ".desktop" (as a Windows
// shortcut shows its file name without ".lnk").
std::string EntryName(const std::string& fileName) {
    const std::string ext = ".desktop";
    if (fileName.size() > ext.size() &&
        platform::LowerAnsi(fileName.substr(fileName.size() - ext.size())) == ext) {
        return fileName.substr(0, fileName.size() - ext.size());
    }
    return fileName;
}

std::string TemporaryFolder() {
    const std::string exeFolder = platform::ExecutableFolder();
    if (platform::FolderWritable(exeFolder)) return exeFolder;
    if (auto config = platform::SpecialFolderPath(platform::SpecialFolder::UserConfig)) {
        if (platform::CreateFolderTree(*config)) return *config;
    }
    return exeFolder;  // the save fails there and says so
}

}  // namespace

void TFmMain::btn_sendtoClick(framework::TObject* Sender) {
    auto* control = dynamic_cast<framework::TControl*>(Sender);
    if (!control) return;
    if (control->Tag() == 1) {
        auto desktop = platform::SpecialFolderPath(platform::SpecialFolder::Desktop);
        if (!desktop) return;
        CreateShortcut(*desktop);
        // A launcher on the desktop must be executable (and, for GNOME, trusted) to be
        // started by a double click or a drop.
        const std::string placed = platform::JoinPath(*desktop, ShortcutFileName);
        if (platform::FileOrFolderExists(placed)) platform::MarkLauncherTrusted(placed);
    } else if (control->Tag() == 2) {
        // Thunar's Send To menu, and the "Open With" list of every file manager. Neither
        // folder exists until something is put there, so they are created.
        for (auto folder :
             {platform::SpecialFolder::SendTo, platform::SpecialFolder::Applications}) {
            auto path = platform::SpecialFolderPath(folder);
            if (!path) continue;
            platform::CreateFolderTree(*path);
            CreateShortcut(*path);
        }
    }
}

void TFmMain::CreateShortcut(const std::string& folder) {
    const std::string exeFolder = platform::ExecutableFolder();
    const std::string temporary = platform::JoinPath(TemporaryFolder(), ShortcutFileName);

    platform::ShellLink link;
    link.targetPath = platform::ExecutablePath();
    link.description = "0";
    link.workingDirectory =
        exeFolder.size() > 0 && exeFolder.back() == '/' ? exeFolder : exeFolder + "/";
    link.arguments = "";
    link.iconPath = platform::JoinPath(exeFolder, "tovanek-48.png");
    link.iconIndex = 0;
    link.showCommand = 5;  // SW_SHOW
    link.hotkey = 0;
    link.name = EntryName(ShortcutFileName);
    if (ShortcutFileName.empty() || !link.Save(temporary)) {
        framework::ShowMessage(kMsgShortcutFailed);
        return;
    }
    platform::CopyFile(temporary, platform::JoinPath(folder, ShortcutFileName), false);
    platform::DeleteFile(temporary);
}

void TFmMain::BitBtn4Click(framework::TObject*) {
    platform::OpenDocument(platform::JoinPath(platform::ExecutableFolder(), "help.html"));
}

void TFmMain::btn_verClick(framework::TObject*) {
    for (framework::TForm* form : framework::Application().Forms()) {
        if (auto* dialog = dynamic_cast<TFmDlg*>(form)) {
            dialog->ShowModal();
            return;
        }
    }
}

}  // namespace app
