// The shortcut installer and the help button over the headless renderer, with the
// desktop, Send To and applications folders in a temporary home.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "app/SettingsFile.h"
#include "app/UDialog.h"
#include "app/UMain.h"
#include "framework/Application.h"
#include "framework/HeadlessRenderer.h"
#include "platform/Files.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "platform/Profile.h"
#include "platform/Shell.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class ShellActionsTest : public ::testing::Test {
  protected:
    ShellActionsTest() {
        DrainQueue();
        char pattern[] = "/tmp/tovanek-shell-XXXXXX";
        root = mkdtemp(pattern);
        home = root / "home";
        fs::create_directories(home / ".config");
        for (const char* v : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "PATH"}) {
            const char* old = std::getenv(v);
            saved.emplace_back(v, old ? std::optional<std::string>(old) : std::nullopt);
        }
        setenv("HOME", home.c_str(), 1);
        unsetenv("XDG_CONFIG_HOME");
        unsetenv("XDG_DATA_HOME");
        // No gio here: marking a launcher trusted must not depend on it.
        setenv("PATH", (root / "bin").c_str(), 1);
        app::SetSettingsPathForTesting((root / "main.ini").string());
        app::ResetUnitState();
        application.SetTitle("Tovanek");
        application.SetArguments({"tovanek"});
        fm = application.CreateForm<app::TFmMain>(app::TFmMain::Options{.designTimeEncoder = true});
    }
    ~ShellActionsTest() override {
        for (auto& [name, value] : saved) {
            if (value) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
        app::SetSettingsPathForTesting(std::nullopt);
        fs::remove_all(root);
        DrainQueue();
    }
    static void DrainQueue() {
        platform::Msg msg;
        while (platform::PeekMessage(msg, true)) {
        }
    }
    fs::path Temporary() const {
        return fs::path(platform::ExecutableFolder()) / app::ShortcutFileName;
    }
    // The entry a shortcut must hold on this machine.
    static std::string ExpectedEntry() {
        const std::string folder = platform::ExecutableFolder();
        return "[Desktop Entry]\nType=Application\nVersion=1.0\nName=Tovanek\nComment=0\n"
               "Exec=" +
               platform::DesktopExecLine(platform::ExecutablePath()) + "\nPath=" + folder +
               "/\nIcon=" + folder +
               "/tovanek-48.png\nTerminal=false\nMimeType=audio/x-wav;audio/wav;audio/mpeg;\n"
               "Categories=AudioVideo;Audio;\n";
    }

    fs::path root, home;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
    framework::HeadlessRenderer renderer;
    framework::TApplication application{renderer};
    app::TFmMain* fm = nullptr;
};

TEST_F(ShellActionsTest, DesktopShortcutIsAnExecutableEntryReplacedOnTheSecondPress) {
    ASSERT_EQ(app::ShortcutFileName, "Tovanek.desktop");
    fs::create_directories(home / "Desktop");
    const fs::path placed = home / "Desktop" / "Tovanek.desktop";
    fm->btn_sendtoClick(fm->btn_sendto);
    ASSERT_TRUE(fs::exists(placed));
    EXPECT_EQ(ReadAll(placed), ExpectedEntry());
    EXPECT_FALSE(fs::exists(Temporary()));
    struct stat st {};
    ASSERT_EQ(stat(placed.c_str(), &st), 0);
    EXPECT_TRUE(st.st_mode & S_IXUSR);
    const std::string cmd = "/usr/bin/desktop-file-validate '" + placed.string() + "' 2>&1";
    EXPECT_EQ(std::system(cmd.c_str()), 0);

    // The second press overwrites whatever lies there, leaving one shortcut.
    std::ofstream(placed, std::ios::binary | std::ios::trunc) << "stale";
    std::ofstream(Temporary(), std::ios::binary) << "a file of that name beside the program";
    fm->btn_sendtoClick(fm->btn_sendto);
    EXPECT_EQ(ReadAll(placed), ExpectedEntry());
    EXPECT_FALSE(fs::exists(Temporary()));
    EXPECT_EQ(std::distance(fs::directory_iterator(home / "Desktop"), fs::directory_iterator()), 1);
    EXPECT_TRUE(renderer.Calls().empty());  // success is not announced
}

