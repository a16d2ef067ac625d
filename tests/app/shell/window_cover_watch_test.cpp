// On a real X server: the platform plugin, the events asked for and the clock together.
#include "app/shell/window_cover_watch.h"
#include "support/settle.h"
#include "ui/animation/frame_clock.h"

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <csignal>

#include <sys/prctl.h>

namespace clarivex {
namespace {

// An X server of our own, without a window manager: a window is where it is put and the
// newest one lies on top.
class XServer {
public:
    XServer() {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (program.isEmpty())
            return;
        // Gone with the test, even one that crashes.
        process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        process_.start(program, {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                 QStringLiteral("-screen"), QStringLiteral("0"),
                                 QStringLiteral("640x480x24"), QStringLiteral("-nolisten"),
                                 QStringLiteral("tcp")});
        if (process_.waitForReadyRead(30000))
            display_ = QStringLiteral(":") + QString::fromLatin1(process_.readLine()).trimmed();
    }
    ~XServer() {
        process_.terminate();
        process_.waitForFinished();
    }
    QString display() const { return display_; }

private:
    QProcess process_;
    QString display_;
};

TEST(WindowCoverWatchTest, TheClockHoldsExactlyWhileOtherWindowsCoverTheWholeWindow) {
    XServer server;
    if (server.display().isEmpty())
        GTEST_SKIP() << "no Xvfb to run an X server";
    qputenv("DISPLAY", server.display().toLatin1());
    qputenv("QT_QPA_PLATFORM", "xcb");
    int argc = 1;
    char name[] = "window_cover_watch_test";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);

    FrameClock& clock = FrameClock::instance();
    FrameTicker ticker([](double) {});
    ticker.start();
    QWidget watched;
    watched.setGeometry(100, 100, 200, 150);
    WindowCoverWatch watch(watched);
    watched.show();
    ASSERT_TRUE(test::settle([&watched] { return watched.windowHandle()->isExposed(); }));

    QWidget cover;
    cover.setGeometry(50, 50, 400, 300);
    cover.show();
    ASSERT_TRUE(test::settle([&clock] { return clock.isHeld(); }));
    EXPECT_FALSE(clock.timerInterval()) << "a held clock wakes no one";

    // A corner of the window shows again: it animates.
    cover.move(150, 150);
    ASSERT_TRUE(test::settle([&clock] { return !clock.isHeld(); }));
    EXPECT_TRUE(clock.timerInterval());

    cover.move(50, 50);
    ASSERT_TRUE(test::settle([&clock] { return clock.isHeld(); }));
    cover.hide();
    ASSERT_TRUE(test::settle([&clock] { return !clock.isHeld(); }));
}

} // namespace
} // namespace clarivex
