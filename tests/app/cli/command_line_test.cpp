#include "app/cli/command_line.h"

#include <gtest/gtest.h>

using namespace clarivex;
using Stage = UpscaleProgress::Stage;
using Kind = ProgressDetail::Kind;

TEST(CommandLine, PrintsOneLinePerChangeOfTheText) {
    std::vector<std::string> printed;
    Main::ProgressPrinter printer([&](const std::string& line) { printed.push_back(line); });
    printer({Stage::upscaling, 0.501, {.kind = Kind::enginePercent, .value = 45}});
    printer({Stage::upscaling, 0.509, {.kind = Kind::enginePercent, .value = 45.2}});
    printer({Stage::upscaling, 0.509, {.kind = Kind::enginePercent, .value = 46}});
    printer({Stage::saving, 0.999, {.kind = Kind::writing, .size = {1000, 800}}});
    printer({Stage::saving, 1.0, {.kind = Kind::file, .name = "a-4k.jpg"}});
    EXPECT_EQ(printed, (std::vector<std::string>{"[50%] Апскейл: 45%", "[50%] Апскейл: 46%",
                                                 "[99%] Сохранение: 1000×800",
                                                 "[100%] Сохранение: a-4k.jpg"}));
}
