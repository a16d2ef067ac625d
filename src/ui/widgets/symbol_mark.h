#pragma once

#include <QColor>
#include <QWidget>

namespace clarivex {

// One symbol of the symbol font at a fixed size, painted in one colour.
class SymbolMark : public QWidget {
public:
    SymbolMark(const char* symbol, qreal side, QColor color, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const char* symbol_;
    QColor color_;
};

} // namespace clarivex
