#include "core/video/loop_filter.h"

#include <gtest/gtest.h>

#include <clocale>
#include <locale>

using namespace clarivex;

namespace {

// A decimal comma both for C formatting (when a system locale has one) and for C++ streams,
// as in the window, which runs under the user's Russian locale.
class CommaLocale {
public:
    CommaLocale()
        : previousC_(std::setlocale(LC_ALL, nullptr))
        , previousCpp_(std::locale()) {
        for (const char* name : {"ru_RU.UTF-8", "ru_RU.utf8", "de_DE.UTF-8", "de_DE.utf8"}) {
            if (std::setlocale(LC_ALL, name) != nullptr)
                break;
        }
        struct Comma : std::numpunct<char> {
            char do_decimal_point() const override { return ','; }
        };
        std::locale::global(std::locale(std::locale::classic(), new Comma));
    }
    ~CommaLocale() {
        std::setlocale(LC_ALL, previousC_.c_str());
        std::locale::global(previousCpp_);
    }

private:
    std::string previousC_;
    std::locale previousCpp_;
};

} // namespace

TEST(LoopFilter, SeamLengthAndNumbers) {
    struct Case {
        double duration;
        double loopFade;
        double fade;
        const char* offset;
        const char* detail;
    };
    const std::vector<Case> cases{
        {10, 1.5, 1.5, "offset=7.000", "Стык 1.5 с"},
        {100.0 / 30.0, 2.0, 100.0 / 90.0, "offset=1.111", "Стык 1.1 с"},
        {1, 0.25, 0.25, "offset=0.500", "Стык 0.2 с"},
    };
    for (const Case& c : cases) {
        const double fade = LoopFilter::fadeFor(c.duration, c.loopFade);
        EXPECT_DOUBLE_EQ(fade, c.fade);
        EXPECT_NE(LoopFilter::make(c.duration, fade).find(c.offset), std::string::npos)
            << LoopFilter::make(c.duration, fade);
        EXPECT_EQ(LoopFilter::seamDetail(fade), c.detail);
    }
    EXPECT_LT(LoopFilter::fadeFor(0.5, 1.5), LoopFilter::shortestFade);
}

TEST(LoopFilter, PointUnderACommaLocale) {
    const CommaLocale comma;
    const std::string graph = LoopFilter::make(3, 1);
    EXPECT_NE(graph.find("trim=start=1.000,"), std::string::npos) << graph;
    EXPECT_NE(graph.find(":offset=1.000,"), std::string::npos) << graph;
    EXPECT_EQ(LoopFilter::seamDetail(1.5), "Стык 1.5 с");
}
