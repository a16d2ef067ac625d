#include "app/shell/window_cover_watch.h"

#include "ui/animation/frame_clock.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QWidget>

#include <cstdlib>
#include <memory>

namespace clarivex {

WindowCoverWatch::WindowCoverWatch(QWidget& window)
    : window_(window) {
    // Other platforms (offscreen among them) may answer for X11 too, without a connection.
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !x11 || !x11->connection())
        return;
    connection_ = x11->connection();
    QCoreApplication::instance()->installNativeEventFilter(this);
    window_.installEventFilter(this);
    listen();
}

WindowCoverWatch::~WindowCoverWatch() {
    if (connection_)
        QCoreApplication::instance()->removeNativeEventFilter(this);
    setCovered(false);
}

std::optional<bool> WindowCoverWatch::coveredAfter(const xcb_generic_event_t& event,
                                                   xcb_window_t window) {
    // The top bit marks an event another client sent; it says the same.
    switch (event.response_type & 0x7F) {
    case XCB_VISIBILITY_NOTIFY: {
        const auto& visibility = reinterpret_cast<const xcb_visibility_notify_event_t&>(event);
        if (visibility.window != window)
            return std::nullopt;
        return visibility.state == XCB_VISIBILITY_FULLY_OBSCURED;
    }
    case XCB_EXPOSE:
        // Part of the window is to be drawn, so part of it shows: a safeguard should the
        // visibility events ever stop (Qt may set the window's events anew).
        if (reinterpret_cast<const xcb_expose_event_t&>(event).window != window)
            return std::nullopt;
        return false;
    default:
        return std::nullopt;
    }
}

bool WindowCoverWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (xWindow_ == XCB_WINDOW_NONE || eventType != "xcb_generic_event_t")
        return false;
    if (const auto covered = coveredAfter(*static_cast<xcb_generic_event_t*>(message), xWindow_))
        setCovered(*covered);
    // Qt goes on with every event as before.
    return false;
}

bool WindowCoverWatch::eventFilter(QObject*, QEvent* event) {
    // A window made anew (or shown for the first time) has an X window without our events.
    if (event->type() == QEvent::WinIdChange || event->type() == QEvent::Show)
        listen();
    return false;
}

void WindowCoverWatch::listen() {
    const auto xWindow = xcb_window_t(window_.internalWinId());
    if (xWindow == xWindow_)
        return;
    setCovered(false);
    xWindow_ = xWindow;
    if (xWindow == XCB_WINDOW_NONE)
        return;
    // The event mask is per client: add to Qt's own selection instead of replacing it.
    const std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> attributes(
        xcb_get_window_attributes_reply(connection_,
                                        xcb_get_window_attributes(connection_, xWindow), nullptr),
        &std::free);
    if (!attributes)
        return;
    const uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_VISIBILITY_CHANGE;
    xcb_change_window_attributes(connection_, xWindow, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection_);
}

void WindowCoverWatch::setCovered(bool covered) {
    if (covered_ == covered)
        return;
    covered_ = covered;
    FrameClock::instance().setHeld(covered);
}

} // namespace clarivex
