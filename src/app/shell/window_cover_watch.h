#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <xcb/xcb.h>

#include <optional>

class QWidget;

namespace clarivex {

// Holds the frame clock while `window` is wholly covered by other windows, so that a window no
// one can see spends nothing on its animations (minimized, its widgets are hidden and stop their
// own). X11 tells a client when its window becomes fully obscured, but only without a compositing
// manager: a composited window is drawn off screen and always counts as unobscured. Elsewhere
// (Wayland, offscreen) this does nothing and the window animates as before. Main thread.
class WindowCoverWatch : public QObject, public QAbstractNativeEventFilter {
public:
    explicit WindowCoverWatch(QWidget& window);
    ~WindowCoverWatch() override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Whether an X event says that `window` is now wholly covered (true), shows at least in
    // part (false), or nothing about it.
    static std::optional<bool> coveredAfter(const xcb_generic_event_t& event, xcb_window_t window);
    // Asks the X server for the window's visibility changes, on top of what Qt listens to.
    void listen();
    void setCovered(bool covered);

    QWidget& window_;
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t xWindow_ = XCB_WINDOW_NONE;
    bool covered_ = false;
};

} // namespace clarivex
