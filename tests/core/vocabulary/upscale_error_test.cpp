#include "core/vocabulary/upscale_error.h"

#include <gtest/gtest.h>
#include <vips/vips8>

#include <cerrno>
#include <filesystem>
#include <new>
#include <system_error>

using namespace clarivex;

TEST(FailureMessage, EveryKindOfErrorBecomesARussianSentenceWithItsReason) {
    const auto messageOf = [](auto error) {
        return failureMessage(std::make_exception_ptr(error));
    };
    const std::string reason = std::generic_category().message(EACCES);
    const std::error_code denied(EACCES, std::generic_category());
    EXPECT_EQ(messageOf(UpscaleError::lowDisk(4'320'000'000, 512'000'000)),
              "Мало места: нужно ~4,32 ГБ, свободно 512 МБ");
    // What failed and where, in the user's words, then the system's reason.
    EXPECT_EQ(messageOf(std::system_error(denied, "Не удалось создать папку /p")),
              "Не удалось создать папку /p: " + reason);
    // The standard library's own English text is not shown.
    EXPECT_EQ(messageOf(std::filesystem::filesystem_error("cannot copy", "/a/b.png", denied)),
              "Ошибка при работе с файлом /a/b.png: " + reason);
    EXPECT_EQ(messageOf(std::bad_alloc()), "Не хватило памяти");
    EXPECT_EQ(messageOf(vips::VError("pngload: out of order read")),
              "Ошибка libvips: pngload: out of order read");
    EXPECT_EQ(messageOf(42), "Неизвестная ошибка");
}
