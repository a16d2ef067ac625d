#pragma once

#include "ui/animation/spring.h"

#include <QColor>
#include <QEasingCurve>
#include <QFont>
#include <QLinearGradient>
#include <QRectF>
#include <QtGlobal>

class QApplication;

namespace clarivex {

// The one dark look of the window: every colour, gradient, font and the standard spring.
// Nothing else in the user interface defines colours or fonts of its own. Sizes are layout
// points (device-independent pixels). Main thread only, like all widgets.
namespace Theme {

// A colour from 0xRRGGBB (red in bits 16-23, blue in bits 0-7) and an opacity used as given.
QColor color(quint32 hex, qreal alpha = 1.0);

// The colour `share` of the way from `from` to `to` (share clamped to 0..1), opacity included.
QColor mix(const QColor& from, const QColor& to, qreal share);

// `base` with its opacity replaced.
QColor withOpacity(QColor base, qreal alpha);

QColor background();
QColor surface();
QColor surfaceRaised();
QColor text();
QColor muted();
QColor line();
QColor lineStrong();
QColor accent();
QColor accentDeep();
QColor accentGlow();

// `accentGlow` → `accent` → `accentDeep` from the top-left to the bottom-right corner of `rect`.
QLinearGradient accentGradient(const QRectF& rect);

// The standard animation: response 0.38 s, damping fraction 0.86.
SpringParameters spring();

// The system UI font at `size` points: Inter, or Inter Display from 20 points up; weights as
// in the table of the theme.
QFont system(qreal size, QFont::Weight weight = QFont::Normal);
QFont title(qreal size);
QFont body(qreal size);
// Bold and expanded; letter spacing is the caller's.
QFont caps(qreal size);
// Inter has no rounded design; the digits keep Inter's shapes at the given weight. Their widths
// differ: draw numbers that change with TabularText to keep them in equal slots.
QFont digits(qreal size, QFont::Weight weight);

// Ease-out and ease-in-out with the control points of the usual cubic timing curves.
QEasingCurve easeOut();
QEasingCurve easeInOut();

// Fusion with a dark palette, Inter as the default font, the symbol font registered and the
// reduce-motion preference read. Call once after the QApplication exists.
void install(QApplication& application);

} // namespace Theme

} // namespace clarivex
