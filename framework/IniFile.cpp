#include "framework/IniFile.h"

#include "framework/EIniFileException.h"
#include "platform/Profile.h"

namespace framework {

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
    return platform::GetPrivateProfileString(section, key, defaultValue, fileName_);
}

std::int32_t TIniFile::ReadInteger(const std::string& section, const std::string& key,
                                   std::int32_t defaultValue) const {
    // An empty text and a missing key both give the default.
    std::string text = platform::GetPrivateProfileString(section, key, "", fileName_);
    return platform::ParseProfileInteger(text, defaultValue);
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
    if (!platform::WritePrivateProfileString(section, key, value, fileName_)) {
        throw EIniFileException(fileName_ + " に書き込めません");
    }
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key,
                            std::int32_t value) {
    WriteString(section, key, std::to_string(value));
}

}  // namespace framework
