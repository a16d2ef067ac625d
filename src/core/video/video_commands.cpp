#include "core/video/video_commands.h"

namespace clarivex::VideoCommands {

namespace {

std::vector<std::string> soundCommon(const std::filesystem::path& video,
                                     const std::filesystem::path& source) {
    return {"-v",   "error", "-y",   "-i",    video.string(), "-i",  source.string(),
            "-map", "0:v",   "-map", "1:a:0", "-c:v",         "copy"};
}

} // namespace

std::vector<std::string> extraction(const std::filesystem::path& source,
                                    const std::string& frameRate) {
    return {"-v",
            "error",
            "-nostdin",
            "-i",
            source.string(),
            "-map",
            "0:v:0",
            "-vf",
            "fps=" + frameRate,
            "-pix_fmt",
            "rgb24",
            "-c:v",
            "png",
            "-compression_level",
            "1",
            "-f",
            "image2pipe",
            "-"};
}

std::vector<std::string> h264Output(const std::filesystem::path& file) {
    return {"-c:v",     "libx264", "-preset",   "slow",       "-crf", "18",
            "-pix_fmt", "yuv420p", "-movflags", "+faststart", "-an",  file.string()};
}

std::vector<std::string> encoder(const std::string& frameRate, Size output,
                                 const std::filesystem::path& video) {
    const std::string scale = "scale=" + std::to_string(output.width) + ":" +
                              std::to_string(output.height) + ":flags=lanczos,setsar=1";
    auto arguments = std::vector<std::string>{
        "-v",   "error", "-nostats", "-f", "image2pipe", "-framerate", frameRate,
        "-c:v", "png",   "-i",       "-",  "-vf",        scale};
    const auto settings = h264Output(video);
    arguments.insert(arguments.end(), settings.begin(), settings.end());
    return arguments;
}

std::vector<std::string> loop(const std::filesystem::path& video, const std::string& graph,
                              const std::filesystem::path& output) {
    auto arguments = std::vector<std::string>{"-v",           "error",           "-y", "-i",
                                              video.string(), "-filter_complex", graph};
    const auto settings = h264Output(output);
    arguments.insert(arguments.end(), settings.begin(), settings.end());
    return arguments;
}

std::vector<std::string> soundCopy(const std::filesystem::path& video,
                                   const std::filesystem::path& source,
                                   const std::filesystem::path& output) {
    auto arguments = soundCommon(video, source);
    arguments.insert(arguments.end(), {"-c:a", "copy", "-movflags", "+faststart", output.string()});
    return arguments;
}

std::vector<std::string> soundAac(const std::filesystem::path& video,
                                  const std::filesystem::path& source,
                                  const std::filesystem::path& output) {
    auto arguments = soundCommon(video, source);
    arguments.insert(arguments.end(),
                     {"-c:a", "aac", "-b:a", "192k", "-movflags", "+faststart", output.string()});
    return arguments;
}

} // namespace clarivex::VideoCommands
