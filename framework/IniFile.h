#pragma once
// TIniFile: a settings file in INI format over the profile functions
// (platform/Profile.h). Nothing is cached: every read and write goes to the file.
// Main thread only (one object per operation).

#include <cstdint>
#include <string>

namespace framework {

class TIniFile {
  public:
    explicit TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}

    const std::string& FileName() const { return fileName_; }

    // The value, or the default when the file, section or key is missing.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    // The value read as an integer (platform::ParseProfileInteger), or the default.
    std::int32_t ReadInteger(const std::string& section, const std::string& key,
                             std::int32_t defaultValue) const;

    // Writes at once. Raises EIniFileException("<path> に書き込めません") when the file
    // cannot be written.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    // The value as decimal text, "-" before a negative one.
    void WriteInteger(const std::string& section, const std::string& key, std::int32_t value);

  private:
    std::string fileName_;
};

}  // namespace framework
