#include "core/video/video_commands.h"

#include <gtest/gtest.h>

using namespace clarivex;

using Arguments = std::vector<std::string>;

TEST(VideoCommands, Encoder) {
    EXPECT_EQ(VideoCommands::encoder("30000/1001", {3840, 2160}, "/w/video.mp4"),
              (Arguments{"-v",
                         "error",
                         "-nostats",
                         "-f",
                         "image2pipe",
                         "-framerate",
                         "30000/1001",
                         "-c:v",
                         "png",
                         "-i",
                         "-",
                         "-vf",
                         "scale=3840:2160:flags=lanczos,setsar=1",
                         "-c:v",
                         "libx264",
                         "-preset",
                         "slow",
                         "-crf",
                         "18",
                         "-pix_fmt",
                         "yuv420p",
                         "-movflags",
                         "+faststart",
                         "-an",
                         "/w/video.mp4"}));
}

TEST(VideoCommands, EngineOverFolders) {
    EXPECT_EQ(VideoCommands::engine("/w/chunk-in-2", "/w/chunk-out-2", "realesr-animevideov3", 3,
                                    "/e/models"),
              (Arguments{"-i", "/w/chunk-in-2", "-o", "/w/chunk-out-2", "-n",
                         "realesr-animevideov3", "-s", "3", "-m", "/e/models", "-f", "png"}));
}

TEST(VideoCommands, SoundCopiedThenAac) {
    const Arguments common{"-v",   "error", "-y",   "-i",    "/w/video.mp4", "-i",  "/v/s.mp4",
                           "-map", "0:v",   "-map", "1:a:0", "-c:v",         "copy"};
    Arguments copy = common;
    copy.insert(copy.end(), {"-c:a", "copy", "-movflags", "+faststart", "/w/f.mp4"});
    Arguments aac = common;
    aac.insert(aac.end(), {"-c:a", "aac", "-b:a", "192k", "-movflags", "+faststart", "/w/f.mp4"});
    EXPECT_EQ(VideoCommands::soundCopy("/w/video.mp4", "/v/s.mp4", "/w/f.mp4"), copy);
    EXPECT_EQ(VideoCommands::soundAac("/w/video.mp4", "/v/s.mp4", "/w/f.mp4"), aac);
    EXPECT_EQ(copy.size(), 18u);
    EXPECT_EQ(aac.size(), 20u);
}
