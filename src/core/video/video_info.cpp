#include "core/video/video_info.h"

#include "core/process/shell.h"
#include "core/vocabulary/upscale_error.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>

namespace clarivex {

namespace {

using Json = nlohmann::json;

UpscaleError noVideoTrack() {
    return UpscaleError::unsupported("в файле нет видеодорожки");
}

// Whole text only, independent of the C locale (ffprobe always writes a decimal point).
std::optional<double> parseDouble(std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

std::optional<std::int64_t> parseInteger(std::string_view text) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

std::optional<std::string> textField(const Json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_string())
        return std::nullopt;
    return found->get<std::string>();
}

std::optional<std::int64_t> integerField(const Json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_number_integer())
        return std::nullopt;
    if (found->is_number_unsigned()) {
        const auto value = found->get<std::uint64_t>();
        if (value > static_cast<std::uint64_t>(INT64_MAX))
            return std::nullopt;
        return static_cast<std::int64_t>(value);
    }
    return found->get<std::int64_t>();
}

bool flagOf(const Json& stream, const char* group, const char* key) {
    const auto found = stream.find(group);
    return found != stream.end() && found->is_object() &&
           integerField(*found, key).value_or(0) != 0;
}

std::string tagOf(const Json& object, const char* key) {
    const auto tags = object.find("tags");
    if (tags == object.end() || !tags->is_object())
        return {};
    return textField(*tags, key).value_or("");
}

std::string languageOf(const Json& stream) {
    return tagOf(stream, "language");
}

VideoInfo::Track trackOf(const Json& stream) {
    return {textField(stream, "codec_name").value_or(""),
            static_cast<int>(
                std::clamp<std::int64_t>(integerField(stream, "channels").value_or(0), 0, 64)),
            languageOf(stream), flagOf(stream, "disposition", "default"),
            flagOf(stream, "disposition", "forced")};
}

bool hasCodecType(const Json& stream, std::string_view type) {
    return stream.is_object() && textField(stream, "codec_type") == type;
}

bool isFont(const Json& stream) {
    const std::string codec = textField(stream, "codec_name").value_or("");
    return codec == "ttf" || codec == "otf" ||
           tagOf(stream, "mimetype").find("font") != std::string::npos;
}

// A QuickTime time code track shows as a data stream; it and the video stream carry the tag.
void learnExtras(const Json& top, const Json& streams, VideoInfo& info) {
    for (const Json& stream : streams) {
        const std::string timecode = tagOf(stream, "timecode");
        if (info.timecode.empty())
            info.timecode = timecode;
        if (hasCodecType(stream, "attachment"))
            ++(isFont(stream) ? info.fonts : info.otherAttachments);
        else if (hasCodecType(stream, "data") && timecode.empty())
            ++info.dataStreams;
    }
    const auto format = top.find("format");
    if (info.timecode.empty() && format != top.end() && format->is_object())
        info.timecode = tagOf(*format, "timecode");
}

std::optional<std::int64_t> firstRotation(const Json& stream) {
    const auto sideData = stream.find("side_data_list");
    if (sideData == stream.end() || !sideData->is_array())
        return std::nullopt;
    for (const Json& entry : *sideData) {
        if (!entry.is_object())
            continue;
        if (auto rotation = integerField(entry, "rotation"))
            return rotation;
    }
    return std::nullopt;
}

double durationSeconds(const Json& stream, const Json& top) {
    if (auto text = textField(stream, "duration")) {
        if (auto seconds = parseDouble(*text))
            return *seconds;
    }
    const auto format = top.find("format");
    if (format != top.end() && format->is_object()) {
        if (auto text = textField(*format, "duration")) {
            if (auto seconds = parseDouble(*text))
                return *seconds;
        }
    }
    return 0;
}

// A malformed rate can make the product infinite or enormous; an estimate of 0 only costs
// progress accuracy, whereas converting such a value would be undefined.
std::int64_t estimateFrames(double rate, double seconds) {
    const double product = std::round(rate * seconds);
    constexpr double limit = 9.2e18;
    if (!std::isfinite(product) || std::fabs(product) >= limit)
        return 0;
    return static_cast<std::int64_t>(product);
}

bool usableRate(const std::optional<std::string>& text) {
    if (!text)
        return false;
    const double value = VideoInfo::rate(*text);
    return std::isfinite(value) && value > 0;
}

// Frames are extracted at the rate the encoder is given. A variable-rate stream's r_frame_rate
// is the finest rate its timestamps need, which can be the container's clock (1000/1 in WebM):
// that would multiply the frames many times over, so the average rate stands in for a rate
// above any camera's that is far above the average. Without a usable rate, 30 per second.
std::string chooseFrameRate(const std::optional<std::string>& real,
                            const std::optional<std::string>& average) {
    constexpr double fastestCamera = 240;
    if (usableRate(real)) {
        const double value = VideoInfo::rate(*real);
        const bool clockRate =
            value > fastestCamera && usableRate(average) && value > 2 * VideoInfo::rate(*average);
        return clockRate ? *average : *real;
    }
    return usableRate(average) ? *average : "30/1";
}

} // namespace

