#pragma once

#include "ui/animation/spring_value.h"
#include "ui/paint/glow.h"

#include <QList>
#include <QVariant>
#include <QWidget>

#include <vector>

namespace clarivex {

// Where the segments of a capsule picker lie: equal shares of the row, 2 apart, inside 3 of
// padding. Pure geometry for the view and its tests.
struct SegmentedLayout {
    static constexpr qreal spacing = 2.0;
    static constexpr qreal padding = 3.0;
    static constexpr qreal segmentHeight = 28.0;
    static constexpr qreal labelPadding = 12.0;

    static std::vector<QRectF> segments(const QRectF& control, int count);
    // The label colour's share of white (rest: `muted`) for a segment that the sliding capsule
    // covers by `capsule`: the overlap's fraction of the segment's width.
    static qreal selectedShare(const QRectF& segment, const std::optional<QRectF>& capsule);
};

// A capsule segmented picker over any values. The selected segment sits on one shared accent
// capsule that slides and stretches to the next selection on the standard spring. A value that
// matches no option shows no capsule. The widget is the control's capsule; the selection's glow
// overhangs it by overhang() (see GlowOverhang). Main thread only.
class Segmented : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QVariant selection READ selection WRITE setSelection NOTIFY selectionChanged)
public:
    struct Option {
        QVariant value;
        QString label;
    };

    explicit Segmented(QWidget* parent = nullptr);

    void setOptions(const QList<Option>& options);
    QList<Option> options() const { return options_; }
    QVariant selection() const { return selection_; }
    // Animated unless `animated` is false.
    void setSelection(const QVariant& value, bool animated = true);

    // The control's capsule: the widget, at most the control's height, centred.
    QRectF controlRect() const;
    // The sliding capsule as it is drawn now, or none when nothing is selected.
    std::optional<QRectF> capsuleRect() const;

    static GlowSpec glow();
    static QMargins overhang();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

Q_SIGNALS:
    // Any change of the selection, by a tap or by setSelection().
    void selectionChanged(const QVariant& value);
    // A tap chose a new value (only the user's choices, as QComboBox::activated).
    void activated(const QVariant& value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    int selectedIndex() const;
    int segmentAt(const QPointF& point) const;
    void moveCapsule(bool animated);
    void paintGlow(QPainter& painter);

    QList<Option> options_;
    QVariant selection_;
    int pressedSegment_ = -1;
    bool capsuleVisible_ = false;
    SpringValue capsuleLeft_;
    SpringValue capsuleRight_;
    GlowCache glowCache_;
};

} // namespace clarivex
