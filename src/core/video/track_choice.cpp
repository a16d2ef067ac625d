#include "core/video/track_choice.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace clarivex {

namespace {

std::string tracks(std::size_t count) {
    const std::size_t lastTwo = count % 100;
    const std::size_t last = count % 10;
    const bool few = last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14);
    return std::to_string(count) + (few ? " дорожки" : " дорожек");
}

std::string convertedFrom(const std::vector<TrackChoice::Subtitle>& subtitles) {
    std::vector<std::string> sets;
    for (const auto& subtitle : subtitles) {
        if (!subtitle.charset.empty() &&
            std::find(sets.begin(), sets.end(), subtitle.charset) == sets.end())
            sets.push_back(subtitle.charset);
    }
    if (sets.empty())
        return {};
    std::string text = " (перекодированы из ";
    for (std::size_t index = 0; index < sets.size(); ++index)
        text += (index > 0 ? ", " : "") + sets[index];
    return text + ")";
}

} // namespace

TrackChoice TrackChoice::make(const VideoInfo& info, const TrackSurvey& survey) {
    TrackChoice choice;
    for (std::size_t index = 0; index < info.audio.size(); ++index) {
        if (index < survey.audioFilled.size() && !survey.audioFilled[index])
            ++choice.emptyTracks;
        else
            choice.audio.push_back(index);
    }
    for (std::size_t index = 0; index < info.subtitles.size(); ++index) {
        const SubtitleCharset charset = index < survey.subtitleCharsets.size()
                                            ? survey.subtitleCharsets[index]
                                            : SubtitleCharset{};
        if (index < survey.subtitlesFilled.size() && !survey.subtitlesFilled[index])
            ++choice.emptyTracks;
        else if (!info.subtitles[index].isTextSubtitle())
            ++choice.pictureSubtitles;
        else if (charset.kind == SubtitleCharset::Kind::unknown)
            ++choice.unknownTextSubtitles;
        else
            choice.subtitles.push_back({index, charset.name});
    }
    if (usableTimecode(info.timecode, info.fps))
        choice.timecode = info.timecode;
    choice.fonts = info.fonts;
    choice.otherAttachments = info.otherAttachments;
    choice.dataStreams = info.dataStreams;
    return choice;
}

std::string TrackChoice::detail() const {
    std::string text = audio.empty()       ? "Склейка частей"
                       : audio.size() == 1 ? "Звук"
                                           : "Звук: " + tracks(audio.size());
    if (!subtitles.empty())
        text += " · субтитры" + convertedFrom(subtitles);
    if (!timecode.empty())
        text += " · таймкод";
    if (pictureSubtitles > 0)
        text += " · субтитры-картинки пропущены: MP4 их не хранит";
    if (unknownTextSubtitles > 0)
        text += " · субтитры в неизвестной кодировке пропущены";
    if (emptyTracks == 1)
        text += " · пустая дорожка пропущена";
    else if (emptyTracks > 1)
        text += " · пустые дорожки пропущены: " + std::to_string(emptyTracks);
    if (fonts > 0)
        text += " · шрифты пропущены: MP4 их не хранит";
    if (otherAttachments > 0)
        text += " · вложенные файлы пропущены: MP4 их не хранит";
    if (dataStreams > 0)
        text += " · потоки данных пропущены";
    return text;
}

bool TrackChoice::usableTimecode(const std::string& text, double fps) {
    if (text.size() != 11)
        return false;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const bool separator = at % 3 == 2;
        if (separator != !std::isdigit(static_cast<unsigned char>(text[at])))
            return false;
    }
    if (text[2] != ':' || text[5] != ':')
        return false;
    if (text[8] == ':')
        return true;
    // ffmpeg drops the tag of any other rate with a warning only.
    const double ntscMultiple = fps * 1001.0 / 30000.0;
    return (text[8] == ';' || text[8] == '.') && ntscMultiple >= 0.99 &&
           std::fabs(ntscMultiple - std::round(ntscMultiple)) < 1e-4;
}

} // namespace clarivex
