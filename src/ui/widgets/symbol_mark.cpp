#include "ui/widgets/symbol_mark.h"

#include "ui/paint/symbol_font.h"

#include <QPainter>

#include <utility>

namespace clarivex {

SymbolMark::SymbolMark(const char* symbol, qreal side, QColor color, QWidget* parent)
    : QWidget(parent)
    , symbol_(symbol)
    , color_(std::move(color)) {
    setFixedSize(int(side), int(side));
}

void SymbolMark::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    SymbolFont::paint(painter, QRectF(rect()), symbol_, width(), color_);
}

} // namespace clarivex
