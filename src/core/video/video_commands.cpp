#include "core/video/video_commands.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace clarivex::VideoCommands {

namespace {

std::vector<std::string> concatInput(const std::filesystem::path& segments) {
    return {"-v", "error", "-y", "-f", "concat", "-safe", "0", "-i", segments.string()};
}

void append(std::vector<std::string>& arguments, const std::vector<std::string>& more) {
    arguments.insert(arguments.end(), more.begin(), more.end());
}

std::string disposition(const VideoInfo::Track& track) {
    if (track.isDefault && track.forced)
        return "default+forced";
    if (track.isDefault || track.forced)
        return track.isDefault ? "default" : "forced";
    return "0";
}

// AAC at what stereo needs, and as much again for every further pair of channels.
std::string aacBitRate(int channels) {
    return std::to_string(std::max(1, (channels + 1) / 2) * 192) + "k";
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
                                    const std::string& frameRate, const VideoColour& colour,
                                    std::int64_t firstFrame) {
    const std::string skip =
        firstFrame > 0 ? ",trim=start_frame=" + std::to_string(firstFrame) : std::string();
    // The fps filter already gives every frame its place at the constant rate; the muxer must
    // not duplicate or drop any again by timestamps that start elsewhere than 0.
    return {"-v",
            "error",
            "-nostdin",
            "-i",
            source.string(),
            "-map",
            "0:v:0",
            "-vf",
            "fps=" + frameRate + skip + "," + readColours(colour),
            "-fps_mode",
            "passthrough",
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

std::vector<std::string> loop(const std::filesystem::path& segments, const std::string& graph,
                              const std::filesystem::path& output) {
    auto arguments = concatInput(segments);
    append(arguments, {"-filter_complex", graph});
    append(arguments, h264Output(output));
    return arguments;
}

bool mp4HoldsSound(const std::string& codec) {
    // What MP4 registers and players play; ffmpeg would also write Vorbis, FLAC or PCM into MP4,
    // which most players then refuse.
    static constexpr std::array<std::string_view, 8> held{"aac",  "mp3",  "mp2",  "ac3",
                                                          "eac3", "alac", "opus", "dts"};
    return std::find(held.begin(), held.end(), codec) != held.end();
}

std::vector<std::string> join(const std::filesystem::path& segments,
                              const std::filesystem::path& source, const VideoInfo& info,
                              const TrackChoice& choice, Carry carry,
                              const std::filesystem::path& output) {
    auto arguments = concatInput(segments);
    if (carry == Carry::nothing) {
        append(arguments, {"-map", "0:v:0", "-c:v", "copy", "-movflags", "+faststart", "-f", "mp4",
                           output.string()});
        return arguments;
    }
    // Decoder options before the input they are for, numbered as that input's subtitles.
    for (const TrackChoice::Subtitle& subtitle : choice.subtitles) {
        if (!subtitle.charset.empty())
            append(arguments,
                   {"-sub_charenc:s:" + std::to_string(subtitle.index), subtitle.charset});
    }
    append(arguments, {"-i", source.string(), "-map", "0:v:0"});
    for (const std::size_t index : choice.audio)
        append(arguments, {"-map", "1:a:" + std::to_string(index)});
    for (const TrackChoice::Subtitle& subtitle : choice.subtitles)
        append(arguments, {"-map", "1:s:" + std::to_string(subtitle.index)});
    append(arguments, {"-map_metadata", "1", "-map_chapters", "1", "-c:v", "copy"});
    if (!info.videoLanguage.empty())
        append(arguments, {"-metadata:s:v:0", "language=" + info.videoLanguage});
    if (!choice.timecode.empty())
        append(arguments, {"-metadata:s:v:0", "timecode=" + choice.timecode});
    // Output streams are numbered as written, which skips what is left out.
    for (std::size_t written = 0; written < choice.audio.size(); ++written) {
        const VideoInfo::Track& track = info.audio[choice.audio[written]];
        const std::string stream = std::to_string(written);
        if (carry == Carry::everything && mp4HoldsSound(track.codec))
            append(arguments, {"-c:a:" + stream, "copy"});
        else
            append(arguments,
                   {"-c:a:" + stream, "aac", "-b:a:" + stream, aacBitRate(track.channels)});
        append(arguments, {"-disposition:a:" + stream, written == 0 ? "default" : "0"});
    }
    if (!choice.subtitles.empty())
        append(arguments, {"-c:s", "mov_text"});
    for (std::size_t written = 0; written < choice.subtitles.size(); ++written)
        append(arguments, {"-disposition:s:" + std::to_string(written),
                           disposition(info.subtitles[choice.subtitles[written].index])});
    append(arguments, {"-movflags", "+faststart", "-f", "mp4", output.string()});
    return arguments;
}

} // namespace clarivex::VideoCommands
