// The libgogo loader: search by plain name and by INSTPATH, the nine required entry
// points, and the reference count. The stand-in libraries are only ever opened by the
// loader, so whether one is still mapped tells whether the loader freed it.

#include "binding/Gogodefs.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Registry.h"

namespace fs = std::filesystem;

namespace {

const std::string kFakeName = "libfakegogo.so";
const std::string kNoVersionName = "libfakegogo_nover.so";

bool Mapped(const std::string& name) {
    void* h = ::dlopen(name.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (h == nullptr) return false;
    ::dlclose(h);
    return true;
}

std::string BinDir() {
    return fs::read_symlink("/proc/self/exe").parent_path().string();
}

class GogodefsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        config_ = fs::temp_directory_path() /
                  ("tovanek-binding-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(config_ / "tovanek");
        ::setenv("XDG_CONFIG_HOME", config_.c_str(), 1);
        binding::ShutdownGogoDefs();
        binding::GogoDLLRefCount = 0;
        binding::GogoDLLName = kFakeName;
        ASSERT_FALSE(Mapped(kFakeName));
    }
    void TearDown() override {
        binding::ShutdownGogoDefs();
        binding::GogoDLLRefCount = 0;
        fs::remove_all(config_);
    }
    void WriteRegistry(const std::string& valueLine) {
        std::ofstream out(config_ / "tovanek" / "user.reg");
        out << "Windows Registry Editor Version 5.00\n\n"
               "[HKEY_CURRENT_USER\\Software\\MarineCat\\GOGO_DLL]\n"
            << valueLine << "\n";
    }
    static std::string Quoted(const std::string& path) {
        std::string out = "\"INSTPATH\"=\"";
        for (char c : path) {
            if (c == '\\' || c == '"') out += '\\';
            out += c;
        }
        return out + "\"";
    }

    fs::path config_;
};

TEST_F(GogodefsTest, PlainNameBindsAllNineWithoutReadingTheRegistry) {
    WriteRegistry("\"INSTPATH\"=dword:00000001");  // would raise if it were read
    ASSERT_TRUE(binding::InitGogoDefs());
    EXPECT_EQ(binding::GogoDLLRefCount, 1);
    EXPECT_EQ(binding::GogoDLLPath, "");
    EXPECT_TRUE(binding::GogoDLLHandle.IsLoaded());
    EXPECT_TRUE(Mapped(kFakeName));
    EXPECT_NE(binding::MPGE_initializeWork, nullptr);
    EXPECT_NE(binding::MPGE_setConfigure, nullptr);
    EXPECT_NE(binding::MPGE_getConfigure, nullptr);
    EXPECT_NE(binding::MPGE_detectConfigure, nullptr);
    EXPECT_NE(binding::MPGE_processFrame, nullptr);
    EXPECT_NE(binding::MPGE_closeCoder, nullptr);
    EXPECT_NE(binding::MPGE_endCoder, nullptr);
    EXPECT_NE(binding::MPGE_getUnitStates, nullptr);
    EXPECT_NE(binding::MPGE_getVersion, nullptr);
    uint32_t units = 0;
    EXPECT_EQ(binding::MPGE_getUnitStates(&units), 0);
}

TEST_F(GogodefsTest, InstPathNamesTheLibraryFile) {
    binding::GogoDLLName = "libtovanek-not-on-the-search-path.so";
    struct Case {
        const char* name;
        std::string registry;  // "" writes no store at all
        bool bound;
        std::string path;
    };
    const std::string file = BinDir() + "/" + kFakeName;
    const Case cases[] = {
        {"full file name", Quoted(file), true, file},
        {"expand-string as stored", "", true, file},  // filled below
        {"a folder does not load", Quoted(BinDir()), false, ""},
        {"value missing", "\"OTHER\"=\"x\"", false, ""},
        {"empty value", Quoted(""), false, ""},
        {"no store", "", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(config_ / "tovanek" / "user.reg");
        if (std::string(c.name) == "expand-string as stored") {
            // hex(2): UTF-16LE bytes with the terminating NUL.
            std::string hex = "\"INSTPATH\"=hex(2):";
            for (char ch : file) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "%02x,00,", static_cast<unsigned char>(ch));
                hex += buf;
            }
            WriteRegistry(hex + "00,00");
        } else if (!c.registry.empty()) {
            WriteRegistry(c.registry);
        }
        EXPECT_EQ(binding::InitGogoDefs(), c.bound);
        EXPECT_EQ(binding::GogoDLLPath, c.path);
        EXPECT_EQ(binding::GogoDLLRefCount, c.bound ? 1 : 0);
        EXPECT_EQ(binding::GogoDLLHandle.IsLoaded(), c.bound);
        if (c.bound) binding::DeallocateGogoDLL();
        EXPECT_FALSE(Mapped(kFakeName));
    }
}

TEST_F(GogodefsTest, NonStringInstPathRaisesAndChangesNothing) {
    binding::GogoDLLName = "libtovanek-not-on-the-search-path.so";
    WriteRegistry("\"INSTPATH\"=dword:00000010");
    binding::GogoDLLRefCount = -2;
    EXPECT_THROW(binding::InitGogoDefs(), platform::RegistryError);
    EXPECT_EQ(binding::GogoDLLRefCount, -2);
    EXPECT_EQ(binding::GogoDLLPath, "");
    EXPECT_FALSE(binding::GogoDLLHandle.IsLoaded());
}

TEST_F(GogodefsTest, LibraryLackingOneEntryPointIsFreedAgain) {
    binding::GogoDLLName = kNoVersionName;
    binding::GogoDLLRefCount = -1;
    EXPECT_FALSE(binding::InitGogoDefs());
    EXPECT_EQ(binding::GogoDLLRefCount, 0);
    EXPECT_FALSE(binding::GogoDLLHandle.IsLoaded());
    EXPECT_EQ(binding::GogoDLLPath, "");
    EXPECT_FALSE(Mapped(kNoVersionName));
}

TEST_F(GogodefsTest, ReferenceCount) {
    struct Step {
        const char* action;  // "init", "release", "shutdown"
        std::int32_t count;
        bool loaded;
    };
    const Step steps[] = {
        {"init", 1, true},      {"init", 2, true},      {"release", 1, true},
        {"release", 0, false},  {"release", -1, false}, {"init", 1, true},
        {"release", 0, false},  {"init", 1, true},      {"init", 2, true},
        {"shutdown", 0, false},
    };
    for (const Step& s : steps) {
        const std::string action = s.action;
        SCOPED_TRACE(action + " -> " + std::to_string(s.count));
        if (action == "init") {
            EXPECT_TRUE(binding::InitGogoDefs());
        } else if (action == "release") {
            binding::DeallocateGogoDLL();
        } else {
            binding::ShutdownGogoDefs();
        }
        EXPECT_EQ(binding::GogoDLLRefCount, s.count);
        EXPECT_EQ(binding::GogoDLLHandle.IsLoaded(), s.loaded);
        EXPECT_EQ(Mapped(kFakeName), s.loaded);
    }
    // A release leaves the entry points as they were.
    EXPECT_NE(binding::MPGE_processFrame, nullptr);
}

}  // namespace
