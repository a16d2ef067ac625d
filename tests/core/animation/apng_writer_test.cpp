#include "core/animation/apng_writer.h"

#include "core/vocabulary/upscale_error.h"
#include "support/png_bytes.h"
#include "support/upscale_failure.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <system_error>

using namespace clarivex;

namespace {

using Case = UpscaleError::Case;

// A descriptor that swallows everything, or refuses it as a full disk does.
class Sink {
public:
    explicit Sink(const char* device)
        : descriptor_(::open(device, O_WRONLY | O_CLOEXEC)) {}
    ~Sink() { ::close(descriptor_); }
    Sink(const Sink&) = delete;
    Sink& operator=(const Sink&) = delete;
    int descriptor() const { return descriptor_; }

private:
    int descriptor_;
};

} // namespace

// Every way the writer refuses names the file and what went wrong with which frame.
TEST(ApngWriter, EveryRefusalNamesTheFileAndTheFrame) {
    const std::string frame = test::pngBytes(4, 4, "pixels");
    const std::string larger = test::pngBytes(8, 4, "pixels");
    const Sink sink("/dev/null");
    const Sink full("/dev/full");
    const int out = sink.descriptor();
    const std::pair<std::function<void()>, UpscaleError> cases[] = {
        {[&] { ApngWriter(out, 0, 0, "a.png"); },
         UpscaleError::badApng(Case::apngTooManyFrames, "a.png", 0)},
        {[&] { ApngWriter(out, 2, 0, "a.png").add("no picture", {}); },
         UpscaleError::badApng(Case::apngFrameNotEncoded, "a.png", 1)},
        {[&] {
             ApngWriter writer(out, 2, 0, "a.png");
             writer.add(frame, {});
             writer.add(larger, {});
         },
         UpscaleError::badApng(Case::apngFrameDiffers, "a.png", 2)},
        {[&] {
             ApngWriter writer(out, 1, 0, "a.png");
             writer.add(frame, {});
             writer.add(frame, {});
         },
         UpscaleError::badApng(Case::apngExtraFrame, "a.png", 2, 1)},
        {[&] {
             ApngWriter writer(out, 3, 0, "a.png");
             writer.add(frame, {});
             writer.finish();
         },
         UpscaleError::badApng(Case::apngShort, "a.png", 1, 3)},
        {[&] { ApngWriter(full.descriptor(), 1, 0, "a.png").add(frame, {}); },
         UpscaleError::fileFailed(Case::writeFailed, "a.png",
                                  std::generic_category().message(ENOSPC))},
    };
    for (const auto& [action, expected] : cases)
        EXPECT_EQ(test::errorOf(action), expected);
}
