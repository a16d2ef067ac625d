#include "core/video/track_choice.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace clarivex {

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

TrackNote TrackChoice::note() const {
    TrackNote note{.audio = audio.size(),
                   .subtitles = subtitles.size(),
                   .timecode = !timecode.empty(),
                   .emptyTracks = emptyTracks,
                   .pictureSubtitles = pictureSubtitles,
                   .unknownTextSubtitles = unknownTextSubtitles,
                   .fonts = fonts,
                   .otherAttachments = otherAttachments,
                   .dataStreams = dataStreams};
    for (const Subtitle& subtitle : subtitles) {
        if (!subtitle.charset.empty() &&
            std::find(note.convertedFrom.begin(), note.convertedFrom.end(), subtitle.charset) ==
                note.convertedFrom.end())
            note.convertedFrom.push_back(subtitle.charset);
    }
    return note;
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
