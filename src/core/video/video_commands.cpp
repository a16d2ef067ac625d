#include "core/video/video_commands.h"

namespace clarivex::VideoCommands {

namespace {

std::vector<std::string> soundCommon(const std::filesystem::path& video,
                                     const std::filesystem::path& source) {
    return {"-v",   "error", "-y",   "-i",    video.string(), "-i",  source.string(),
            "-map", "0:v",   "-map", "1:a:0", "-c:v",         "copy"};
}

struct MatrixNames {
    const char* scale;
    const char* zscale;
};

// swscale's and zimg's names for a matrix.
MatrixNames namesOf(VideoColour::Matrix matrix) {
    switch (matrix) {
    case VideoColour::Matrix::bt601:
        return {"bt601", "170m"};
    case VideoColour::Matrix::fcc:
        return {"fcc", "fcc"};
    case VideoColour::Matrix::smpte240m:
        return {"smpte240m", "240m"};
    case VideoColour::Matrix::bt2020:
        return {"bt2020", "2020_ncl"};
    case VideoColour::Matrix::bt709:
        break;
    }
    return {"bt709", "709"};
}

// Exact rounding, and chroma interpolated for every pixel rather than shared by two, so that
// a flat colour comes back within a code value or two.
constexpr const char* accurate = "accurate_rnd+full_chroma_int";

} // namespace

std::string readColours(const VideoColour& colour) {
    if (!colour.hdr() && !colour.bt2020Primaries)
        return std::string("scale=in_color_matrix=") + namesOf(colour.matrix).scale +
               ":in_range=" + (colour.fullRange ? "pc" : "tv") + ":flags=" + accurate +
               ",format=rgb24";
    const std::string input = std::string("zscale=matrixin=") + namesOf(colour.matrix).zscale +
                              ":rangein=" + (colour.fullRange ? "full" : "limited") +
                              ":primariesin=" + (colour.bt2020Primaries ? "2020" : "709");
    if (!colour.hdr())
        return input + ":transferin=709:primaries=709:transfer=709,format=rgb24";
    // Tone mapping works on linear light with 1.0 at 100 nits. Mobius keeps what SDR could show
    // as it is and compresses only the highlights above it, without bleaching their colour.
    const std::string transfer =
        colour.transfer == VideoColour::Transfer::pq ? "smpte2084" : "arib-std-b67";
    return input + ":transferin=" + transfer +
           ":transfer=linear:npl=100,format=gbrpf32le,zscale=primaries=709,"
           "tonemap=tonemap=mobius:desat=0,zscale=transfer=709,format=rgb24";
}

std::string bt709Frames(Size output) {
    return "scale=" + std::to_string(output.width) + ":" + std::to_string(output.height) +
           ":flags=lanczos+" + accurate +
           ":out_color_matrix=bt709:out_range=tv,format=yuv420p,setsar=1";
}

std::vector<std::string> bt709Tags() {
    return {"-colorspace", "bt709", "-color_primaries", "bt709",
            "-color_trc",  "bt709", "-color_range",     "tv"};
}

std::vector<std::string> extraction(const std::filesystem::path& source,
                                    const std::string& frameRate, const VideoColour& colour) {
    return {"-v",
            "error",
            "-nostdin",
            "-i",
            source.string(),
            "-map",
            "0:v:0",
            "-vf",
            "fps=" + frameRate + "," + readColours(colour),
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
    auto arguments = std::vector<std::string>{"-c:v", "libx264", "-preset",  "slow",
                                              "-crf", "18",      "-pix_fmt", "yuv420p"};
    const auto tags = bt709Tags();
    arguments.insert(arguments.end(), tags.begin(), tags.end());
    arguments.insert(arguments.end(), {"-movflags", "+faststart", "-an", file.string()});
    return arguments;
}

std::vector<std::string> encoder(const std::string& frameRate, Size output,
                                 const std::filesystem::path& video) {
    auto arguments = std::vector<std::string>{
        "-v",   "error", "-nostats", "-f", "image2pipe", "-framerate",       frameRate,
        "-c:v", "png",   "-i",       "-",  "-vf",        bt709Frames(output)};
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
