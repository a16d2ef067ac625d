#include "core/image/image_path.h"

#include <gtest/gtest.h>

using namespace clarivex;

TEST(ImagePath, EngineLinesBecomeProgress) {
    const struct {
        const char* line;
        double fraction;
        const char* detail;
    } cases[] = {
        // The network's 0–100 % fills the band from 0.02 to 0.92.
        {"45.00%", 0.425, "45%"},
        {" 45.6 %", 0.4304, "46%"},
        {"100.00%", 0.92, "100%"},
        {"250%", 0.92, "250%"},
    };
    for (const auto& c : cases) {
        const auto progress = ImagePath::engineLineProgress(c.line);
        ASSERT_TRUE(progress) << c.line;
        EXPECT_EQ(progress->stage, UpscaleProgress::Stage::upscaling);
        EXPECT_NEAR(progress->fraction, c.fraction, 1e-12) << c.line;
        EXPECT_EQ(progress->detail, c.detail);
    }
    for (const char* other :
         {"45.00", "%", " %", "abc%", "45.00% done", "4 5%", "[0 NVIDIA]  queueC=2[8]"})
        EXPECT_FALSE(ImagePath::engineLineProgress(other)) << other;
}
