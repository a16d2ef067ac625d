#include "app/cli/command_line.h"

#include <gtest/gtest.h>

using namespace clarivex;
using Stage = UpscaleProgress::Stage;

TEST(CommandLine, PrintsOneLinePerChangeOfTheText) {
    std::vector<std::string> printed;
    Main::ProgressPrinter printer([&](const std::string& line) { printed.push_back(line); });
    printer({Stage::upscaling, 0.501, "45%"});
    printer({Stage::upscaling, 0.509, "45%"});
    printer({Stage::upscaling, 0.509, "46%"});
    printer({Stage::saving, 0.999, "1000×800"});
    printer({Stage::saving, 1.0, "a-4k.jpg"});
    EXPECT_EQ(printed, (std::vector<std::string>{"[50%] Апскейл: 45%", "[50%] Апскейл: 46%",
                                                 "[99%] Сохранение: 1000×800",
                                                 "[100%] Сохранение: a-4k.jpg"}));
    EXPECT_EQ(Main::ProgressPrinter::line({Stage::preparing, 0, ""}), "[0%] Подготовка: ");
}

TEST(CommandLine, SummaryHasOneDecimalWithAPoint) {
    UpscaleResult result{"/a/photo-4k.jpg", std::nullopt, {2880, 2160}, "realesrgan-x4plus", 7,
                         std::nullopt};
    EXPECT_EQ(Main::summaryLine(result),
              "Готово: /a/photo-4k.jpg · 2880×2160 · realesrgan-x4plus · 7.0 с");
    result.seconds = 65.04;
    EXPECT_EQ(Main::summaryLine(result).substr(Main::summaryLine(result).rfind(" · ")),
              " · 65.0 с");
}
