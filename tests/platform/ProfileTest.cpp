#include "platform/Profile.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace platform {
namespace {

namespace fs = std::filesystem;

TEST(ProfileInteger, ReadsDecimalAndHexadecimalOrGivesTheDefault) {
    struct Case {
        const char* text;
        std::int32_t expected;
    };
    constexpr std::int32_t d = -999;
    const Case cases[] = {
        {"128", 128},
        {"  128", 128},
        {"\t7", 7},
        {"+5", 5},
        {"-7", -7},
        {"0x80", 128},
        {"0X80", 128},
        {"$80", 128},
        {"x80", 128},
        {"X80", 128},
        {"$ff", 255},
        {"0128", 128},
        {"-$10", -16},
        {"+0x10", 16},
        {"$FFFFFFFF", -1},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"", d},
        {"12a", d},
        {"0x", d},
        {"$", d},
        {" ", d},
        {"+", d},
        {"99999999999", d},
        {"2147483648", d},
        {"$100000000", d},
        {"12 ", d},
        {"1 2", d},
        {"0x8g", d},
        {"--1", d},
        {"1.5", d},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseProfileInteger(c.text, d), c.expected) << '"' << c.text << '"';
}

class ProfileFile : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/tovanek-profile-XXXXXX";
        root_ = ::mkdtemp(pattern);
        path_ = (root_ / "main.ini").string();
    }
    void TearDown() override { fs::remove_all(root_); }

    void Write(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
    std::string Read() const {
        std::ifstream in(path_, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    std::string Get(const std::string& key, const std::string& def = "<default>") const {
        return GetPrivateProfileString("MAIN", key, def, path_);
    }

    fs::path root_;
    std::string path_;
};

TEST_F(ProfileFile, MissingFileSectionOrKeyReadsTheDefault) {
    EXPECT_EQ(Get("SLEEP", "300"), "300");
    Write("[OTHER]\nSLEEP=1\n");
    EXPECT_EQ(Get("SLEEP", "300"), "300");
    Write("[MAIN]\nWAIT=1\n");
    EXPECT_EQ(Get("SLEEP", "300"), "300");
}

TEST_F(ProfileFile, ReadsTrimmedUnquotedValuesWithoutRegardToCase) {
    Write(
        "\xEF\xBB\xBF[other]\r\n"
        "SAVEDIR=/wrong\r\n"
        "  [ main ]  \r\n"
        "; SAVEDIR=/comment\r\n"
        "  savedir  =  /music/my songs  \r\n"
        "TITLE=\"  quoted  \"\r\n"
        "EMPTY=\r\n"
        "HALF=\"open\r\n"
        "EQ=a=b\r\n"
        "[MAIN2]\r\n"
        "VERSION=2\r\n");
    EXPECT_EQ(Get("SAVEDIR"), "/music/my songs");
    EXPECT_EQ(Get("TITLE"), "  quoted  ");
    EXPECT_EQ(Get("EMPTY"), "");
    EXPECT_EQ(Get("HALF"), "\"open");
    EXPECT_EQ(Get("EQ"), "a=b");
    EXPECT_EQ(Get("VERSION"), "<default>");
    EXPECT_EQ(GetPrivateProfileString("OTHER", "SAVEDIR", "", path_), "/wrong");
}

TEST_F(ProfileFile, AtMost2047BytesArriveNeverHalfACharacter) {
    const std::string ascii(3000, 'a');
    Write("[MAIN]\nA=" + ascii + "\nB=" + std::string(2046, 'b') + "\xE3\x81\x82" + "\n");
    EXPECT_EQ(Get("A"), std::string(2047, 'a'));
    // 2046 + a three-byte character would be 2049: the character does not fit at all.
    EXPECT_EQ(Get("B"), std::string(2046, 'b'));
    EXPECT_EQ(Get("C", ascii), std::string(2047, 'a'));  // the default goes through it too
}

TEST_F(ProfileFile, WritesCreateKeepPlacesAndAppendWithinTheSection) {
    ASSERT_TRUE(WritePrivateProfileString("MAIN", "FORM_LEFT", "10", path_));
    EXPECT_EQ(Read(), "[MAIN]\nFORM_LEFT=10\n");
    ASSERT_TRUE(WritePrivateProfileString("MAIN", "FORM_TOP", "-5", path_));
    EXPECT_EQ(Read(), "[MAIN]\nFORM_LEFT=10\nFORM_TOP=-5\n");

    Write(
        "; hand-written\n"
        "[Main]\n"
        "Form_Left=1\n"
        "SLEEP=300\n"
        "\n"
        "[OTHER]\n"
        "X=1\n");
    ASSERT_TRUE(WritePrivateProfileString("MAIN", "FORM_LEFT", "42", path_));
    ASSERT_TRUE(WritePrivateProfileString("MAIN", "SAVEDIR", "/music", path_));
    ASSERT_TRUE(WritePrivateProfileString("NEW", "K", "v", path_));
    EXPECT_EQ(Read(),
              "; hand-written\n"
              "[Main]\n"
              "Form_Left=42\n"
              "SLEEP=300\n"
              "SAVEDIR=/music\n"
              "\n"
              "[OTHER]\n"
              "X=1\n"
              "\n"
              "[NEW]\n"
              "K=v\n");
    EXPECT_EQ(Get("form_left"), "42");
}

TEST_F(ProfileFile, KeepsTheFilesLineBreaksAndNeverSplitsAValue) {
    Write("[MAIN]\r\nA=1\r\nB=2");
    ASSERT_TRUE(WritePrivateProfileString("MAIN", "A", "x\ny=z", path_));
    EXPECT_EQ(Read(), "[MAIN]\r\nA=x y=z\r\nB=2\r\n");
    EXPECT_EQ(Get("Y"), "<default>");
}

TEST_F(ProfileFile, AFailedWriteReportsFalseAndChangesNothing) {
    EXPECT_FALSE(WritePrivateProfileString("MAIN", "A", "1", (root_ / "no" / "main.ini").string()));
    fs::create_directory(root_ / "folder.ini");
    EXPECT_FALSE(WritePrivateProfileString("MAIN", "A", "1", (root_ / "folder.ini").string()));
    EXPECT_FALSE(WritePrivateProfileString("MAIN", "A", "1", "/proc/version"));
    EXPECT_FALSE(WritePrivateProfileString("MAIN", "A=B", "1", path_));
    EXPECT_FALSE(fs::exists(path_));
    // Nothing but the folder: no temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(root_), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace platform
