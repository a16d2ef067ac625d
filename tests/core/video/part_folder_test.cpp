#include "core/video/part_folder.h"

#include "core/vocabulary/upscale_error.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

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

// Rewritten in place with its old size, its time of modification set back: still told apart.
TEST(PartManifest, SourceRewrittenInPlaceIsAnotherSource) {
    const test::TemporaryFolder folder{"clarivex-source"};
    const auto file = folder / "clip.mp4";
    test::writeFile(file, std::string(5 << 20, 'a'));
    const auto before = PartManifest::Source::of(file);
    EXPECT_EQ(PartManifest::Source::of(file), before);
    struct stat status {};
    ASSERT_EQ(::stat(file.c_str(), &status), 0);
    {
        std::fstream stream(file, std::ios::in | std::ios::out | std::ios::binary);
        stream.seekp(3 << 20);
        stream << "other frames";
    }
    const timespec times[2] = {status.st_atim, status.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    auto after = PartManifest::Source::of(file);
    EXPECT_NE(after, before);
    // The middle alone tells them apart, where change times and inodes say nothing.
    after.changed = before.changed;
    after.inode = before.inode;
    EXPECT_NE(after.fingerprint, before.fingerprint);
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
            EXPECT_EQ(error, UpscaleError::videoBusy(folder()));
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

TEST_F(PartFolderTest, IsAPrivateFolderNamedAfterThePlainResultAndTheSource) {
    const auto mp4 = PartFolder::pathFor("/videos/clip.mp4", "/videos/clip-4k.mp4");
    const auto mkv = PartFolder::pathFor("/videos/clip.mkv", "/videos/clip-4k.mp4");
    EXPECT_EQ(mp4.parent_path(), "/videos");
    EXPECT_TRUE(mp4.filename().string().starts_with(".clip-4k-")) << mp4;
    EXPECT_NE(mp4, mkv);
    // The same names in two folders meet in the user's own place: told apart there too.
    EXPECT_NE(PartFolder::pathIn("/cache", "/a/clip.mp4", "/a/clip-4k.mp4"),
              PartFolder::pathIn("/cache", "/b/clip.mp4", "/b/clip-4k.mp4"));
    // The longest plain name a result gets (255 bytes less room for a number) still fits, cut
    // on a whole character.
    const std::string longest = std::string(245, 'a') + "ж.mp4";
    for (const auto& path : {PartFolder::pathFor("/v/x.mp4", "/v/" + longest),
                             PartFolder::pathIn("/c", "/v/x.mp4", "/v/" + longest)}) {
        EXPECT_LE(path.filename().string().size(), 255u);
        EXPECT_TRUE(path.filename().string().ends_with(".parts"));
    }

    std::filesystem::create_directory_symlink(videos_.path(), folder());
    EXPECT_THROW(PartFolder(folder(), identity()), PartFolder::Unusable);
    std::filesystem::remove(folder());
    test::writeFile(folder(), "a file");
    EXPECT_THROW(PartFolder(folder(), identity()), PartFolder::Unusable);
    std::filesystem::remove(folder());
    // A folder of ours that others could enter is closed before anything goes in.
    std::filesystem::create_directory(folder());
    std::filesystem::permissions(folder(), std::filesystem::perms(0777));
    PartFolder parts(folder(), identity());
    EXPECT_EQ(std::filesystem::status(folder()).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_all);
    parts.discard();
    EXPECT_FALSE(std::filesystem::exists(folder()));
}

TEST_F(PartFolderTest, AnotherUsersFolderIsRefusedWithTheirName) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a folder to another user";
    std::filesystem::create_directory(folder());
    ASSERT_EQ(::chown(folder().c_str(), 65534, 65534), 0);
    try {
        PartFolder parts(folder(), identity());
        ADD_FAILURE() << "another user's folder was taken";
    } catch (const PartFolder::Unusable& unusable) {
        EXPECT_EQ(unusable.problem(), ProgressDetail::PartsProblem::othersFolder);
        EXPECT_EQ(unusable.place(), folder());
        EXPECT_EQ(unusable.owner(), "nobody");
    }
}

// Someone who may write into the folder beside the result renames the part folder away while a
// run works and puts a link to a folder of the user's under its name.
TEST_F(PartFolderTest, ANameSwappedMidRunNeitherRedirectsNorEmptiesAnythingElse) {
    const auto victim = videos_.path() / "photos";
    std::filesystem::create_directory(victim);
    test::writeFile(victim / "holiday.jpg", "precious");
    const auto movedAway = videos_.path() / "moved";
    for (const bool keep : {false, true}) {
        SCOPED_TRACE(keep);
        PartFolder parts(folder(), identity());
        record(parts, {3});
        std::filesystem::rename(folder(), movedAway);
        std::filesystem::create_directory_symlink(victim, folder());
        record(parts, {3});
        EXPECT_EQ(test::namesIn(victim), std::vector<std::string>{"holiday.jpg"});
        keep ? parts.keepFinished() : parts.discard();
        EXPECT_EQ(test::readFile(victim / "holiday.jpg"), "precious");
        EXPECT_EQ(test::namesIn(victim), std::vector<std::string>{"holiday.jpg"});
        std::filesystem::remove(folder());
        std::filesystem::remove_all(movedAway);
    }
}

TEST_F(PartFolderTest, AManifestThatLiesIsDiscardedWhole) {
    {
        PartFolder parts(folder(), identity());
        record(parts, {3, 3, 3});
        parts.keepFinished();
    }
    // The second segment holds other frames than its entry says.
    const auto check = [](const std::filesystem::path& file, const PartManifest::Segment&) {
        return file.filename() != "segment-000003.mp4";
    };
    PartFolder parts(folder(), identity(), check);
    EXPECT_EQ(parts.framesDone(), 0);
    EXPECT_EQ(test::namesIn(folder()), std::vector<std::string>{"lock"});
}
