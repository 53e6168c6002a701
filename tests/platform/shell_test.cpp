// Special folders, Desktop Entry links and the document opener.

#include "platform/Shell.h"

#include <glib.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteAll(const fs::path& p, const std::string& text) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
}

// Keeps the environment variables a test changes and puts them back afterwards.
class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("shell_test_" + std::to_string(getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "home");
        for (const char* v : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "PATH"}) {
            const char* old = std::getenv(v);
            saved_.emplace_back(v, old ? std::optional<std::string>(old) : std::nullopt);
        }
        setenv("HOME", (root_ / "home").c_str(), 1);
        unsetenv("XDG_CONFIG_HOME");
        unsetenv("XDG_DATA_HOME");
    }
    void TearDown() override {
        for (auto& [name, value] : saved_) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        fs::remove_all(root_);
    }
    std::string Home() const { return (root_ / "home").string(); }

    fs::path root_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(ShellTest, SpecialFoldersFollowXdgRules) {
    using platform::SpecialFolder;
    using platform::SpecialFolderPath;
    // No user-dirs.dirs: the plain Desktop folder.
    EXPECT_EQ(SpecialFolderPath(SpecialFolder::Desktop), Home() + "/Desktop");
    EXPECT_EQ(SpecialFolderPath(SpecialFolder::SendTo), Home() + "/.local/share/Thunar/sendto");
    EXPECT_EQ(SpecialFolderPath(SpecialFolder::Applications),
              Home() + "/.local/share/applications");
    EXPECT_EQ(SpecialFolderPath(SpecialFolder::UserConfig), Home() + "/.config/tovanek");

    // A Japanese desktop named relative to $HOME, with comments and other keys around.
    WriteAll(root_ / "home/.config/user-dirs.dirs",
             "# written by xdg-user-dirs-update\n"
             "XDG_DOWNLOAD_DIR=\"$HOME/ダウンロード\"\n"
             "XDG_DESKTOP_DIR=\"$HOME/デスクトップ\"\n");
    EXPECT_EQ(SpecialFolderPath(SpecialFolder::Desktop), Home() + "/デスクトップ");

    // XDG_CONFIG_HOME moves both user-dirs.dirs and our config folder; an absolute value.
    const fs::path cfg = root_ / "cfg";
    WriteAll(cfg / "user-dirs.dirs", "XDG_DESKTOP_DIR=\"/srv/desk top/\"\n");
    setenv("XDG_CONFIG_HOME", cfg.c_str(), 1);
    setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
    EXPECT_EQ(SpecialFolderPath(SpecialFolder::Desktop), "/srv/desk top");
    EXPECT_EQ(SpecialFolderPath(SpecialFolder::UserConfig), cfg.string() + "/tovanek");
    EXPECT_EQ(SpecialFolderPath(SpecialFolder::SendTo),
              (root_ / "data").string() + "/Thunar/sendto");

    // Relative XDG values are ignored; so is a malformed desktop line.
    setenv("XDG_CONFIG_HOME", "relative/cfg", 1);
    setenv("XDG_DATA_HOME", "relative/data", 1);
    WriteAll(root_ / "home/.config/user-dirs.dirs", "XDG_DESKTOP_DIR=$HOME/NoQuotes\n");
    EXPECT_EQ(SpecialFolderPath(SpecialFolder::Desktop), Home() + "/Desktop");
    EXPECT_EQ(SpecialFolderPath(SpecialFolder::Applications),
              Home() + "/.local/share/applications");
}

// The Exec value as written, and the argument GLib's own launcher recovers from it
// (string unescaping, then shell-style splitting, then %% -> %).
struct ExecCase {
    const char* target;
    const char* exec;
};

std::vector<std::string> LaunchArgv(const std::string& execValue) {
    // Run the value through a key file exactly as a launcher reads it.
    const std::string data = "[Desktop Entry]\nExec=" + execValue + "\n";
    GKeyFile* kf = g_key_file_new();
    EXPECT_TRUE(g_key_file_load_from_data(kf, data.c_str(), data.size(), G_KEY_FILE_NONE, nullptr));
    gchar* exec = g_key_file_get_string(kf, "Desktop Entry", "Exec", nullptr);
    g_key_file_free(kf);
    std::vector<std::string> out;
    gint argc = 0;
    gchar** argv = nullptr;
    EXPECT_TRUE(g_shell_parse_argv(exec, &argc, &argv, nullptr)) << exec;
    g_free(exec);
    for (gint i = 0; i < argc; ++i) {
        std::string a = argv[i];
        std::string expanded;
        for (std::size_t j = 0; j < a.size(); ++j) {
            if (a[j] == '%' && j + 1 < a.size() && a[j + 1] == '%') {
                expanded += '%';
                ++j;
            } else {
                expanded += a[j];
            }
        }
        out.push_back(expanded);
    }
    g_strfreev(argv);
    return out;
}

