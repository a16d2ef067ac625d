#include "core/video/png_stream.h"

#include "support/png_bytes.h"
#include "support/upscale_failure.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace clarivex;
using namespace clarivex::test;

namespace {

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
    const std::string first = pngBytes(1, 1, "IEND pixels");
    const std::string second = pngBytes(1, 1, std::string(300, 'x'));
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
    const UpscaleError notPng = UpscaleError::of(UpscaleError::Case::notPngFrames);
    const UpscaleError tooLarge = UpscaleError::of(UpscaleError::Case::frameTooLarge);
    const struct {
        const char* name;
        std::string bytes;
        UpscaleError error;
    } cases[] = {
        {"bad signature", "GIF89a" + std::string(20, '\0'), notPng},
        {"garbage after a file", pngBytes(1, 1, "a") + "garbage!", notPng},
        {"chunk length beyond the format",
         std::string("\x89PNG\r\n\x1a\n", 8) + bigEndian(0x80000000) + "IDAT", notPng},
        {"chunk larger than a frame can be", pngBytes(1, 1, std::string(2000, 'x')), tooLarge},
    };
    for (const auto& c : cases) {
        PngStream splitter(1000);
        EXPECT_EQ(errorOf([&] { splitter.feed(c.bytes); }), c.error) << c.name;
    }
}
