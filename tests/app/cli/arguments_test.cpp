#include "app/cli/arguments.h"

#include <gtest/gtest.h>

using namespace clarivex;
using Main::Arguments;
using Main::Mode;

TEST(Arguments, OptionsFromArguments) {
    Options expected;
    expected.target = Target::x2;
    expected.model = ModelChoice::art;
    expected.copyToPictures = false;
    EXPECT_EQ(
        Main::options({"c", "--cli", "a.jpg", "--target", "x2", "--model", "art", "--no-pictures"}),
        expected);

    const Options before = Main::options({"c", "--target", "1080p", "--loop", "--cli", "clip.mp4"});
    EXPECT_EQ(before.target, Target::fullHD);
    EXPECT_TRUE(before.seamlessLoop);

    EXPECT_EQ(Main::options({"c", "--cli", "a.jpg", "--target"}).target, Target::uhd4k);
    const Options looped = Main::options({"c", "--cli", "a.jpg", "--target", "--loop"});
    EXPECT_EQ(looped.target, Target::uhd4k);
    EXPECT_TRUE(looped.seamlessLoop);
    for (const char* text : {"fullHD", "uhd4k", "4k", "X2"})
        EXPECT_EQ(Main::options({"c", "--target", text}).target, Target::uhd4k) << text;
    EXPECT_EQ(Main::options({"c", "--model", "Photo"}).model, ModelChoice::automatic);
    EXPECT_EQ(Main::options({"c"}), Options{});
}

TEST(Arguments, ModeSelection) {
    EXPECT_EQ(Main::mode({"c", "--cli", "a.jpg", "--cli", "b.jpg"}),
              (Mode{Mode::Kind::commandLine, "a.jpg", {}}));
    EXPECT_EQ(Main::mode({"c", "--snapshot", "o.png", "--cli", "a.jpg"}).kind,
              Mode::Kind::commandLine);
    EXPECT_EQ(Main::mode({"c", "--cli"}).kind, Mode::Kind::window);
    EXPECT_EQ(Main::mode({"c", "--snapshot", "out.png", "--cli"}),
              (Mode{Mode::Kind::snapshot, "out.png", {"--cli"}}));
    EXPECT_EQ(Main::mode({"c", "--snapshot", "out"}), (Mode{Mode::Kind::snapshot, "out", {}}));
    EXPECT_EQ(Main::mode({"c", "--snapshot", "out", "a.jpg", "b.mov"}).files,
              (Arguments{"a.jpg", "b.mov"}));
    EXPECT_EQ(Main::mode({"c", "--verbose", "-h"}).kind, Mode::Kind::window);
    EXPECT_EQ(Main::mode({"c", "--snapshot"}).kind, Mode::Kind::window);
    // Files of the window that happen to be spelled like options.
    EXPECT_EQ(Main::mode({"c", "--", "--cli", "a.jpg", "--snapshot", "b"}).kind,
              Mode::Kind::window);
}
