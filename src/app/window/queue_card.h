#pragma once

#include "ui/animation/spring_value.h"
#include "ui/paint/glow.h"

#include <QPointer>
#include <QWidget>

namespace clarivex {

class Job;
class MiniRing;

// One job in the queue strip: its preview filling a 112 × 70 rounded card, darkened towards
// the bottom, with the status badge and the file name without extension at the bottom left.
// Selected, it takes an accent border and glow and grows to 1.04 on the standard spring. The
// card takes no input itself: the strip maps clicks to cards by their visible rectangles,
// since the cards' glow rooms overlap; the keyboard reaches it with Tab. The widget keeps
// room() around the card. Main thread only.
class QueueCard : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal cardWidth = 112.0;
    static constexpr qreal cardHeight = 70.0;
    static constexpr qreal cornerRadius = 12.0;
    static constexpr qreal selectedScale = 1.04;

    QueueCard(Job& job, QWidget* parent = nullptr);

    Job* job() const { return job_; }
    bool isSelected() const { return selected_.target() >= 0.5; }
    void setSelected(bool selected);
    // The name as the card shows it.
    QString title() const;
    // The status badge's symbol name, or empty while the progress ring stands there.
    QString badgeSymbol() const;
    // Shows the job's status as it is now (the strip calls it when the job's row changes).
    void refresh();

    QRectF cardRect() const;
    static QMargins room();
    QSize sizeHint() const override;

Q_SIGNALS:
    // Space or Return while the card has keyboard focus.
    void activated();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QRectF badgeRect() const;

    QPointer<Job> job_;
    SpringValue selected_;
    MiniRing* ring_;
    GlowCache blackShadow_;
    GlowCache accentShadow_;
};

} // namespace clarivex
