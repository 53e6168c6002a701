#pragma once
// The read-only per-user registry. On Linux it is a text file in the .reg syntax of
// regedit ("Windows Registry Editor Version 5.00"), kept at
// ${XDG_CONFIG_HOME:-~/.config}/tovanek/user.reg, that holds HKEY_CURRENT_USER keys:
//
//   [HKEY_CURRENT_USER\Software\MarineCat\GOGO_DLL]
//   "INSTPATH"="/opt/gogo/libgogo.so"                 string (REG_SZ)
//   "OTHER"=hex(2):2f,00,00,00                        expand-string (UTF-16LE bytes)
//   "COUNT"=dword:00000010                            dword
//
// Backslashes and quotes inside a quoted string are escaped with a backslash.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace platform {

enum class RegValueType { String, ExpandString, DWord, Other };

struct RegValue {
    RegValueType type = RegValueType::String;
    std::string text;         // String and ExpandString, as stored (never expanded)
    std::uint32_t dword = 0;  // DWord
};

// The error of a read that finds a value of another type than asked.
class RegistryError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A snapshot of one key, taken when it is opened. Any thread; the store is read afresh by
// every OpenCurrentUser.
class RegistryKey {
  public:
    // Opens HKEY_CURRENT_USER\<path> without creating it; nullopt when absent.
    static std::optional<RegistryKey> OpenCurrentUser(const std::string& path);

    // nullopt when the value is absent.
    std::optional<RegValue> Value(const std::string& name) const;
    // A string or expand-string value as stored; "" when absent; RegistryError for any
    // other type.
    std::string ReadString(const std::string& name) const;

  private:
    std::string path_;
    std::vector<std::pair<std::string, RegValue>> values_;  // as read when opened
};

// Where the store lives (for tests and messages).
std::string UserRegistryFile();

}  // namespace platform
