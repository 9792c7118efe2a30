// The start-up check's thresholds.
#include <gtest/gtest.h>

#include "authoring/SystemCheck.h"

TEST(SystemCheck, Thresholds) {
    EXPECT_EQ(memoryUnits(64u * 1024000u + 1023999u), 64u);
    EXPECT_EQ(memoryUnits(128ull << 30), 134217u);   // 128 GB: no overflow to a tiny amount
    EXPECT_TRUE(adviseSystem(64, true, 800, 1024).memory);
    EXPECT_FALSE(adviseSystem(65, true, 800, 1024).memory);
    EXPECT_FALSE(adviseSystem(65, true, 400, 1024).cpuSlow);
    EXPECT_TRUE(adviseSystem(65, true, 399, 1024).cpuSlow);
    const SystemAdvice unknown = adviseSystem(65, false, 0, 1024);
    EXPECT_TRUE(unknown.cpuUnknown);
    EXPECT_FALSE(unknown.cpuSlow);
    EXPECT_FALSE(adviseSystem(65, true, 400, 800).askResolution);
    EXPECT_TRUE(adviseSystem(65, true, 400, 640).askResolution);
}
