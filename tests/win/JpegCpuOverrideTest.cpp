// The codec's processor-class override "USECPU", read through the late-bound
// registry functions.
#include <windows.h>

#include <gtest/gtest.h>

#include "jpeg/CodecOps.h"

namespace {

const char kKey[] = "Software\\Vantrelle\\Codec\\Jpeg";

}  // namespace

TEST(JpegCpuOverride, UsecpuPicksOnlyAClassTheProcessorCanRun) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        GTEST_SKIP() << "no write access to HKEY_LOCAL_MACHINE";
    CodecOps ops{};
    bindRegistryFunctions(&ops);
    ASSERT_NE(ops.registryLibrary, nullptr);
    ASSERT_NE(ops.regOpenKey, nullptr);
    ASSERT_NE(ops.regQueryValue, nullptr);
    ASSERT_NE(ops.regCloseKey, nullptr);
    RegDeleteValueA(key, "USECPU");
    EXPECT_EQ(readCpuOverride(&ops), -1);
    for (int32_t value : {0, 3, 5, 6, 7, -2}) {
        RegSetValueExA(key, "USECPU", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
        EXPECT_EQ(readCpuOverride(&ops), value);
        CpuClass cls = selectCpuClass(&ops);
        EXPECT_EQ(cls, chooseCpuClass(gCpuInfo, value)) << value;
        if (value == 0) {
            EXPECT_EQ(cls, kCpuOther);
        }
    }
    RegDeleteValueA(key, "USECPU");
    RegCloseKey(key);
    EXPECT_EQ(selectCpuClass(&ops), cpuClassFromInfo(gCpuInfo));
    releaseLateBound(&ops);
    EXPECT_EQ(ops.registryLibrary, nullptr);
    EXPECT_EQ(ops.regOpenKey, nullptr);
}
