#pragma once

#include <QChar>

#include <vector>

namespace clarivex {

// The rolling-digits transition of a whole number: when the number changes, each digit that
// differs rolls out upwards while its successor rolls in from below (downwards when the number
// falls). A digit that stays slides along as the number's width changes; one that rolls does so
// where it stands in its own number, so that a digit coming or going at the front keeps to the
// number's left edge instead of sliding in from beyond it. Pure arithmetic: which glyph sits
// where at what offset and opacity.
struct RollingNumber {
    // One glyph of one frame. `slot` counts from the right (0 = units); `left` is the glyph's
    // cell in slot widths from the number's left edge. `offset` is in line heights, negative
    // upwards.
    struct Glyph {
        QChar digit;
        int slot = 0;
        double left = 0.0;
        double offset = 0.0;
        double opacity = 1.0;
        bool operator==(const Glyph&) const = default;
    };

    long long from = 0;
    long long to = 0;

    // The glyphs at `progress` (0 = `from` shown, 1 = `to` shown).
    std::vector<Glyph> glyphs(double progress) const;
    // How many digit slots wide the number is at `progress`, easing between the two lengths.
    double width(double progress) const;
};

} // namespace clarivex
