#pragma once

#include "ui/animation/spring.h"
#include "ui/animation/spring_value.h"
#include "ui/paint/glow.h"

#include <QAbstractButton>
#include <QColor>

#include <string>

namespace clarivex {

// The capsule button look: the numbers of the design in one value, so that layouts and tests
// can ask for them without painting.
struct PillButtonStyle {
    bool filled = true;
    bool large = false;

    static constexpr qreal pressedScale = 0.96;
    static constexpr qreal disabledOpacity = 0.4;

    qreal fontSize() const { return large ? 15.0 : 13.0; }
    qreal horizontalPadding() const { return large ? 24.0 : 16.0; }
    qreal height() const { return large ? 46.0 : 34.0; }
    QColor foreground() const;

    // 0 at rest, 1 fully pressed.
    static qreal scale(qreal pressed);
    static qreal glowOpacity(qreal pressed);
    static qreal opacity(bool enabled) { return enabled ? 1.0 : disabledOpacity; }
    static SpringParameters pressSpring() { return {0.25, 0.7}; }
    // The accent glow of a filled capsule, drawn at glowOpacity().
    static GlowSpec glow();
    // How far the glow reaches beyond the capsule (see GlowOverhang): the room a parent keeps
    // around a filled button.
    static QMargins overhang() { return glowRoom(glow()); }

    bool operator==(const PillButtonStyle&) const = default;
};

// A push button drawn as a capsule with an optional symbol before its text. Pressing shrinks it
// on a spring; disabled, it keeps its look at 0.4 opacity. The widget is the capsule (of the
// style's fixed height, centred in a taller widget); a filled button's glow overhangs it (see
// GlowOverhang). Main thread only.
class PillButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit PillButton(const QString& text, PillButtonStyle style = {}, QWidget* parent = nullptr);

    // Named apart from QWidget::style()/setStyle(QStyle*), which they would otherwise hide.
    PillButtonStyle pillStyle() const { return style_; }
    void setPillStyle(PillButtonStyle style);
    // A symbol name such as "xmark" or "plus"; empty for none.
    void setSymbol(const std::string& name);

    // The capsule at rest: the widget, at most the style's height, centred.
    QRectF capsuleRect() const;
    qreal pressAmount() const { return press_.value(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;
    void hideEvent(QHideEvent* event) override;

private:
    void paintButton(QPainter& painter);
    void paintGlow(QPainter& painter);
    QFont labelFont() const;
    qreal labelWidth() const;

    PillButtonStyle style_;
    std::string symbol_;
    SpringValue press_;
    GlowCache glowCache_;
};

} // namespace clarivex
