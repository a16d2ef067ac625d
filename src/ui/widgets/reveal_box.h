#pragma once

#include <QWidget>

namespace clarivex {

class Appearance;

// Holds a widget that comes and goes inside a layout: the box makes room for it on the spring,
// so whatever lies below slides rather than jumps, while the widget fades in from its top edge
// and leaves the same way. A gap above the widget comes and goes with it. Main thread only.
class RevealBox : public QWidget {
    Q_OBJECT
public:
    RevealBox(QWidget* content, int gap, QWidget* parent = nullptr);

    void setShown(bool shown);
    // Where it is heading: a box on its way out is no longer shown.
    bool isShown() const { return shown_; }
    // The room the content and its gap take at rest.
    int fullHeight() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void followContent();

    QWidget* content_;
    int gap_;
    Appearance* appearance_;
    bool shown_ = false;
};

} // namespace clarivex
