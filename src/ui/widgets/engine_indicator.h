#pragma once

#include "ui/paint/glow.h"

#include <QWidget>

#include <optional>

namespace clarivex {

// The header's engine state: a capsule with a glowing dot and "ДВИЖОК ГОТОВ" (green) or
// "НЕТ ДВИЖКА" (accent). Its tooltip says where the engine is, or why it was not found. The
// widget is the capsule; the dot's glow stays inside its padding. Main thread only.
class EngineIndicator : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal capsuleHeight = 28.0;

    explicit EngineIndicator(QWidget* parent = nullptr);

    // `error` empty: the engine was found in `engineFolder` (empty when unknown).
    void setState(const std::optional<QString>& error, const QString& engineFolder);
    bool isReady() const { return !error_; }
    QString label() const;

    QRectF capsuleRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<QString> error_;
    GlowCache dotGlow_;
};

} // namespace clarivex