TEST(DesktopExecLine, QuotesEveryReservedCharacter) {
    const ExecCase cases[] = {
        {"/opt/tovanek/tovanek", R"("/opt/tovanek/tovanek" %F)"},
        {"/home/u/My Apps/tovanek", R"("/home/u/My Apps/tovanek" %F)"},
        {"/home/u/$HOME/tovanek", R"("/home/u/\\$HOME/tovanek" %F)"},
        {"/home/u/a\"b/tovanek", R"("/home/u/a\\"b/tovanek" %F)"},
        {"/home/u/a`id`/tovanek", R"("/home/u/a\\`id\\`/tovanek" %F)"},
        {"/home/u/back\\slash/tovanek", R"("/home/u/back\\\\slash/tovanek" %F)"},
        {"/home/u/100%/tovanek", R"("/home/u/100%%/tovanek" %F)"},
        {"/home/u/音楽 ツール/tovanek", R"("/home/u/音楽 ツール/tovanek" %F)"},
        {"/home/u/#1/tovanek", R"("/home/u/#1/tovanek" %F)"},
        {"/home/u/what?/tovanek", R"("/home/u/what?/tovanek" %F)"},
        {"/home/u/a;b&c|d/tovanek", R"("/home/u/a;b&c|d/tovanek" %F)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        const std::string exec = platform::DesktopExecLine(c.target);
        EXPECT_EQ(exec, c.exec);
        const auto argv = LaunchArgv(exec);
        ASSERT_EQ(argv.size(), 2u);
        EXPECT_EQ(argv[0], c.target);
        EXPECT_EQ(argv[1], "%F");
    }
}

TEST_F(ShellTest, SavedLinkIsAValidDesktopEntry) {
    const fs::path folder = root_ / "音楽 ツール$1";
    fs::create_directories(folder);
    platform::ShellLink link;
    link.targetPath = (folder / "tovanek").string();
    link.description = "0";
    link.workingDirectory = folder.string() + "/";
    link.iconPath = (folder / "tovanek.png").string();
    const fs::path file = root_ / "Tovanek.desktop";
    ASSERT_TRUE(link.Save(file.string()));

    const std::string expected =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Version=1.0\n"
        "Name=tovanek\n"
        "Comment=0\n"
        "Exec=" +
        platform::DesktopExecLine(link.targetPath) +
        "\n"
        "Path=" +
        folder.string() +
        "/\n"
        "Icon=" +
        link.iconPath +
        "\n"
        "Terminal=false\n"
        "MimeType=audio/x-wav;audio/wav;audio/mpeg;\n"
        "Categories=AudioVideo;Audio;\n";
    EXPECT_EQ(ReadAll(file), expected);

    // A second save replaces the whole file (a longer old file leaves no tail behind).
    link.name = "Tovanek";
    ASSERT_TRUE(link.Save(file.string()));
    EXPECT_NE(ReadAll(file).find("Name=Tovanek\n"), std::string::npos);
    EXPECT_EQ(ReadAll(file).find("Name=tovanek\n"), std::string::npos);

    const std::string cmd = "desktop-file-validate '" + file.string() + "' 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    char buf[512];
    std::string out;
    while (fgets(buf, sizeof buf, p)) out += buf;
    const int rc = pclose(p);
    EXPECT_EQ(rc, 0) << out;
    EXPECT_EQ(out.find("error"), std::string::npos) << out;

    // An unwritable destination is reported.
    EXPECT_FALSE(link.Save((root_ / "no such folder" / "x.desktop").string()));
}

TEST_F(ShellTest, OpenDocumentPassesThePathAsOneArgument) {
    // A stand-in xdg-open first on PATH records its arguments, one per line.
    const fs::path bin = root_ / "bin";
    const fs::path record = root_ / "record.txt";
    WriteAll(bin / "xdg-open", "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" +
                                   record.string() + ".tmp'\nmv '" + record.string() + ".tmp' '" +
                                   record.string() + "'\n");
    fs::permissions(bin / "xdg-open", fs::perms::owner_all);
    setenv("PATH", (bin.string() + ":/usr/bin:/bin").c_str(), 1);

    const std::string doc = "/tmp/a b;$(touch x)'\"/ヘルプ.html";
    ASSERT_TRUE(platform::OpenDocument(doc));
    for (int i = 0; i < 200 && !fs::exists(record); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(ReadAll(record), doc + "\n");

    setenv("PATH", (root_ / "empty").c_str(), 1);
    EXPECT_FALSE(platform::OpenDocument(doc));
}

TEST_F(ShellTest, LauncherBecomesExecutableAndFoldersAreCreated) {
    const fs::path deep = root_ / "a" / "ｂ" / "c";
    EXPECT_TRUE(platform::CreateFolderTree(deep.string()));
    EXPECT_TRUE(fs::is_directory(deep));
    EXPECT_TRUE(platform::CreateFolderTree(deep.string()));  // already there
    WriteAll(root_ / "file", "x");
    EXPECT_FALSE(platform::CreateFolderTree((root_ / "file").string()));
    EXPECT_FALSE(platform::CreateFolderTree((root_ / "file" / "sub").string()));

    const fs::path launcher = deep / "Tovanek.desktop";
    WriteAll(launcher, "[Desktop Entry]\n");
    fs::permissions(launcher, fs::perms::owner_read | fs::perms::owner_write);
    setenv("PATH", (root_ / "empty").c_str(), 1);  // no gio: still succeeds
    EXPECT_TRUE(platform::MarkLauncherTrusted(launcher.string()));
    struct stat st {};
    ASSERT_EQ(stat(launcher.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0711u);
    EXPECT_FALSE(platform::MarkLauncherTrusted((root_ / "missing").string()));
}

}  // namespace