TEST_F(ShellActionsTest, SendToShortcutCreatesTheMissingFoldersAndAnOpenWithEntry) {
    fm->btn_sendtoClick(fm->BitBtn3);
    EXPECT_EQ(ReadAll(home / ".local/share/Thunar/sendto/Tovanek.desktop"), ExpectedEntry());
    EXPECT_EQ(ReadAll(home / ".local/share/applications/Tovanek.desktop"), ExpectedEntry());
    EXPECT_FALSE(fs::exists(Temporary()));
    EXPECT_FALSE(fs::exists(home / "Desktop"));
}

TEST_F(ShellActionsTest, ShortcutNameFromTheSettingsAndOtherTagsDoNothing) {
    // A hand-set SHORTCUT names both the temporary and the final file.
    app::ShortcutFileName = "音楽 変換.desktop";
    fs::create_directories(home / "Desktop");
    fm->btn_sendtoClick(fm->btn_sendto);
    const std::string entry = ReadAll(home / "Desktop" / "音楽 変換.desktop");
    EXPECT_NE(entry.find("\nName=音楽 変換\n"), std::string::npos) << entry;

    const int oldTag = fm->btn_ver->Tag();
    fm->btn_sendtoClick(fm->btn_ver);  // Tag 0
    EXPECT_EQ(oldTag, 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(home / "Desktop"), fs::directory_iterator()), 1);
}

TEST_F(ShellActionsTest, ALinkThatCannotBeWrittenIsReportedAndNothingIsCopied) {
    // The temporary link cannot be written: its name leads into a missing folder.
    app::ShortcutFileName = "no such folder/Tovanek.desktop";
    fs::create_directories(home / "Desktop");
    fm->btn_sendtoClick(fm->btn_sendto);
    ASSERT_EQ(renderer.Calls().size(), 1u);
    EXPECT_EQ(renderer.Calls()[0].kind, framework::DialogCall::Kind::ShowMessage);
    EXPECT_EQ(renderer.Calls()[0].text, "ショートカットの作成に失敗しました。");
    EXPECT_EQ(renderer.Calls()[0].caption, "Tovanek");
    EXPECT_TRUE(fs::is_empty(home / "Desktop"));
}

TEST_F(ShellActionsTest, HelpOpensThePageBesideTheProgramWhateverTheCurrentFolder) {
    // A stand-in opener first on PATH records what it is asked to open.
    const fs::path record = root / "opened.txt";
    fs::create_directories(root / "bin");
    std::ofstream(root / "bin" / "xdg-open")
        << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << record.string() << ".tmp'\nmv '"
        << record.string() << ".tmp' '" << record.string() << "'\n";
    fs::permissions(root / "bin" / "xdg-open", fs::perms::owner_all);
    setenv("PATH", ((root / "bin").string() + ":/usr/bin:/bin").c_str(), 1);
    const fs::path before = fs::current_path();
    fs::create_directories(root / "elsewhere");
    fs::current_path(root / "elsewhere");
    fm->BitBtn4Click(fm->BitBtn4);
    fs::current_path(before);
    for (int i = 0; i < 300 && !fs::exists(record); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(ReadAll(record), platform::ExecutableFolder() + "/help.html\n");
    EXPECT_TRUE(fs::exists(platform::ExecutableFolder() + "/help.html"));
}

TEST_F(ShellActionsTest, InstalledAboutBoxTakesMissingKeysFromTheShippedSettings) {
    // The per-user settings file of an installed program: TITLE and VERSION that it lacks
    // come from main.ini beside the executable; what it has wins.
    const fs::path config = home / ".config" / "tovanek";
    fs::create_directories(config);
    app::SetSettingsPathForTesting((config / "main.ini").string());
    std::ofstream(config / "main.ini") << "[MAIN]\nVERSION=9.9\n";
    const std::string shipped = platform::ExecutableFolder() + "/main.ini";
    const std::string title = platform::GetPrivateProfileString("MAIN", "TITLE", "", shipped);
    ASSERT_FALSE(title.empty());
    auto* dlg = application.CreateForm<app::TFmDlg>();
    dlg->FormShow(dlg);
    EXPECT_EQ(dlg->ProductName->Caption(), title);
    EXPECT_EQ(dlg->Version->Caption(), "Version 9.9");

    // Any other settings file is taken as it is: a missing key is empty.
    app::SetSettingsPathForTesting((root / "main.ini").string());
    dlg->FormShow(dlg);
    EXPECT_EQ(dlg->ProductName->Caption(), "");
    EXPECT_EQ(dlg->Version->Caption(), "Version ");
}

}  // namespace
