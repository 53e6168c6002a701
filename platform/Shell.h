#pragma once
// The shell: special folders, shell links and opening a document.
// Main thread (any thread is safe: nothing here keeps state between calls).

#include <optional>
#include <string>

namespace platform {

enum class SpecialFolder {
    Desktop,       // CSIDL_DESKTOPDIRECTORY: XDG_DESKTOP_DIR of user-dirs.dirs
    SendTo,        // CSIDL_SENDTO: Thunar's sendto folder (~/.local/share/Thunar/sendto)
    Applications,  // ~/.local/share/applications (the "Open With" entries)
    UserConfig,    // ${XDG_CONFIG_HOME:-~/.config}/tovanek
};

// The file-system path of a special folder, without a trailing separator; nullopt when
// the host cannot name it. The folder is not created.
std::optional<std::string> SpecialFolderPath(SpecialFolder folder);

// The values of a shell link (IShellLink). On Linux Save writes a Desktop Entry file
// (Type=Application, Exec="<target>" %F quoted per the Desktop Entry rules, so dropped
// files arrive as arguments; Path=workingDirectory; Comment=description;
// Icon=iconPath; Terminal=false; MimeType=audio/x-wav;audio/wav;audio/mpeg;).
struct ShellLink {
    std::string targetPath;
    std::string description;
    std::string workingDirectory;
    std::string arguments;
    std::string iconPath;
    int iconIndex = 0;
    int showCommand = 5;  // SW_SHOW
    int hotkey = 0;
    std::string name;  // the entry's Name=; the target's file name when empty

    // Writes the link file at `path`. False when it cannot be written.
    bool Save(const std::string& path) const;
};

// The Exec= value for the target, quoted per the Desktop Entry rules, with " %F".
std::string DesktopExecLine(const std::string& target);

// Opens a document with the desktop's default handler (xdg-open), the path passed as
// one argument, no shell. Does not wait. False when the handler could not be started.
bool OpenDocument(const std::string& path);

// Makes a written launcher startable from the desktop: the owner, group and others get
// execute permission, and where GNOME's `gio` is present the file is marked trusted
// (metadata::trusted), so the file manager runs it instead of asking. The marking is
// best effort; false only when the permission could not be set.
bool MarkLauncherTrusted(const std::string& path);

// Creates a folder and every missing parent (mkdir -p), mode 0755. True when the folder
// exists afterwards.
bool CreateFolderTree(const std::string& path);

}  // namespace platform
