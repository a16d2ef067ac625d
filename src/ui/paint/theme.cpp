#include "ui/paint/theme.h"

#include "ui/animation/reduce_motion.h"
#include "ui/paint/symbol_font.h"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>
#include <QToolTip>

namespace clarivex::Theme {

namespace {

// Qt resolves point sizes against the device's logical DPI (96 on the desktops we target and
// on images), which keeps fractional sizes such as 10.5 that a pixel size would round away.
constexpr qreal pointsPerLayoutPoint = 72.0 / 96.0;
// Like the platform's system font, large sizes switch to the display cut of the same family.
constexpr qreal displaySize = 20.0;

QEasingCurve cubicBezier(QPointF first, QPointF second) {
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(first, second, QPointF(1, 1));
    return curve;
}

} // namespace

QColor color(quint32 hex, qreal alpha) {
    QColor result(int((hex >> 16) & 0xFF), int((hex >> 8) & 0xFF), int(hex & 0xFF));
    result.setAlphaF(float(qBound(0.0, alpha, 1.0)));
    return result;
}

QColor mix(const QColor& from, const QColor& to, qreal share) {
    share = qBound(0.0, share, 1.0);
    const auto blend = [share](float a, float b) { return float(a + (b - a) * share); };
    return QColor::fromRgbF(blend(from.redF(), to.redF()), blend(from.greenF(), to.greenF()),
                            blend(from.blueF(), to.blueF()), blend(from.alphaF(), to.alphaF()));
}

QColor withOpacity(QColor base, qreal alpha) {
    base.setAlphaF(float(qBound(0.0, alpha, 1.0)));
    return base;
}

QColor background() {
    return color(0x050505);
}
QColor surface() {
    return color(0x0E0E0F);
}
QColor surfaceRaised() {
    return color(0x161617);
}
QColor text() {
    return color(0xF4F1EB);
}
QColor muted() {
    return color(0x8F8B84);
}
QColor line() {
    return color(0xFFFFFF, 0.09);
}
QColor lineStrong() {
    return color(0xFFFFFF, 0.16);
}
QColor accent() {
    return color(0xF12617);
}
QColor accentDeep() {
    return color(0x9E1C12);
}
QColor accentGlow() {
    return color(0xFF4A2E);
}

QLinearGradient accentGradient(const QRectF& rect) {
    QLinearGradient gradient(rect.topLeft(), rect.bottomRight());
    gradient.setColorAt(0.0, accentGlow());
    gradient.setColorAt(0.5, accent());
    gradient.setColorAt(1.0, accentDeep());
    return gradient;
}

SpringParameters spring() {
    return {0.38, 0.86};
}

QFont system(qreal size, QFont::Weight weight) {
    QFont font(size >= displaySize ? QStringLiteral("Inter Display") : QStringLiteral("Inter"));
    font.setPointSizeF(size * pointsPerLayoutPoint);
    font.setWeight(weight);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QFont title(qreal size) {
    return system(size, QFont::ExtraBold);
}
QFont body(qreal size) {
    return system(size, QFont::Normal);
}

QFont caps(qreal size) {
    QFont font = system(size, QFont::Bold);
    font.setStretch(QFont::Expanded);
    return font;
}

QFont digits(qreal size, QFont::Weight weight) {
    return system(size, weight);
}

QEasingCurve easeOut() {
    return cubicBezier({0.0, 0.0}, {0.58, 1.0});
}
QEasingCurve easeInOut() {
    return cubicBezier({0.42, 0.0}, {0.58, 1.0});
}

void install(QApplication& application) {
    application.setStyle(QStyleFactory::create("Fusion"));

    QPalette palette;
    palette.setColor(QPalette::Window, background());
    palette.setColor(QPalette::WindowText, text());
    palette.setColor(QPalette::Base, surface());
    palette.setColor(QPalette::AlternateBase, surfaceRaised());
    palette.setColor(QPalette::ToolTipBase, surfaceRaised());
    palette.setColor(QPalette::ToolTipText, text());
    palette.setColor(QPalette::PlaceholderText, muted());
    palette.setColor(QPalette::Text, text());
    palette.setColor(QPalette::Button, surfaceRaised());
    palette.setColor(QPalette::ButtonText, text());
    palette.setColor(QPalette::BrightText, Qt::white);
    palette.setColor(QPalette::Highlight, accent());
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, accentGlow());
    palette.setColor(QPalette::Light, color(0x2A2A2B));
    palette.setColor(QPalette::Midlight, color(0x202021));
    palette.setColor(QPalette::Mid, color(0x161617));
    palette.setColor(QPalette::Dark, color(0x0A0A0A));
    palette.setColor(QPalette::Shadow, Qt::black);
    palette.setColor(QPalette::Disabled, QPalette::Text, muted());
    palette.setColor(QPalette::Disabled, QPalette::WindowText, muted());
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, muted());
    application.setPalette(palette);
    // Tooltips keep a palette of their own, taken from the desktop's light one otherwise.
    QToolTip::setPalette(palette);
    QToolTip::setFont(body(12));

    application.setFont(body(13));
    SymbolFont::load();
    // Asking the desktop may start a process; better once now than during the first paint.
    ReduceMotion::enabled();
}

} // namespace clarivex::Theme
