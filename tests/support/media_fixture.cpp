#include "support/media_fixture.h"

#include "core/process/shell.h"
#include "core/process/tools.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <sstream>

namespace clarivex::test {

std::optional<std::filesystem::path> findProgram(const std::string& name) {
    return Tools::locateProgram(name, Tools::Environment::current());
}

void ffmpeg(const std::vector<std::string>& arguments) {
    const auto program = findProgram("ffmpeg");
    ASSERT_TRUE(program) << "ffmpeg is not installed";
    std::vector<std::string> all{"-v", "error", "-y"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    Shell::run(*program, all, {}, {});
}

void makeClip(const std::filesystem::path& file, const ClipSpec& spec) {
    const std::string size = std::to_string(spec.width) + "x" + std::to_string(spec.height);
    std::vector<std::string> arguments{"-f", "lavfi", "-i",
                                       "testsrc=size=" + size + ":rate=" + spec.rate};
    if (!spec.audioCodec.empty()) {
        const double seconds = spec.frames / std::stod(spec.rate);
        arguments.insert(
            arguments.end(),
            {"-f", "lavfi", "-i", "sine=frequency=440:duration=" + std::to_string(seconds)});
    }
    arguments.insert(arguments.end(), {"-frames:v", std::to_string(spec.frames), "-c:v", "libx264",
                                       "-preset", "ultrafast", "-pix_fmt", "yuv420p"});
    if (!spec.audioCodec.empty())
        arguments.insert(arguments.end(), {"-c:a", spec.audioCodec});
    if (spec.rotate == 0) {
        arguments.push_back(file.string());
        ffmpeg(arguments);
        return;
    }
    // ffmpeg 5.1 writes a rotation only when it copies the stream, so the clip is made first
    // and then copied with the tag.
    const auto plain = file.parent_path() / ("plain-" + file.filename().string());
    arguments.push_back(plain.string());
    ffmpeg(arguments);
    ffmpeg({"-i", plain.string(), "-c", "copy", "-metadata:s:v:0",
            "rotate=" + std::to_string(spec.rotate), file.string()});
    std::filesystem::remove(plain);
}

StreamFacts probeFile(const std::filesystem::path& file) {
    const auto program = findProgram("ffprobe");
    if (!program) {
        ADD_FAILURE() << "ffprobe is not installed";
        return {};
    }
    const std::string answer = Shell::run(
        *program,
        {"-v", "error", "-count_frames", "-show_entries",
         "stream=codec_type,codec_name,width,height,nb_read_frames,color_space,color_primaries,"
         "color_transfer,color_range:stream_tags=language:stream_disposition=default:"
         "stream_side_data=rotation:format=duration",
         "-show_chapters", "-of", "json", file.string()},
        {}, {});
    const auto json = nlohmann::json::parse(answer);
    StreamFacts facts;
    facts.duration = std::stod(json.at("format").value("duration", std::string("0")));
    facts.chapters = static_cast<int>(json.value("chapters", nlohmann::json::array()).size());
    for (const auto& stream : json.at("streams")) {
        const std::string type = stream.value("codec_type", std::string());
        const std::string track =
            stream.value("codec_name", std::string()) + " " +
            stream.value("tags", nlohmann::json::object()).value("language", std::string("und")) +
            (stream.value("disposition", nlohmann::json::object()).value("default", 0) != 0
                 ? " default"
                 : "");
        if (type == "audio")
            facts.audio.push_back(track);
        else if (type == "subtitle")
            facts.subtitles.push_back(track);
        if (type == "video" && facts.videoCodec.empty()) {
            facts.videoCodec = stream.value("codec_name", std::string());
            facts.width = stream.value("width", 0);
            facts.height = stream.value("height", 0);
            facts.frames = std::stoll(stream.value("nb_read_frames", std::string("0")));
            for (const char* tag : {"color_space", "color_primaries", "color_transfer"})
                facts.colourTags += stream.value(tag, std::string("?")) + "/";
            facts.colourTags += stream.value("color_range", std::string("?"));
            if (stream.contains("side_data_list")) {
                for (const auto& entry : stream.at("side_data_list"))
                    facts.rotation = entry.value("rotation", facts.rotation);
            }
        }
    }
    return facts;
}

std::vector<std::string> frameHashes(const std::filesystem::path& file) {
    const auto program = findProgram("ffmpeg");
    if (!program) {
        ADD_FAILURE() << "ffmpeg is not installed";
        return {};
    }
    const std::string listing = Shell::run(
        *program, {"-v", "error", "-i", file.string(), "-map", "0:v:0", "-f", "framemd5", "-"}, {},
        {});
    std::vector<std::string> hashes;
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && line.front() != '#')
            hashes.push_back(line.substr(line.rfind(',') + 1));
    return hashes;
}

std::size_t finishedSegments(const std::filesystem::path& partFolder) {
    std::ifstream manifest(partFolder / "manifest.json");
    std::size_t count = 0;
    for (std::string line; std::getline(manifest, line);)
        count += line.find("\"file\"") != std::string::npos;
    return count;
}

int framesInLog(const std::filesystem::path& log) {
    std::ifstream lines(log);
    int frames = 0;
    for (int count = 0; lines >> count;)
        frames += count;
    return frames;
}

std::vector<std::filesystem::path> entriesStartingWith(const std::filesystem::path& folder,
                                                       const std::string& prefix) {
    std::vector<std::filesystem::path> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().filename().string().starts_with(prefix))
            found.push_back(entry.path());
    }
    return found;
}

} // namespace clarivex::test
