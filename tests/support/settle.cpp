#include "support/settle.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>

namespace clarivex::test {

bool settle(const std::function<bool()>& done) {
    bool gaveUp = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] { gaveUp = true; });
    guard.start(std::chrono::minutes(1));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    while (!done() && !gaveUp) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_FALSE(gaveUp) << "waited too long";
    return !gaveUp;
}

} // namespace clarivex::test
