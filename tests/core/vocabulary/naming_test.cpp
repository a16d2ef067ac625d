#include "core/vocabulary/naming.h"
#include "core/vocabulary/upscale_error.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

using namespace clarivex;

namespace {

Naming::ExistsTest takenPaths(std::set<std::string> paths) {
    return [paths = std::move(paths)](const std::filesystem::path& p) {
        return paths.contains(p.string());
    };
}

const Naming::ExistsTest nothingExists = [](const std::filesystem::path&) { return false; };

} // namespace

TEST(Naming, OutputNameFromKindTargetAndLoop) {
    struct Case {
        const char* source;
        Target target;
        MediaKind kind;
        bool loop;
        const char* expected;
    };
    const std::vector<Case> cases{
        {"/a/Photo.JPG", Target::uhd4k, MediaKind::image, false, "/a/Photo-4k.jpg"},
        {"/a/scan.tiff", Target::x2, MediaKind::image, false, "/a/scan-2x.png"},
        {"/a/pic.HEIC", Target::fullHD, MediaKind::image, false, "/a/pic-1080p.jpg"},
        {"/a/x.webp", Target::x4, MediaKind::image, false, "/a/x-4x.png"},
        {"/a/clip.mov", Target::uhd4k, MediaKind::video, true, "/a/clip-4k-loop.mp4"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Naming::output(c.source, c.target, c.kind, c.loop, nothingExists), c.expected)
            << c.source;
}

TEST(Naming, NumbersAfterTakenNames) {
    EXPECT_EQ(Naming::output("/a/clip.mov", Target::uhd4k, MediaKind::video, true,
                             takenPaths({"/a/clip-4k-loop.mp4", "/a/clip-4k-loop 2.mp4"})),
              "/a/clip-4k-loop 3.mp4");
    // Numbering starts only once the plain name is taken.
    EXPECT_EQ(Naming::output("/a/photo.png", Target::uhd4k, MediaKind::image, false,
                             takenPaths({"/a/photo-4k 2.png"})),
              "/a/photo-4k.png");
    EXPECT_EQ(Naming::output("/a/v 2.png", Target::uhd4k, MediaKind::image, false,
                             takenPaths({"/a/v 2-4k.png"})),
              "/a/v 2-4k 2.png");
    // A source named like an earlier output gets a name of its own.
    EXPECT_EQ(Naming::output("/a/photo-4k.png", Target::uhd4k, MediaKind::image, false,
                             takenPaths({"/a/photo-4k.png"})),
              "/a/photo-4k-4k.png");
}

TEST(Naming, CopyNumberingKeepsTheExtension) {
    EXPECT_EQ(Naming::firstFree("/p", std::filesystem::path("photo-4x.jpg"),
                                takenPaths({"/p/photo-4x.jpg"})),
              "/p/photo-4x 2.jpg");
    EXPECT_EQ(Naming::firstFree("/p", std::filesystem::path("a.b.png"), nothingExists),
              "/p/a.b.png");
}

TEST(Naming, LongStemsAreCutOnAWholeCharacterAndTheSearchEnds) {
    const std::string cyrillic = [] {
        std::string text;
        for (int index = 0; index < 130; ++index)
            text += "я";
        return text;
    }();
    // The stem gives way; suffix, room for a number and extension stay: 255 - 5 - 7 bytes.
    const auto ascii = Naming::output("/a/" + std::string(300, 'a') + ".png", Target::x2,
                                      MediaKind::image, false, nothingExists);
    EXPECT_EQ(ascii.filename().string(), std::string(243, 'a') + "-2x.png");
    // Two bytes a letter: cut before the letter that would be split.
    const auto letters = Naming::output("/a/b" + cyrillic + ".mov", Target::uhd4k, MediaKind::video,
                                        true, nothingExists);
    EXPECT_EQ(letters.filename().string(), "b" + cyrillic.substr(0, 236) + "-4k-loop.mp4");
    // A copy keeps its name while it fits and shortens only the numbered ones.
    const std::string full(251, 'c');
    EXPECT_EQ(Naming::firstFree("/p", std::filesystem::path(full + ".jpg"),
                                takenPaths({"/p/" + full + ".jpg"})),
              "/p/" + full.substr(0, 249) + " 2.jpg");
    // Where every name is taken, the search gives up instead of counting for ever.
    EXPECT_THROW(Naming::firstFree("/p", "x", "png", [](const auto&) { return true; }),
                 UpscaleError);
    // A name that cannot exist is not a taken one.
    EXPECT_FALSE(Naming::existsOnDisk(std::filesystem::temp_directory_path() / (full + full)));
}

TEST(Naming, ExistsOnDiskSeesFilesFoldersAndDanglingLinks) {
    const test::TemporaryFolder folder;
    std::filesystem::create_directories(folder / "sub");
    std::ofstream(folder / "file").put('x');
    std::filesystem::create_symlink(folder / "missing", folder / "dangling");
    EXPECT_TRUE(Naming::existsOnDisk(folder / "file"));
    EXPECT_TRUE(Naming::existsOnDisk(folder / "sub"));
    EXPECT_TRUE(Naming::existsOnDisk(folder / "dangling"));
    EXPECT_FALSE(Naming::existsOnDisk(folder / "nothing"));
    EXPECT_FALSE(Naming::existsOnDisk(folder / "file" / "below"));
}
