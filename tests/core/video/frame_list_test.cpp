#include "core/video/frame_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>

using namespace clarivex;

TEST(FrameList, OrdersByNumberPastSixDigits) {
    std::vector<std::string> names{"1000000.png", "999999.png", "000002.png",  "1000001.png",
                                   "000001.png",  "000010.png", "10000000.png"};
    std::shuffle(names.begin(), names.end(), std::mt19937(7));
    std::sort(names.begin(), names.end(), frameComesBefore);
    EXPECT_EQ(names,
              (std::vector<std::string>{"000001.png", "000002.png", "000010.png", "999999.png",
                                        "1000000.png", "1000001.png", "10000000.png"}));
}

TEST(FrameList, NumberedNamesComeFirstAndTiesStayStrict) {
    EXPECT_TRUE(frameComesBefore("999.png", "a.png"));
    EXPECT_FALSE(frameComesBefore("a.png", "999.png"));
    EXPECT_TRUE(frameComesBefore("a.png", "b.png"));
    // The same number written with more zeros is still a different file; order stays strict.
    EXPECT_NE(frameComesBefore("01.png", "1.png"), frameComesBefore("1.png", "01.png"));
    EXPECT_FALSE(frameComesBefore("1.png", "1.png"));
}

TEST(FrameList, ListsOnlyPngFilesOfAFolder) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("clarivex-frames-" + std::to_string(std::random_device()()));
    std::filesystem::create_directories(folder);
    for (const char* name : {"000002.png", "000001.png", "1000000.png", "notes.txt", "x.PNG"})
        std::ofstream(folder / name) << "x";
    EXPECT_EQ(listFrames(folder),
              (std::vector<std::string>{"000001.png", "000002.png", "1000000.png"}));
    std::filesystem::remove_all(folder);
    EXPECT_THROW(listFrames(folder), std::filesystem::filesystem_error);
}
