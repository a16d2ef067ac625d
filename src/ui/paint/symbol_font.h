#pragma once

#include <QFont>
#include <QString>

#include <string_view>
#include <vector>

class QPainter;
class QRectF;
class QColor;

namespace clarivex {

// The pictograms that stand in for the design's symbol names ("xmark", "film",
// "plus.circle.fill" …): glyphs of the Material Icons font, through one table. Where the font
// is missing, a plain Unicode sign stands in. Main thread only.
namespace SymbolFont {

// Registers the font file with Qt; safe to call more than once.
void load();
bool available();

// Every symbol name the table knows, in its order.
std::vector<std::string_view> names();
// The Material Icons code point for a symbol name, or 0 when the table has no such name.
char32_t codePoint(std::string_view name);
// The text to draw for a symbol name: the icon glyph, or the stand-in sign without the font.
QString glyph(std::string_view name);
QFont font(qreal size);

// Draws the symbol centred in `rect` at `size` points.
void paint(QPainter& painter, const QRectF& rect, std::string_view name, qreal size,
           const QColor& color);

} // namespace SymbolFont

} // namespace clarivex
