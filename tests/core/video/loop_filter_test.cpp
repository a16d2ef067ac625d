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

// The video path's tests see a short clip's seam capped at a third and a too short clip left
// plain; a long one gets the seam asked for, its cross-fade starting that long before the end.
TEST(LoopFilter, ALongClipGetsTheSeamAskedFor) {
    EXPECT_DOUBLE_EQ(LoopFilter::fadeFor(10, 1.5), 1.5);
    EXPECT_NE(LoopFilter::make(10, 1.5).find("offset=7.000"), std::string::npos);
}

TEST(LoopFilter, PointUnderACommaLocale) {
    const CommaLocale comma;
    const std::string graph = LoopFilter::make(3, 1);
    EXPECT_NE(graph.find("trim=start=1.000,"), std::string::npos) << graph;
    EXPECT_NE(graph.find(":offset=1.000,"), std::string::npos) << graph;
}
