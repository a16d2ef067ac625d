#include "core/vocabulary/upscale_error.h"

#include <gtest/gtest.h>

using namespace clarivex;

TEST(UpscaleError, EverySentence) {
    EXPECT_STREQ(UpscaleError::unsupported("xyz").what(), "Формат не поддерживается: xyz");
    EXPECT_STREQ(UpscaleError::unsupported("").what(), "Формат не поддерживается: ");
    EXPECT_STREQ(UpscaleError::failed("a\nb").what(), "a\nb");
    EXPECT_STREQ(UpscaleError::lowDisk(4'320'000'000, 512'000'000).what(),
                 "Мало места: нужно ~4,32 ГБ, свободно 512 МБ");
    EXPECT_STREQ(UpscaleError::alreadyLarge({3840, 2160}, "4K").what(),
                 "Файл уже 3840×2160 — это не меньше 4K. Нейросеть тут ничего не добавит, только "
                 "испортит детали. Выберите больший размер или файл меньшего разрешения.");
    EXPECT_EQ(std::string(UpscaleError::alreadyLarge({1080, 1920}, "1080p").what())
                  .rfind("Файл уже 1080×1920 — это не меньше 1080p.", 0),
              0u);
    EXPECT_STREQ(UpscaleError::missingEngine().what(),
                 "Не найден Real-ESRGAN (ни в приложении, ни в ~/.local/opt/realesrgan)");
    EXPECT_STREQ(UpscaleError::missingFFmpeg().what(),
                 "Для видео нужен ffmpeg: sudo apt install ffmpeg");
}
