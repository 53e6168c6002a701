#include "platform/Registry.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

namespace platform {
namespace {

namespace fs = std::filesystem;

class RegistryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/tovanek-registry-XXXXXX";
        root_ = ::mkdtemp(pattern);
        const char* old = std::getenv("XDG_CONFIG_HOME");
        if (old) oldConfig_ = old;
        hadConfig_ = old != nullptr;
        ::setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
    }
    void TearDown() override {
        if (hadConfig_)
            ::setenv("XDG_CONFIG_HOME", oldConfig_.c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
        fs::remove_all(root_);
    }
    void Write(const std::string& text) {
        fs::create_directories(root_ / "tovanek");
        std::ofstream(root_ / "tovanek" / "user.reg", std::ios::binary) << text;
    }
    fs::path root_;
    std::string oldConfig_;
    bool hadConfig_ = false;
};

constexpr const char* kKey = "Software\\MarineCat\\GOGO_DLL";

TEST_F(RegistryTest, TheStoreLivesUnderTheConfigFolderReadAtEachCall) {
    EXPECT_EQ(UserRegistryFile(), (root_ / "tovanek" / "user.reg").string());
    ::setenv("XDG_CONFIG_HOME", "/elsewhere", 1);
    EXPECT_EQ(UserRegistryFile(), "/elsewhere/tovanek/user.reg");
}

TEST_F(RegistryTest, ReadsStringsExpandStringsAndRefusesOtherTypes) {
    Write(
        "Windows Registry Editor Version 5.00\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Other]\r\n"
        "\"INSTPATH\"=\"/wrong\"\r\n"
        "\r\n"
        "[hkey_current_user\\software\\marinecat\\gogo_dll]\r\n"
        "\"INSTPATH\"=\"C:\\\\Program Files\\\\gogo \\\"q\\\".dll\"\r\n"
        "\"EXPANDED\"=hex(2):2f,00,6f,00,70,00,74,00,2f,00,e8,88,\\\r\n"
        "  00,00\r\n"
        "\"COUNT\"=dword:00000010\r\n"
        "\"BLOB\"=hex:01,02\r\n"
        "@=\"default\"\r\n");
    auto key = RegistryKey::OpenCurrentUser(kKey);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->ReadString("INSTPATH"), "C:\\Program Files\\gogo \"q\".dll");
    EXPECT_EQ(key->ReadString("instpath"), key->ReadString("INSTPATH"));
    EXPECT_EQ(key->ReadString("EXPANDED"), "/opt/\xE8\xA3\xA8");  // U+88E8 in UTF-8
    EXPECT_EQ(key->Value("EXPANDED")->type, RegValueType::ExpandString);
    EXPECT_EQ(key->ReadString(""), "default");
    auto count = key->Value("COUNT");
    ASSERT_TRUE(count);
    EXPECT_EQ(count->type, RegValueType::DWord);
    EXPECT_EQ(count->dword, 16u);
    EXPECT_THROW(key->ReadString("COUNT"), RegistryError);
    EXPECT_THROW(key->ReadString("BLOB"), RegistryError);
    EXPECT_FALSE(key->Value("MISSING"));
    EXPECT_EQ(key->ReadString("MISSING"), "");
}

TEST_F(RegistryTest, MissingStoreKeyOrRootOpensNothing) {
    EXPECT_FALSE(RegistryKey::OpenCurrentUser(kKey));  // no file at all
    Write(
        "[HKEY_LOCAL_MACHINE\\Software\\MarineCat\\GOGO_DLL]\n"
        "\"INSTPATH\"=\"/machine\"\n"
        "[HKEY_CURRENT_USER\\Software\\MarineCat\\GOGO_DLL\\Sub]\n"
        "\"X\"=\"y\"\n");
    // Only a parent implied by a subkey: the key opens, with no values of its own.
    auto key = RegistryKey::OpenCurrentUser(kKey);
    ASSERT_TRUE(key);
    EXPECT_FALSE(key->Value("INSTPATH"));
    EXPECT_FALSE(RegistryKey::OpenCurrentUser("Software\\MarineCat\\GOGO"));
    EXPECT_FALSE(RegistryKey::OpenCurrentUser("Software\\Nobody"));
}

}  // namespace
}  // namespace platform
