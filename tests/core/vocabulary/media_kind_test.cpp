#include "core/vocabulary/media_kind.h"

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
