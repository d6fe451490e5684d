// The window's whole scale factor for a screen's DPI and work area.
#include <gtest/gtest.h>

#include "app/dpi_scale.h"

namespace vx {
namespace {

TEST(DpiScale, NearestWholeFactorWithHalvesUpThatFitsTheWorkArea) {
    EXPECT_EQ(WholeScaleFactor(96, 637, 479, 1920, 1040), 1);
    EXPECT_EQ(WholeScaleFactor(143, 637, 479, 1920, 1040), 1);
    EXPECT_EQ(WholeScaleFactor(144, 637, 479, 1920, 1040), 2);
    EXPECT_EQ(WholeScaleFactor(239, 637, 479, 3840, 2100), 2);
    EXPECT_EQ(WholeScaleFactor(240, 637, 479, 3840, 2100), 3);
    // 1274 x 958 fits exactly; one pixel less does not.
    EXPECT_EQ(WholeScaleFactor(192, 637, 479, 1274, 958), 2);
    EXPECT_EQ(WholeScaleFactor(192, 637, 479, 1273, 958), 1);
    EXPECT_EQ(WholeScaleFactor(288, 637, 479, 1280, 1024), 2);
    EXPECT_EQ(WholeScaleFactor(0, 637, 479, 1280, 1024), 1);
}

}  // namespace
}  // namespace vx
