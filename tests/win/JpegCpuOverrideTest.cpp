// The codec's processor-class override "USECPU", read through the late-bound
// registry functions.
#include <windows.h>

#include <gtest/gtest.h>

#include "jpeg/CodecOps.h"
#include "tests/jpeg/JpegTestUtil.h"
#include "tests/jpeg/JpegWriteUtil.h"

using namespace jpeg_test;

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

// Every class the processor can run, picked by "USECPU", decodes and encodes
// whole pictures to the same bytes as the plain forms.
TEST(JpegCpuOverride, WholePicturesAlikeUnderEveryClass) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        GTEST_SKIP() << "no write access to HKEY_LOCAL_MACHINE";
    auto setClass = [&](int32_t value) {
        RegSetValueExA(key, "USECPU", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    };
    const char* files[] = {"base444.jpg", "base422.jpg", "base420.jpg", "grey.jpg",
                           "prog420.jpg", "restart420.jpg", "adobe_rgb.jpg", "adobe_cmyk.jpg"};
    for (const char* file : files) {
        const Bytes jpeg = fixture(file);
        setClass(0);
        const Decoded plain = decodeMemory(jpeg);
        for (int cls : {3, 4, 5, 6}) {
            setClass(cls);
            const Decoded d = decodeMemory(jpeg);
            EXPECT_EQ(d.imageResult, plain.imageResult) << file << " class " << cls;
            EXPECT_TRUE(d.pixels == plain.pixels) << file << " class " << cls;
        }
    }
    for (const WriteSpec& written : kSpecs) {
        const Image img = sourceFor(written, 37, 21);
        setClass(0);
        const Written plain = write(written, img);
        for (int cls : {3, 4, 5, 6}) {
            setClass(cls);
            const Written w = write(written, img);
            EXPECT_EQ(w.result, plain.result) << written.name << " class " << cls;
            EXPECT_TRUE(w.data == plain.data) << written.name << " class " << cls;
        }
    }
    RegDeleteValueA(key, "USECPU");
    RegCloseKey(key);
}
