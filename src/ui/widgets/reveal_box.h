#pragma once

#include <QPointer>
#include <QWidget>

namespace clarivex {

class Appearance;

// Holds a widget that comes and goes inside a layout: the box makes room for it on the spring,
// so whatever lies below slides rather than jumps, while the widget fades in sliding down from
// the box's top edge and leaves the same way. A gap above the widget comes and goes with it.
// The widget is drawn in `layer` (an ancestor that holds the box and what lies around it), not
// in the box: a box smaller than the widget would cut through its text with a hard edge. On its
// way it reaches past the box by at most half its height, faded by as much. Main thread only.
class RevealBox : public QWidget {
    Q_OBJECT
public:
    RevealBox(QWidget* content, int gap, QWidget* parent = nullptr);

    // Where the widget is drawn; until it is set, the box's parent.
    void drawIn(QWidget* layer);
    void setShown(bool shown);
    // Where it is heading: a box on its way out is no longer shown.
    bool isShown() const { return shown_; }
    // The room the content and its gap take at rest.
    int fullHeight() const;
    // Where the content is drawn, in the box's coordinates.
    QRect contentRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void followContent();
    void placeContent();
    void adopt();

    QWidget* content_;
    int gap_;
    Appearance* appearance_;
    QPointer<QWidget> layer_;
    bool shown_ = false;
};

} // namespace clarivex
