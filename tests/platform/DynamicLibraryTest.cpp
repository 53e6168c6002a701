#include "platform/DynamicLibrary.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(DynamicLibrary, LoadsByPlainNameLooksUpAndFrees) {
    DynamicLibrary libm = DynamicLibrary::Load("libm.so.6");
    ASSERT_TRUE(libm.IsLoaded());
    auto* cosine = reinterpret_cast<double (*)(double)>(libm.Symbol("cos"));
    ASSERT_NE(cosine, nullptr);
    EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
    EXPECT_EQ(libm.Symbol("no_such_symbol_anywhere"), nullptr);

    DynamicLibrary moved = std::move(libm);
    EXPECT_FALSE(libm.IsLoaded());
    EXPECT_EQ(libm.Symbol("cos"), nullptr);
    EXPECT_TRUE(moved.IsLoaded());
    moved.Free();
    EXPECT_FALSE(moved.IsLoaded());
    moved.Free();
}

TEST(DynamicLibrary, MissingLibrariesDoNotLoad) {
    for (const char* name : {"libno-such-library.so", "/no/such/folder/libm.so.6", "/tmp", ""}) {
        EXPECT_FALSE(DynamicLibrary::Load(name).IsLoaded()) << name;
    }
}

}  // namespace
}  // namespace platform