std::vector<std::string> VideoInfo::probeArguments(const std::filesystem::path& source) {
    return {"-v",
            "error",
            "-show_entries",
            "stream=codec_type,codec_name,channels,width,height,r_frame_rate,avg_frame_rate,"
            "nb_frames,duration,pix_fmt,color_range,color_space,color_transfer,color_primaries:"
            "stream_tags=language,timecode,mimetype:stream_disposition=default,forced:"
            "stream_side_data=rotation:format=duration:format_tags=timecode",
            "-of",
            "json",
            source.string()};
}

bool VideoInfo::Track::isTextSubtitle() const {
    static constexpr std::array<std::string_view, 12> text{
        "subrip", "srt",  "ass",  "ssa",      "mov_text", "webvtt",
        "text",   "sami", "mpl2", "microdvd", "realtext", "subviewer"};
    return std::find(text.begin(), text.end(), codec) != text.end();
}

double VideoInfo::rate(std::string_view frameRate) {
    std::vector<double> pieces;
    std::size_t start = 0;
    while (start <= frameRate.size()) {
        const std::size_t slash = std::min(frameRate.find('/', start), frameRate.size());
        const std::string_view piece = frameRate.substr(start, slash - start);
        if (auto value = parseDouble(piece))
            pieces.push_back(*value);
        start = slash + 1;
    }
    if (pieces.empty())
        return 30;
    if (pieces.size() == 2)
        return pieces[1] > 0 ? pieces[0] / pieces[1] : pieces[0];
    return pieces[0];
}

VideoInfo VideoInfo::read(std::string_view json) {
    // The parser's own message is English and about offsets; the user hears what failed.
    const Json top = Json::parse(json, nullptr, false);
    if (top.is_discarded())
        throw UpscaleError::of(UpscaleError::Case::unclearProbe);
    if (!top.is_object())
        throw noVideoTrack();
    const auto streams = top.find("streams");
    if (streams == top.end() || !streams->is_array())
        throw noVideoTrack();
    for (const Json& stream : *streams) {
        if (!stream.is_object())
            throw noVideoTrack();
    }

    const Json* video = nullptr;
    for (const Json& stream : *streams) {
        if (hasCodecType(stream, "video")) {
            video = &stream;
            break;
        }
    }
    if (video == nullptr)
        throw noVideoTrack();
    const auto width = integerField(*video, "width");
    const auto height = integerField(*video, "height");
    if (!width || !height)
        throw noVideoTrack();

    VideoInfo info;
    info.size = Size{*width, *height};
    const auto text = [video](const char* key) { return textField(*video, key).value_or(""); };
    info.colour =
        VideoColour::fromTags({text("color_space"), text("color_range"), text("color_transfer"),
                               text("color_primaries"), text("pix_fmt")},
                              info.size);
    if (const auto rotation = firstRotation(*video); rotation && std::abs(*rotation % 180) == 90)
        info.size = Size{*height, *width};

    info.frameRate =
        chooseFrameRate(textField(*video, "r_frame_rate"), textField(*video, "avg_frame_rate"));
    const double numericRate = rate(info.frameRate);
    const auto framesText = textField(*video, "nb_frames");
    const auto counted = framesText ? parseInteger(*framesText) : std::nullopt;
    info.frameEstimate =
        counted ? *counted : estimateFrames(numericRate, durationSeconds(*video, top));
    for (const Json& stream : *streams) {
        if (hasCodecType(stream, "audio"))
            info.audio.push_back(trackOf(stream));
        else if (hasCodecType(stream, "subtitle"))
            info.subtitles.push_back(trackOf(stream));
    }
    info.videoLanguage = languageOf(*video);
    learnExtras(top, *streams, info);
    // An infinite rate passes "greater than 0" but would make every duration zero.
    info.fps = std::isfinite(numericRate) && numericRate > 0 ? numericRate : 30;
    return info;
}

VideoInfo VideoInfo::probe(const std::filesystem::path& source,
                           const std::filesystem::path& ffprobe, std::stop_token stopToken) {
    const std::string answer = Shell::run(ffprobe, probeArguments(source), {}, stopToken);
    return read(answer);
}

} // namespace clarivex
