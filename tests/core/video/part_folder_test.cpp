#include "core/video/part_folder.h"

#include "core/vocabulary/upscale_error.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

using namespace clarivex;

namespace {

PartManifest::Identity identity() {
    return {{"/videos/clip.mp4", 1000, 42, "00ff"}, "30/1", {{"model", "realesr-animevideov3"}}};
}

class PartFolderTest : public ::testing::Test {
protected:
    std::filesystem::path folder() const { return videos_ / ".clip-2x.parts"; }

    // Records segments of `frames` frames each, with files of as many bytes.
    static void record(PartFolder& parts, const std::vector<std::int64_t>& frames) {
        for (const std::int64_t count : frames) {
            const auto file = parts.segmentFile(parts.framesDone());
            test::writeFile(file, std::string(static_cast<std::size_t>(count), 'x'));
            parts.record({file.filename().string(), parts.framesDone(), count, count});
        }
    }

    test::TemporaryFolder videos_{"clarivex-parts"};
};

} // namespace

TEST(PartManifest, ReadsWhatItWroteAndNothingElse) {
    const PartManifest manifest{identity(), {{"segment-000000.mp4", 0, 120, 5000}}};
    EXPECT_EQ(PartManifest::fromJson(manifest.toJson()), manifest);
    const std::string text = manifest.toJson();
    for (const std::string& damaged : {std::string(), text.substr(0, text.size() / 2),
                                       std::string("{\"version\": 2}"), std::string("[]")})
        EXPECT_FALSE(PartManifest::fromJson(damaged)) << damaged;
}

TEST_F(PartFolderTest, SegmentsOfTheSameJobStayAndEverythingElseGoes) {
    {
        PartFolder parts(folder(), identity());
        record(parts, {3, 3, 3});
        // What a run killed in the middle of a segment leaves.
        test::writeFile(parts.segmentFile(9), "partial");
        test::writeFile(folder() / "manifest.json.new", "{");
    }
    {
        PartFolder parts(folder(), identity());
        EXPECT_EQ(parts.framesDone(), 9);
        EXPECT_EQ(test::namesIn(folder()),
                  (std::vector<std::string>{"lock", "manifest.json", "segment-000000.mp4",
                                            "segment-000003.mp4", "segment-000006.mp4"}));
        // Open while this run holds it: another run is refused, not let in.
        try {
            PartFolder second(folder(), identity());
            ADD_FAILURE() << "a second run was let in";
        } catch (const UpscaleError& error) {
            EXPECT_TRUE(std::string(error.what()).starts_with("Это видео с теми же настройками"));
        }
    }
    // A segment that is no longer whole ends what can be continued.
    test::writeFile(folder() / "segment-000003.mp4", "xx");
    {
        PartFolder parts(folder(), identity());
        EXPECT_EQ(parts.framesDone(), 3);
        EXPECT_EQ(test::namesIn(folder()),
                  (std::vector<std::string>{"lock", "manifest.json", "segment-000000.mp4"}));
        parts.keepFinished();
    }
}

TEST_F(PartFolderTest, IsAPrivateFolderNamedAfterThePlainResult) {
    EXPECT_EQ(PartFolder::pathFor("/videos/clip-4k.mp4"), "/videos/.clip-4k.parts");
    // The longest plain name a result gets (255 bytes less room for a number) still fits.
    const std::string longest = std::string(246, 'a') + ".mp4";
    EXPECT_LE(PartFolder::pathFor("/videos/" + longest).filename().string().size(), 255u);

    std::filesystem::create_directory_symlink(videos_.path(), folder());
    EXPECT_THROW(PartFolder(folder(), identity()), std::system_error);
    std::filesystem::remove(folder());
    PartFolder parts(folder(), identity());
    EXPECT_EQ(std::filesystem::status(folder()).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_all);
    parts.discard();
    EXPECT_FALSE(std::filesystem::exists(folder()));
}
