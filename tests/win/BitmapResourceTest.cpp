// Bitmap resource 122 read from the program's own module under Windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "render/Fills.h"
#include "render/FireSheet.h"

namespace {

TEST(BitmapResource, LoadsTheFireTextureUpright) {
    setResourceInstance(GetModuleHandleA(nullptr));
    std::vector<Pixel> sheet(kFireBitmapWidth * kFireBitmapHeight);
    drawFireSheet(sheet.data());
    std::vector<Pixel> loaded(sheet.size(), 0xDEADBEEF);
    ASSERT_EQ(loadBitmapResource(loaded.data(), nullptr, kFireBitmapWidth, kFireBitmapHeight), 1);
    EXPECT_EQ(loaded, sheet);
    std::vector<Pixel> big(400 * 400, 0xDEADBEEF);   // more than the bitmap holds
    ASSERT_EQ(loadBitmapResource(big.data(), nullptr, 400, 400), 1);
    EXPECT_EQ(big[0], 0u);
    EXPECT_EQ(big[(40 + 108) * 400 + 15], sheet[108 * kFireBitmapWidth + 15]);
}

TEST(BitmapResource, MissingResourceLeavesTheBufferAlone) {
    setResourceInstance(GetModuleHandleA("kernel32.dll"));
    std::vector<Pixel> buffer(330 * 360, 0x00ABCDEF);
    EXPECT_EQ(loadBitmapResource(buffer.data(), nullptr, 330, 360), 0);
    for (Pixel p : buffer) ASSERT_EQ(p, 0x00ABCDEFu);
    setResourceInstance(GetModuleHandleA(nullptr));
}

}  // namespace
