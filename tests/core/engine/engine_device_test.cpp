#include "core/engine/engine_device.h"

#include <gtest/gtest.h>

using namespace clarivex;

TEST(EngineDevices, ReadsTheDeviceLinesAndNothingElse) {
    struct Case {
        const char* line;
        std::optional<EngineDevice> device;
    };
    const std::vector<Case> cases{
        {"[0 NVIDIA GeForce RTX 3060]  queueC=2[8]  queueG=0[16]  queueT=1[2]",
         EngineDevice{0, "NVIDIA GeForce RTX 3060"}},
        {"[1 llvmpipe (LLVM 15.0.6, 256 bits)]  bugsbn1=0  bugbilz=0",
         EngineDevice{1, "llvmpipe (LLVM 15.0.6, 256 bits)"}},
        {"45.00%", std::nullopt},
        {"[0 ]  queueC=0[1]", std::nullopt},
        {"[x GPU]  queueC=0[1]", std::nullopt},
        {"[0 GPU] no double space", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EngineDevices::fromLine(c.line), c.device) << c.line;
}

TEST(EngineDevices, PrefersTheGraphicsCardAndNamesItOnlyWhenThereIsAChoice) {
    const auto learned = [](std::vector<std::string> lines) {
        EngineDevices devices;
        for (const auto& line : lines)
            devices.learn(line);
        return devices;
    };
    const std::string llvmpipe = "[0 llvmpipe (LLVM 15.0.6, 256 bits)]  queueC=0[1]";
    const std::string card = "[1 NVIDIA GeForce RTX 3060]  queueC=2[8]";
    const std::string swiftShader = "[1 SwiftShader Device (Subzero)]  queueC=0[1]";

    const EngineDevices both = learned({llvmpipe, llvmpipe + "  bugsbn1=0", card, card});
    ASSERT_EQ(both.all.size(), 2u);
    EXPECT_EQ(both.preferred()->name, "NVIDIA GeForce RTX 3060");
    EXPECT_EQ(both.gpuArgument(), 1);

    const EngineDevices onlySoftware = learned({llvmpipe, swiftShader});
    EXPECT_TRUE(onlySoftware.preferred()->software());
    EXPECT_TRUE(onlySoftware.all[1].software());
    EXPECT_EQ(onlySoftware.gpuArgument(), 0);

    const EngineDevices one = learned({card});
    EXPECT_FALSE(one.preferred()->software());
    EXPECT_EQ(one.gpuArgument(), std::nullopt);

    EXPECT_FALSE(learned({"0.00%"}).known());
    EXPECT_EQ(learned({}).preferred(), std::nullopt);
}
