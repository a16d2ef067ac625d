#include "core/upscale_outcome.h"
#include "core/vocabulary/upscale_error.h"

#include <gtest/gtest.h>
#include <vips/vips8>

#include <cerrno>
#include <new>

using namespace clarivex;

namespace {

template <typename Error> std::string messageOf(const Error& error) {
    return failureMessage(std::make_exception_ptr(error));
}

} // namespace

TEST(FailureMessage, EveryKindOfErrorBecomesARussianSentenceWithItsReason) {
    const std::string reason = std::generic_category().message(EACCES);
    const std::error_code denied(EACCES, std::generic_category());
    EXPECT_EQ(messageOf(UpscaleError::failed("ESRGAN не создал результат")),
              "ESRGAN не создал результат");
    // What failed and where, in the user's words, then the system's reason.
    EXPECT_EQ(messageOf(std::system_error(denied, "Не удалось создать папку /p")),
              "Не удалось создать папку /p: " + reason);
    // The standard library's own English text is not shown.
    EXPECT_EQ(messageOf(std::filesystem::filesystem_error("cannot copy", "/a/b.png", denied)),
              "Ошибка при работе с файлом /a/b.png: " + reason);
    EXPECT_EQ(messageOf(std::bad_alloc()), "Не хватило памяти");
    EXPECT_EQ(messageOf(vips::VError("pngload: out of order read")),
              "Ошибка libvips: pngload: out of order read");
    EXPECT_EQ(failureMessage(std::make_exception_ptr(42)), "Неизвестная ошибка");
}
