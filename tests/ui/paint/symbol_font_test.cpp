#include "ui/paint/symbol_font.h"

#include <QRawFont>

#include <gtest/gtest.h>

namespace clarivex {
namespace {

// Every symbol name the window's parts ask for.
constexpr const char* usedSymbols[] = {"xmark",
                                       "xmark.circle",
                                       "plus",
                                       "plus.circle.fill",
                                       "checkmark",
                                       "checkmark.circle.fill",
                                       "exclamationmark.triangle.fill",
                                       "exclamationmark.circle.fill",
                                       "clock",
                                       "film",
                                       "film.stack",
                                       "photo",
                                       "chevron.left.chevron.right",
                                       "wand.and.sparkles",
                                       "camera.aperture",
                                       "paintbrush.pointed"};

TEST(SymbolFontTest, EveryUsedSymbolHasAGlyphInTheIconFont) {
    ASSERT_TRUE(SymbolFont::available()) << "fonts-material-design-icons-iconfont missing";
    const QRawFont font = QRawFont::fromFont(SymbolFont::font(20));
    ASSERT_TRUE(font.isValid());
    for (const char* name : usedSymbols) {
        const char32_t codePoint = SymbolFont::codePoint(name);
        ASSERT_NE(codePoint, 0u) << name;
        EXPECT_TRUE(font.supportsCharacter(uint(codePoint))) << name;
        EXPECT_EQ(SymbolFont::glyph(name), QString::fromUcs4(&codePoint, 1)) << name;
    }
}

} // namespace
} // namespace clarivex
