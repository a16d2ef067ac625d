#pragma once

#include "ui/animation/spring_value.h"
#include "ui/widgets/rolling_number.h"

#include <QWidget>

#include <optional>

namespace clarivex {

class GlowBar;

// The running job's progress: a large rolling percentage, the stage in caps with the remaining
// time under it, a glowing bar and a one-line detail. A pure view of the numbers the caller
// passes on every report. Main thread only.
class BigProgress : public QWidget {
    Q_OBJECT
    Q_PROPERTY(qreal fraction READ fraction WRITE setFraction NOTIFY fractionChanged)
    Q_PROPERTY(QString stage READ stage WRITE setStage NOTIFY stageChanged)
    Q_PROPERTY(QString detail READ detail WRITE setDetail NOTIFY detailChanged)
public:
    static constexpr qreal rowSpacing = 12.0;

    explicit BigProgress(QWidget* parent = nullptr);

    qreal fraction() const { return fraction_; }
    void setFraction(qreal fraction);
    QString stage() const { return stage_; }
    void setStage(const QString& stage);
    QString detail() const { return detail_; }
    void setDetail(const QString& detail);
    std::optional<QString> eta() const { return eta_; }
    void setEta(const std::optional<QString>& eta);

    // ⌊fraction × 100⌋, not clamped: a fraction above 1 shows more than 100.
    static long long percentFor(qreal fraction);
    static SpringParameters rollSpring() { return {0.5, 0.85}; }

    long long percent() const { return number_.to; }
    GlowBar* bar() const { return bar_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void fractionChanged(qreal fraction);
    void stageChanged(const QString& stage);
    void detailChanged(const QString& detail);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct Rows {
        qreal baseline;
        QRectF number;
        QRectF bar;
        QRectF detail;
        qreal height;
    };
    Rows rows() const;
    mutable std::optional<Rows> rows_;
    mutable QSize rowsSize_;
    void paintHeadline(QPainter& painter, const Rows& layout);
    void paintDigits(QPainter& painter, const Rows& layout) const;
    QRectF contentRect() const;
    void placeBar();

    qreal fraction_ = 0.0;
    RollingNumber number_;
    SpringValue roll_;
    QString stage_;
    QString detail_;
    std::optional<QString> eta_;
    GlowBar* bar_;
};

} // namespace clarivex
