#include "core/engine/device_cache.h"

#include "support/scoped_environment_variable.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

using namespace clarivex;
namespace fs = std::filesystem;

namespace {

EngineDevices devices(std::initializer_list<const char*> lines) {
    EngineDevices devices;
    for (const char* line : lines)
        devices.learn(line);
    return devices;
}

} // namespace

TEST(DeviceCache, FolderFollowsTheBaseDirectoryRules) {
    const fs::path home = "/home/u";
    EXPECT_EQ(DeviceCache::folder(home, std::nullopt), home / ".cache/clarivex/devices");
    EXPECT_EQ(DeviceCache::folder(home, ""), home / ".cache/clarivex/devices");
    EXPECT_EQ(DeviceCache::folder(home, "relative"), home / ".cache/clarivex/devices");
    EXPECT_EQ(DeviceCache::folder(home, "/c"), fs::path("/c/clarivex/devices"));
    EXPECT_EQ(DeviceCache::folder(std::nullopt, std::nullopt), std::nullopt);
}

// Remembered privately under the engine and driver set they belong to; anything else reads as
// nothing remembered, so that the engine is asked again.
TEST(DeviceCache, RemembersDevicesPerEngineAndDriversOnly) {
    test::TemporaryFolder folder{"clarivex-device-cache"};
    const fs::path cache = folder.path() / "cache" / "clarivex" / "devices";
    const auto engine = folder.path() / "realesrgan-ncnn-vulkan";
    test::writeExecutable(engine, "#!/bin/sh\n");
    const Tools tools{engine, folder.path() / "models"};
    const std::string key = DeviceCache::keyFor(tools);
    const auto named = devices({"[0 llvmpipe (LLVM 15.0.6, 256 bits)]  queueC=0[1]",
                                "[1 NVIDIA GeForce RTX 3060]  queueC=2[8]"});

    EXPECT_EQ(DeviceCache::recall(cache, key), std::nullopt);
    DeviceCache::remember(cache, key, {});
    EXPECT_EQ(DeviceCache::recall(cache, key), std::nullopt) << "an empty answer is remembered";
    DeviceCache::remember(cache, key, named);
    EXPECT_EQ(DeviceCache::recall(cache, key), named);
    EXPECT_EQ(fs::status(cache).permissions(), fs::perms::owner_all);
    EXPECT_EQ(fs::status(cache.parent_path()).permissions(), fs::perms::owner_all);

    {
        test::ScopedEnvironmentVariable driver("VK_ICD_FILENAMES", "/elsewhere/icd.json");
        EXPECT_NE(DeviceCache::keyFor(tools), key);
    }
    EXPECT_EQ(DeviceCache::keyFor(tools), key);
    test::writeExecutable(engine, "#!/bin/sh\n# another build\n");
    EXPECT_NE(DeviceCache::keyFor(tools), key);

    // A folder others may enter could hold anyone's answer.
    fs::permissions(cache, fs::perms::group_exec | fs::perms::others_exec, fs::perm_options::add);
    EXPECT_EQ(DeviceCache::recall(cache, key), std::nullopt);
}
