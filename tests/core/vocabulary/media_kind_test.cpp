#include "core/vocabulary/media_kind.h"
#include "core/vocabulary/model_choice.h"
#include "core/vocabulary/target.h"

#include <gtest/gtest.h>

using namespace clarivex;

TEST(MediaKind, ClassifiesByLowerCasedLastExtension) {
    EXPECT_EQ(mediaKindOf("/a/Photo.JPG"), MediaKind::image);
    EXPECT_EQ(mediaKindOf("/a/clip.MOV"), MediaKind::video);
    EXPECT_EQ(mediaKindOf("/a/a.HeIc"), MediaKind::image);
    EXPECT_EQ(mediaKindOf("/a/movie.mp4.png"), MediaKind::image);
    EXPECT_EQ(mediaKindOf("/a/photo.png.mov"), MediaKind::video);
    EXPECT_EQ(mediaKindOf("/a/x.m2ts"), MediaKind::video);
}

TEST(MediaKind, UnknownOrMissingExtensionHasNoKind) {
    for (const char* name : {"README", "x.txt", "x.avif", "x.mpg", "/a.jpg/noext", "x.", ".jpg."})
        EXPECT_EQ(mediaKindOf(name), std::nullopt) << name;
}

TEST(MediaKind, ExtensionSetsAreDisjointAndComplete) {
    EXPECT_EQ(imageExtensions().size(), 10u);
    EXPECT_EQ(videoExtensions().size(), 9u);
    for (const auto& extension : imageExtensions())
        EXPECT_FALSE(videoExtensions().contains(extension)) << extension;
}

TEST(Vocabularies, RawValuesRoundTripAndAreCaseSensitive) {
    for (ModelChoice choice : allModelChoices)
        EXPECT_EQ(modelChoiceFromRaw(rawValue(choice)), choice);
    for (Target target : allTargets)
        EXPECT_EQ(targetFromRaw(rawValue(target)), target);
    EXPECT_EQ(rawValue(ModelChoice::automatic), "auto");
    EXPECT_EQ(modelChoiceFromRaw("Auto"), std::nullopt);
    EXPECT_EQ(targetFromRaw("fullhd"), std::nullopt);
    EXPECT_EQ(targetFromRaw("4k"), std::nullopt);
    EXPECT_EQ(mediaKindFromRaw("Image"), std::nullopt);
    EXPECT_EQ(title(Target::x2), "×2");
    EXPECT_EQ(suffix(Target::uhd4k), "-4k");
}

TEST(ModelChoice, ResolvesPerKind) {
    const ResolvedModel photo{"realesrgan-x4plus", {4}};
    const ResolvedModel videoModel{"realesr-animevideov3", {2, 3, 4}};
    EXPECT_EQ(resolved(ModelChoice::photo, MediaKind::image), photo);
    EXPECT_EQ(resolved(ModelChoice::photo, MediaKind::video), photo);
    EXPECT_EQ(resolved(ModelChoice::automatic, MediaKind::image), photo);
    EXPECT_EQ(resolved(ModelChoice::automatic, MediaKind::video), videoModel);
    EXPECT_EQ(resolved(ModelChoice::art, MediaKind::video).name, "realesrgan-x4plus-anime");
    EXPECT_EQ(resolved(ModelChoice::video, MediaKind::image), videoModel);
}
