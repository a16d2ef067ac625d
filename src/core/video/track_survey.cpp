#include "core/video/track_survey.h"

#include "core/process/shell.h"
#include "core/vocabulary/upscale_error.h"

#include <nlohmann/json.hpp>

#include <fstream>

namespace clarivex {

namespace {

using Json = nlohmann::json;

// Far more than the subtitles of any film; a track beyond it is judged by its beginning.
constexpr std::size_t textRead = 8 * 1024 * 1024;

bool filled(const Json& stream) {
    const auto count = stream.find("nb_read_packets");
    // ffprobe writes no count for a stream it read no packet of.
    return count != stream.end() && count->is_string() && !count->get<std::string>().empty() &&
           count->get<std::string>() != "0";
}

std::string readBeginning(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    std::string text(textRead, '\0');
    stream.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(stream.gcount()));
    return text;
}

std::filesystem::path textFile(const UpscaleJob& job, std::size_t index) {
    return job.work / ("subtitle-" + std::to_string(index) + ".txt");
}

void readSubtitleTexts(const UpscaleJob& job, const VideoInfo& info, TrackSurvey& survey) {
    std::vector<std::string> arguments{"-nostdin", "-v", "error", "-y", "-i", job.source.string()};
    std::vector<std::size_t> read;
    for (std::size_t index = 0; index < info.subtitles.size(); ++index) {
        if (!survey.subtitlesFilled[index] || !TrackSurvey::storedAsText(info.subtitles[index]))
            continue;
        arguments.insert(arguments.end(), {"-map", "0:s:" + std::to_string(index), "-c", "copy",
                                           "-f", "data", textFile(job, index).string()});
        read.push_back(index);
    }
    if (read.empty())
        return;
    try {
        Shell::run(*job.tools.ffmpeg, arguments, {}, job.stopToken);
    } catch (const UpscaleError&) {
        return;
    }
    for (const std::size_t index : read) {
        survey.subtitleCharsets[index] = SubtitleCharset::detect(
            readBeginning(textFile(job, index)), info.subtitles[index].language);
        std::error_code ignored;
        std::filesystem::remove(textFile(job, index), ignored);
    }
}

} // namespace

TrackSurvey TrackSurvey::assumed(const VideoInfo& info) {
    return {std::vector<bool>(info.audio.size(), true),
            std::vector<bool>(info.subtitles.size(), true),
            std::vector<SubtitleCharset>(info.subtitles.size())};
}

TrackSurvey TrackSurvey::fromCounts(std::string_view json, const VideoInfo& info) {
    TrackSurvey survey = assumed(info);
    const Json top = Json::parse(json, nullptr, false);
    if (!top.is_object() || !top.contains("streams") || !top["streams"].is_array())
        return survey;
    std::vector<bool> audio;
    std::vector<bool> subtitles;
    for (const Json& stream : top["streams"]) {
        if (!stream.is_object())
            return survey;
        const auto type = stream.find("codec_type");
        if (type == stream.end() || !type->is_string())
            continue;
        if (*type == "audio")
            audio.push_back(filled(stream));
        else if (*type == "subtitle")
            subtitles.push_back(filled(stream));
    }
    if (audio.size() == info.audio.size() && subtitles.size() == info.subtitles.size()) {
        survey.audioFilled = std::move(audio);
        survey.subtitlesFilled = std::move(subtitles);
    }
    return survey;
}

bool TrackSurvey::storedAsText(const VideoInfo::Track& track) {
    // MP4's own text format stores binary styles beside the text, always as Unicode.
    return track.isTextSubtitle() && track.codec != "mov_text";
}

TrackSurvey TrackSurvey::take(const UpscaleJob& job, const VideoInfo& info) {
    if ((info.audio.empty() && info.subtitles.empty()) || !job.tools.ffprobe || !job.tools.ffmpeg)
        return assumed(info);
    TrackSurvey survey = assumed(info);
    try {
        survey = fromCounts(
            Shell::run(*job.tools.ffprobe,
                       {"-v", "error", "-count_packets", "-show_entries",
                        "stream=codec_type,nb_read_packets", "-of", "json", job.source.string()},
                       {}, job.stopToken),
            info);
    } catch (const UpscaleError&) {
        // The join says what is wrong with a source that cannot be read through.
    }
    readSubtitleTexts(job, info, survey);
    return survey;
}

} // namespace clarivex
