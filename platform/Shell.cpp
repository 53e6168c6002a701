// The shell on Linux: XDG folders, Desktop Entry files as shell links, xdg-open.

#include "platform/Shell.h"

#include <fcntl.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

extern char** environ;

namespace platform {
namespace {

std::optional<std::string> HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return std::string(home);
    if (const passwd* pw = getpwuid(getuid());
        pw != nullptr && pw->pw_dir != nullptr && pw->pw_dir[0] == '/') {
        return std::string(pw->pw_dir);
    }
    return std::nullopt;
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

// An XDG base folder: the variable when it holds an absolute path (relative values are
// to be ignored), else $HOME/<fallback>.
std::optional<std::string> XdgBase(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') return WithoutTrailingSlash(value);
    auto home = HomeFolder();
    if (!home) return std::nullopt;
    return WithoutTrailingSlash(*home) + "/" + fallback;
}

// XDG_DESKTOP_DIR from user-dirs.dirs. The file is shell syntax written by
// xdg-user-dirs-update: XDG_DESKTOP_DIR="$HOME/Desktop" or an absolute path in quotes.
std::optional<std::string> DesktopFromUserDirs(const std::string& home) {
    auto config = XdgBase("XDG_CONFIG_HOME", ".config");
    if (!config) return std::nullopt;
    std::ifstream in(*config + "/user-dirs.dirs");
    std::string line;
    while (std::getline(in, line)) {
        std::size_t i = line.find_first_not_of(" \t");
        if (i == std::string::npos || line[i] == '#') continue;
        const std::string key = "XDG_DESKTOP_DIR=";
        if (line.compare(i, key.size(), key) != 0) continue;
        i += key.size();
        if (i >= line.size() || line[i] != '"') continue;
        ++i;
        std::string raw;
        bool closed = false;
        for (; i < line.size(); ++i) {
            if (line[i] == '\\' && i + 1 < line.size()) {
                raw += line[++i];
            } else if (line[i] == '"') {
                closed = true;
                break;
            } else {
                raw += line[i];
            }
        }
        if (!closed) continue;
        std::string path;
        if (raw.rfind("$HOME", 0) == 0 && (raw.size() == 5 || raw[5] == '/')) {
            path = WithoutTrailingSlash(home) + raw.substr(5);
        } else if (!raw.empty() && raw[0] == '/') {
            path = raw;
        } else {
            continue;
        }
        return WithoutTrailingSlash(path);
    }
    return std::nullopt;
}

// Escapes a value of type string: backslash, newline, tab and carriage return get their
// escape sequences, and a leading blank becomes \s so that it is not stripped.
std::string EscapeString(const std::string& value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            case ' ':
                out += (i == 0) ? "\\s" : " ";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// Starts a program found on PATH with the given arguments, no shell in between. The child
// is reaped by a detached thread so that it leaves no zombie behind; the caller does not
// wait. Returns false when the program could not be started.
bool Spawn(const std::vector<std::string>& args, bool wait) {
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The opener must not hold our terminal's input.
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return false;
    auto reap = [pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        return status;
    };
    if (wait) {
        const int status = reap();
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    std::thread([reap] { reap(); }).detach();
    return true;
}

}  // namespace

std::optional<std::string> SpecialFolderPath(SpecialFolder folder) {
    switch (folder) {
        case SpecialFolder::Desktop: {
            auto home = HomeFolder();
            if (!home) return std::nullopt;
            if (auto dir = DesktopFromUserDirs(*home)) return dir;
            return WithoutTrailingSlash(*home) + "/Desktop";
        }
        case SpecialFolder::SendTo: {
            auto data = XdgBase("XDG_DATA_HOME", ".local/share");
            if (!data) return std::nullopt;
            return *data + "/Thunar/sendto";
        }
        case SpecialFolder::Applications: {
            auto data = XdgBase("XDG_DATA_HOME", ".local/share");
            if (!data) return std::nullopt;
            return *data + "/applications";
        }
        case SpecialFolder::UserConfig: {
            auto config = XdgBase("XDG_CONFIG_HOME", ".config");
            if (!config) return std::nullopt;
            return *config + "/tovanek";
        }
    }
    return std::nullopt;
}

std::string DesktopExecLine(const std::string& target) {
    // Quoting rule of the Exec key: the argument in double quotes, with the double quote,
    // backtick, dollar and backslash each preceded by a backslash; a literal % is %%.
    std::string quoted = "\"";
    for (char c : target) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (c == '%') {
            quoted += "%%";
        } else {
            quoted += c;
        }
    }
    quoted += "\" %F";
    // The key is also a string value, whose escaping is undone before the quoting: every
    // backslash is doubled once more (a literal \ in the path becomes four).
    return EscapeString(quoted);
}

bool ShellLink::Save(const std::string& path) const {
    std::string entryName = name;
    if (entryName.empty()) {
        const auto slash = targetPath.find_last_of('/');
        entryName = slash == std::string::npos ? targetPath : targetPath.substr(slash + 1);
    }
    std::string exec = DesktopExecLine(targetPath);
    if (!arguments.empty()) {
        // Fixed arguments stand between the program and the dropped files; a literal %
        // must not be read as a field code.
        std::string args;
        for (char c : arguments) args += (c == '%') ? std::string("%%") : std::string(1, c);
        exec.insert(exec.size() - 3, " " + EscapeString(args));
    }
    std::ostringstream text;
    text << "[Desktop Entry]\n"
         << "Type=Application\n"
         << "Version=1.0\n"
         << "Name=" << EscapeString(entryName) << "\n"
         << "Comment=" << EscapeString(description) << "\n"
         << "Exec=" << exec << "\n";
    if (!workingDirectory.empty()) text << "Path=" << EscapeString(workingDirectory) << "\n";
    if (!iconPath.empty()) text << "Icon=" << EscapeString(iconPath) << "\n";
    text << "Terminal=false\n"
         << "MimeType=audio/x-wav;audio/wav;audio/mpeg;\n"
         << "Categories=AudioVideo;Audio;\n";
    const std::string content = text.str();

    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    return static_cast<bool>(out);
}

bool OpenDocument(const std::string& path) {
    return Spawn({"xdg-open", path}, false);
}

bool MarkLauncherTrusted(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return false;
    if (chmod(path.c_str(), (st.st_mode & 07777) | S_IXUSR | S_IXGRP | S_IXOTH) != 0) {
        return false;
    }
    // GNOME's file manager asks before it runs a launcher on the desktop unless the file
    // is marked trusted. Other desktops have no gio; its absence or failure is harmless.
    Spawn({"gio", "set", path, "metadata::trusted", "true"}, true);
    return true;
}

bool CreateFolderTree(const std::string& path) {
    if (path.empty()) return false;
    struct stat st {};
    if (stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    for (std::size_t pos = path.find('/', 1); pos != std::string::npos;
         pos = path.find('/', pos + 1)) {
        const std::string part = path.substr(0, pos);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) return false;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace platform
