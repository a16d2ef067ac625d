#include "core/video/png_stream.h"

#include "support/upscale_failure.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace clarivex;
using clarivex::test::failureOf;

namespace {

std::string bigEndian(std::uint32_t value) {
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
            static_cast<char>(value >> 8), static_cast<char>(value)};
}

// Only the chunk lengths are read, so the checksums may stay zero.
std::string chunk(const std::string& type, const std::string& data) {
    return bigEndian(static_cast<std::uint32_t>(data.size())) + type + data + std::string(4, '\0');
}

std::string png(const std::string& pixels) {
    return std::string("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", std::string(13, '\1')) +
           chunk("IDAT", pixels) + chunk("IEND", "");
}

std::vector<std::string> feedAll(PngStream& stream, const std::vector<std::string>& pieces) {
    std::vector<std::string> files;
    for (const auto& piece : pieces) {
        for (auto& file : stream.feed(piece))
            files.push_back(std::move(file));
    }
    return files;
}

} // namespace

TEST(PngStream, CutsFilesWhereverTheReadsSplitThem) {
    // An IDAT holding "IEND" must not end the file early.
    const std::string first = png("IEND pixels");
    const std::string second = png(std::string(300, 'x'));
    const std::string stream = first + second;
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        PngStream splitter(1 << 20);
        EXPECT_EQ(feedAll(splitter, {stream.substr(0, cut), stream.substr(cut)}),
                  (std::vector<std::string>{first, second}))
            << "cut at " << cut;
        EXPECT_FALSE(splitter.hasPartialFile());
    }
}

TEST(PngStream, RefusesWhatIsNoPngOrTooLarge) {
    const std::string notPng = "ffmpeg выдал кадры не в формате PNG";
    const std::string tooLarge = "ffmpeg выдал слишком большой кадр";
    const struct {
        const char* name;
        std::string bytes;
        std::string error;
    } cases[] = {
        {"bad signature", "GIF89a" + std::string(20, '\0'), notPng},
        {"garbage after a file", png("a") + "garbage!", notPng},
        {"chunk length beyond the format",
         std::string("\x89PNG\r\n\x1a\n", 8) + bigEndian(0x80000000) + "IDAT", notPng},
        {"chunk larger than a frame can be", png(std::string(2000, 'x')), tooLarge},
    };
    for (const auto& c : cases) {
        PngStream splitter(1000);
        EXPECT_EQ(failureOf([&] { splitter.feed(c.bytes); }), c.error) << c.name;
    }
}
