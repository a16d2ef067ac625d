#include "core/output_placement.h"
#include "core/vocabulary/naming.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <fstream>

#include <sys/stat.h>

using namespace clarivex;

namespace {

class PlacementTest : public ::testing::Test {
protected:
    void SetUp() override { std::ofstream(finished) << "new"; }

    const test::TemporaryFolder temporary{"clarivex-placement"};
    const std::filesystem::path folder = temporary.path();
    const std::filesystem::path finished = folder / "finished.tmp";
};

} // namespace

TEST_F(PlacementTest, NeverReplacesANameTakenAfterItWasChosen) {
    std::ofstream(folder / "photo-4k.png") << "old";
    // The first choice was made before someone else wrote the file.
    int calls = 0;
    const auto placed = placeWithoutReplacing(finished, [&] {
        return ++calls == 1 ? folder / "photo-4k.png"
                            : Naming::firstFree(folder, "photo-4k", "png", Naming::existsOnDisk);
    });
    EXPECT_EQ(placed, folder / "photo-4k 2.png");
    EXPECT_EQ(test::readFile(folder / "photo-4k.png"), "old");
    EXPECT_EQ(test::readFile(placed), "new");
    EXPECT_FALSE(std::filesystem::exists(finished));
}

TEST_F(PlacementTest, FailureLeavesTheFinishedFileAndNothingElse) {
    EXPECT_THROW(placeWithoutReplacing(finished, [&] { return folder / "missing" / "x.png"; }),
                 std::system_error);
    EXPECT_EQ(test::readFile(finished), "new");
    EXPECT_FALSE(std::filesystem::exists(folder / "missing"));
}

TEST_F(PlacementTest, MovesAcrossVolumes) {
    // /dev/shm is a separate memory file system on Linux, so a rename to it crosses volumes.
    const std::filesystem::path other = "/dev/shm";
    if (!std::filesystem::is_directory(other) ||
        std::filesystem::status(other).permissions() == std::filesystem::perms::none)
        GTEST_SKIP() << "no second volume to move to";
    const auto target = other / ("clarivex-placement-" + std::to_string(::getpid()));
    std::filesystem::create_directories(target);
    std::ofstream(target / "clip.mp4") << "old";
    // Staged privately, placed with the mode a new file of the user gets.
    std::filesystem::permissions(finished, std::filesystem::perms(0600));
    const mode_t ours = ::umask(027);
    const auto placed = placeWithoutReplacing(
        finished, [&] { return Naming::firstFree(target, "clip", "mp4", Naming::existsOnDisk); });
    ::umask(ours);
    EXPECT_EQ(placed, target / "clip 2.mp4");
    EXPECT_EQ(test::readFile(placed), "new");
    EXPECT_EQ(std::filesystem::status(placed).permissions(), std::filesystem::perms(0640));
    EXPECT_EQ(test::readFile(target / "clip.mp4"), "old");
    EXPECT_FALSE(std::filesystem::exists(finished));
    // No hidden staging copy is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(target), {}), 2);
    std::filesystem::remove_all(target);
}
