#pragma once

#include "ui/paint/glow.h"

#include <QWidget>

namespace clarivex {

// The header's engine state: a capsule with a glowing dot and "ДВИЖОК ГОТОВ" (green), "НЕТ
// ДВИЖКА" (accent) or, for an engine that only found a software Vulkan device, "ДВИЖОК НА
// ПРОЦЕССОРЕ" (amber, the label too). Its tooltip says where the engine is and on what it runs,
// or why it was not found, or why the processor is a problem and what cures it. The widget is
// the capsule; the dot's glow stays inside its padding. Main thread only.
class EngineIndicator : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal capsuleHeight = 28.0;

    enum class State { ready, missing, onProcessor };

    explicit EngineIndicator(QWidget* parent = nullptr);

    void setState(State state, const QString& toolTip);
    State state() const { return state_; }
    QString label() const;

    QRectF capsuleRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor dotColor() const;

    State state_ = State::ready;
    GlowCache dotGlow_;
};

} // namespace clarivex
