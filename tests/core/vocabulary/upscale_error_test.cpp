#include "core/vocabulary/upscale_error.h"
#include "support/upscale_failure.h"

#include <gtest/gtest.h>
#include <vips/vips8>

#include <cerrno>
#include <filesystem>
#include <new>
#include <system_error>

using namespace clarivex;

TEST(UpscaleErrorFrom, EveryKindOfExceptionKeepsItsPlaceAndReason) {
    const auto from = [](auto error) { return UpscaleError::from(std::make_exception_ptr(error)); };
    using Case = UpscaleError::Case;
    const std::string reason = std::generic_category().message(EACCES);
    const std::error_code denied(EACCES, std::generic_category());

    const UpscaleError own = UpscaleError::lowDisk(4'320'000'000, 512'000'000);
    EXPECT_EQ(from(own), own);
    // What failed and where, in the user's words, then the system's reason.
    const UpscaleError system = from(std::system_error(denied, "Не удалось создать папку /p"));
    EXPECT_EQ(system.kind(), Case::systemError);
    EXPECT_EQ(system.text(), "Не удалось создать папку /p: " + reason);
    // The standard library's own English text is dropped: the path and the reason remain.
    const UpscaleError file =
        from(std::filesystem::filesystem_error("cannot copy", "/a/b.png", denied));
    EXPECT_EQ(file.kind(), Case::fileError);
    EXPECT_EQ(file.folder(), "/a/b.png");
    EXPECT_EQ(file.text(), reason);
    EXPECT_EQ(from(std::bad_alloc()).kind(), Case::outOfMemory);
    const UpscaleError vips = from(vips::VError("pngload: out of order read"));
    EXPECT_EQ(vips.kind(), Case::imageLibrary);
    EXPECT_EQ(vips.text(), "pngload: out of order read");
    EXPECT_EQ(from(42).kind(), Case::unknown);
}
