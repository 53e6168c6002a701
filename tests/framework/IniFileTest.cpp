// The settings file object over the profile functions.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "framework/EIniFileException.h"
#include "framework/IniFile.h"

using namespace framework;
namespace fs = std::filesystem;

namespace {

class IniFileTest : public ::testing::Test {
  protected:
    IniFileTest() {
        char pattern[] = "/tmp/tovanek-ini-XXXXXX";
        dir = mkdtemp(pattern);
        path = dir + "/main.ini";
    }
    ~IniFileTest() override { fs::remove_all(dir); }
    std::string Contents() const {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string dir, path;
};

TEST_F(IniFileTest, WritesAtOnceAndReadsBack) {
    TIniFile ini(path);
    ini.WriteInteger("MAIN", "FORM_LEFT", -5);
    ini.WriteString("MAIN", "SAVEDIR", "/音楽/out");
    EXPECT_EQ(Contents(), "[MAIN]\nFORM_LEFT=-5\nSAVEDIR=/音楽/out\n");
    EXPECT_EQ(TIniFile(path).ReadInteger("MAIN", "FORM_LEFT", 0), -5);
    EXPECT_EQ(TIniFile(path).ReadString("MAIN", "SAVEDIR", ""), "/音楽/out");
}

TEST_F(IniFileTest, UnreadableIntegersGiveTheDefault) {
    std::ofstream(path) << "[MAIN]\nEMPTY=\nWORD=abc\nHEX=0x80\n";
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadInteger("MAIN", "EMPTY", 128), 128);
    EXPECT_EQ(ini.ReadInteger("MAIN", "WORD", 128), 128);
    EXPECT_EQ(ini.ReadInteger("MAIN", "MISSING", 7), 7);
    EXPECT_EQ(ini.ReadInteger("MAIN", "HEX", 0), 128);
}

TEST_F(IniFileTest, FailedWriteRaisesWithThePath) {
    // A folder in place of the file cannot be written, whoever runs the test.
    fs::create_directory(path);
    TIniFile ini(path);
    try {
        ini.WriteInteger("MAIN", "FORM_LEFT", 1);
        FAIL() << "no exception";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(std::string(e.what()), path + " に書き込めません");
    }
}

}  // namespace
