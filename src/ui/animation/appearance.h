#pragma once

#include "ui/animation/spring_value.h"

#include <QObject>
#include <QPointF>

#include <functional>

class QWidget;

namespace clarivex {

class FadeScaleEffect;

// How a view looks while away: faded out, scaled by `scale` about its centre and shifted by
// `shift` times its own size (0, 1 = pushed down past its bottom edge).
struct AppearanceStyle {
    qreal scale = 1.0;
    QPointF shift;
};

// Brings a view in and takes it out on a spring, fading it with the style's scale and shift.
// A graphics effect does the drawing only while the view moves, so a view at rest paints as
// usual. Hidden views and reduce motion jump. Lives as long as its view. Main thread only.
class Appearance : public QObject {
    Q_OBJECT
public:
    Appearance(QWidget* view, AppearanceStyle style, SpringParameters spring);

    // From away (or from where a leave has got to) to present.
    void enter();
    // From present to away, then `gone` (which may delete the view).
    void leave(std::function<void()> gone);
    // Shows the view and brings it in, or takes it out and hides it once away.
    void setShown(bool shown);

    // Called after every step, for layouts that make room for the view as it comes.
    void setOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

    // 0 away … 1 present, as drawn now.
    qreal amount() const { return amount_.value(); }
    bool isLeaving() const { return leaving_; }

private:
    void apply();

    QWidget* view_;
    AppearanceStyle style_;
    SpringValue amount_;
    bool leaving_ = false;
    std::function<void()> gone_;
    std::function<void()> onChange_;
};

} // namespace clarivex
