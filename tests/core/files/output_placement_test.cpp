#include "core/files/output_placement.h"
#include "core/vocabulary/naming.h"
#include "core/vocabulary/upscale_error.h"
#include "support/temporary_folder.h"
#include "support/upscale_failure.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace clarivex;

namespace {

class PlacementTest : public ::testing::Test {
protected:
    std::filesystem::path placeFinished(const OpenFolder& destination,
                                        const NameChooser& chooseName) {
        const FileDescriptor file(::openat(source.descriptor(), "finished.tmp", O_RDONLY));
        return placeWithoutReplacing({source, "finished.tmp", file.get()}, destination, chooseName);
    }

    std::filesystem::path firstFree(const std::filesystem::path& in, const std::string& stem,
                                    const std::string& extension) const {
        return Naming::firstFree(in, stem, extension, Naming::existsOnDisk);
    }

    const test::TemporaryFolder temporary{"clarivex-placement"};
    const std::filesystem::path folder = temporary.path();
    const OpenFolder source = [this] {
        test::writeFile(folder / "finished.tmp", "new");
        return OpenFolder::open(folder);
    }();
};

} // namespace

TEST_F(PlacementTest, NeverReplacesANameTakenAfterItWasChosen) {
    test::writeFile(folder / "photo-4k.png", "old");
    // The first choice was made before someone else wrote the file.
    int calls = 0;
    const auto placed = placeFinished(source, [&] {
        return ++calls == 1 ? folder / "photo-4k.png" : firstFree(folder, "photo-4k", "png");
    });
    EXPECT_EQ(placed, folder / "photo-4k 2.png");
    EXPECT_EQ(test::readFile(folder / "photo-4k.png"), "old");
    EXPECT_EQ(test::readFile(placed), "new");
    EXPECT_FALSE(std::filesystem::exists(folder / "finished.tmp"));
}

TEST_F(PlacementTest, FailureLeavesTheFinishedFileAndNothingElse) {
    const UpscaleError failure = test::errorOf(
        [&] { placeFinished(source, [&] { return folder / std::string(300, 'x'); }); });
    EXPECT_EQ(failure.kind(), UpscaleError::Case::operationFailed);
    EXPECT_EQ(failure.operation(), UpscaleError::Operation::save);
    EXPECT_EQ(test::readFile(folder / "finished.tmp"), "new");
    EXPECT_EQ(test::namesIn(folder), std::vector<std::string>{"finished.tmp"});
}

TEST_F(PlacementTest, MovesAcrossVolumesByACopyIntoAFreshName) {
    // /dev/shm is a separate memory file system on Linux, so a rename to it crosses volumes.
    const std::filesystem::path other = "/dev/shm";
    if (!std::filesystem::is_directory(other) || ::access(other.c_str(), W_OK) != 0)
        GTEST_SKIP() << "no second volume to move to";
    const test::TemporaryFolder target{other / "clarivex-placement"};
    test::writeFile(target.path() / "clip.mp4", "old");
    // Staged privately, placed with the mode a new file of the user gets.
    std::filesystem::permissions(folder / "finished.tmp", std::filesystem::perms(0600));
    const mode_t ours = ::umask(027);
    const auto placed = placeFinished(OpenFolder::open(target.path()),
                                      [&] { return firstFree(target.path(), "clip", "mp4"); });
    ::umask(ours);
    EXPECT_EQ(placed, target.path() / "clip 2.mp4");
    EXPECT_EQ(test::readFile(placed), "new");
    EXPECT_EQ(std::filesystem::status(placed).permissions(), std::filesystem::perms(0640));
    EXPECT_EQ(test::readFile(target.path() / "clip.mp4"), "old");
    EXPECT_FALSE(std::filesystem::exists(folder / "finished.tmp"));
    EXPECT_EQ(test::namesIn(target.path()), (std::vector<std::string>{"clip 2.mp4", "clip.mp4"}));
}

// The staged name is swapped for a link to a file of the user's between its making and its
// writing: the write and the mode change go to the staged file, never through the link.
TEST_F(PlacementTest, StagedFileIsWrittenThroughItsOwnDescriptor) {
    const auto victim = folder / "diary.txt";
    test::writeFile(victim, "private");
    std::filesystem::permissions(victim, std::filesystem::perms(0600));
    const OpenFolder destination = OpenFolder::open(folder);
    std::filesystem::path placed;
    {
        StagedFile staged(destination, "png", "photo-4k.png");
        std::filesystem::path stagedName;
        for (const auto& name : test::namesIn(folder))
            if (name.starts_with(".clarivex-"))
                stagedName = folder / name;
        ASSERT_FALSE(stagedName.empty());
        EXPECT_EQ(std::filesystem::status(stagedName).permissions(), std::filesystem::perms(0600));
        std::filesystem::rename(stagedName, folder / "moved-away");
        std::filesystem::create_symlink(victim, stagedName);
        ASSERT_EQ(::write(staged.descriptor(), "png", 3), 3);
        // What now has the staged name is the link, not our file: it is not placed.
        EXPECT_THROW(staged.place([&] { return folder / "photo-4k.png"; }), UpscaleError);
        std::filesystem::remove(folder / "moved-away");
    }
    EXPECT_EQ(test::readFile(victim), "private");
    EXPECT_EQ(std::filesystem::status(victim).permissions(), std::filesystem::perms(0600));
    EXPECT_FALSE(std::filesystem::exists(folder / "photo-4k.png"));
}

TEST_F(PlacementTest, StagedFileGoesUnlessPlaced) {
    const OpenFolder destination = OpenFolder::open(folder);
    { StagedFile abandoned(destination, "png", "photo-4k.png"); }
    EXPECT_EQ(test::namesIn(folder), std::vector<std::string>{"finished.tmp"});
    StagedFile staged(destination, "png", "photo-4k.png");
    ASSERT_EQ(::write(staged.descriptor(), "png", 3), 3);
    EXPECT_EQ(staged.place([&] { return folder / "photo-4k.png"; }), folder / "photo-4k.png");
    EXPECT_EQ(test::namesIn(folder), (std::vector<std::string>{"finished.tmp", "photo-4k.png"}));
    EXPECT_EQ(test::readFile(folder / "photo-4k.png"), "png");
}
