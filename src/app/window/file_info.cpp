#include "app/window/file_info.h"

#include "app/window/job_texts.h"
#include "ui/paint/symbol_font.h"
#include "ui/paint/theme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace clarivex {

namespace {

constexpr qreal lineSpacing = 4.0;
constexpr qreal kindSpacing = 6.0;

QFont nameFont() {
    return Theme::system(15, QFont::Bold);
}

QFont kindFont() {
    return Theme::digits(11, QFont::Medium);
}

} // namespace

FileInfo::FileInfo(QString fileName, MediaKind kind, QWidget* parent)
    : QWidget(parent)
    , fileName_(std::move(fileName))
    , kind_(kind) {
    setAccessibleName(fileName_);
}

QSize FileInfo::sizeHint() const {
    const qreal width = QFontMetricsF(nameFont()).horizontalAdvance(fileName_);
    const qreal height =
        QFontMetricsF(nameFont()).height() + lineSpacing + QFontMetricsF(kindFont()).height();
    return {int(std::ceil(width)) + 1, int(std::ceil(height))};
}

QSize FileInfo::minimumSizeHint() const {
    return {60, sizeHint().height()};
}

QString FileInfo::visibleName() const {
    return QFontMetricsF(nameFont()).elidedText(fileName_, Qt::ElideMiddle, width());
}

void FileInfo::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const qreal nameHeight = QFontMetricsF(nameFont()).height();
    const qreal total = sizeHint().height();
    const qreal top = (height() - total) / 2.0;
    painter.setFont(nameFont());
    painter.setPen(Theme::text());
    painter.drawText(QRectF(0, top, width(), nameHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     visibleName());

    const QFontMetricsF kindMetrics(kindFont());
    const QRectF row(0, top + nameHeight + lineSpacing, width(), kindMetrics.height());
    const char* symbol = JobTexts::kindSymbol(kind_);
    const qreal symbolWidth =
        QFontMetricsF(SymbolFont::font(11)).horizontalAdvance(SymbolFont::glyph(symbol));
    SymbolFont::paint(painter, QRectF(row.left(), row.top(), symbolWidth, row.height()), symbol, 11,
                      Theme::muted());
    painter.setFont(kindFont());
    painter.setPen(Theme::muted());
    painter.drawText(row.adjusted(symbolWidth + kindSpacing, 0, 0, 0),
                     Qt::AlignLeft | Qt::AlignVCenter, JobTexts::kindWord(kind_));
}

} // namespace clarivex
