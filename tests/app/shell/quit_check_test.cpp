// The quit check against a real store whose engine is the stand-in, so that "Выйти" is seen to
// stop a real child process and remove a real working folder.
#include "app/queue/store.h"
#include "app/shell/main_window.h"
#include "app/shell/quit_check.h"
#include "support/child_processes.h"
#include "support/recording_desktop_services.h"
#include "support/scoped_environment_variable.h"
#include "support/temporary_folder.h"
#include "support/test_engine.h"

#include <QAction>
#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace clarivex;
using Answer = QuitCheck::Answer;
using test::anyProcessRuns;

namespace {

class QuitCheckTest : public ::testing::Test {
protected:
    QuitCheckTest() {
        std::filesystem::create_directories(temporary());
        Store::Environment environment;
        environment.desktop = std::make_shared<RecordingDesktopServices>();
        const QString settingsFile = QString::fromStdString((folder / "settings.ini").string());
        environment.settings = [settingsFile] {
            return std::make_unique<QSettings>(settingsFile, QSettings::IniFormat);
        };
        environment.locateTools = [this] { return Tools{engine.executable(), engine.models()}; };
        store = std::make_unique<Store>(std::move(environment));
    }

    std::filesystem::path temporary() const { return folder / "tmp"; }

    std::filesystem::path photo(const std::string& name) const {
        QImage picture(64, 48, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        const auto file = folder / name;
        picture.save(QString::fromStdString(file.string()));
        return file;
    }

    // An asker that records how often it was asked.
    QuitCheck::Ask answering(Answer answer) {
        return [this, answer](QWidget*) {
            ++asked;
            return answer;
        };
    }

    test::TemporaryFolder folder{"clarivex-quit"};
    test::TestEngine engine;
    test::ScopedEnvironmentVariable tmpdir{"TMPDIR", temporary().string()};
    std::unique_ptr<Store> store;
    int asked = 0;
};

TEST_F(QuitCheckTest, NothingPendingQuitsWithoutAsking) {
    QuitCheck check(*store, answering(Answer::stay));
    EXPECT_TRUE(check.approve(nullptr));

    store->queue().addDemonstration(photo("done.png"), MediaKind::image,
                                    JobStatus::done(UpscaleResult{}));
    store->queue().addDemonstration(photo("failed.png"), MediaKind::image, JobStatus::failed("x"));
    store->queue().addDemonstration(photo("cancelled.png"), MediaKind::image,
                                    JobStatus::cancelled());
    EXPECT_TRUE(check.approve(nullptr));
    EXPECT_EQ(asked, 0);
}

TEST_F(QuitCheckTest, QuittingStopsTheRunningJobAndLeavesNothingBehind) {
    test::ScopedEnvironmentVariable hang("FAKE_ESRGAN_HANG", "1");
    const QList<Job*> jobs = store->add({photo("a.png"), photo("b.png")}, true);
    ASSERT_EQ(jobs.size(), 2);
    ASSERT_TRUE(QTest::qWaitFor([this] { return anyProcessRuns(engine.executable()); }, 20000));
    ASSERT_TRUE(jobs[0]->status().is(JobStatus::Case::running));
    ASSERT_FALSE(std::filesystem::is_empty(temporary()));

    QLabel window;
    window.show();
    QuitCheck check(*store, answering(Answer::quit));
    // Told as soon as the quit is decided, while the job still runs.
    bool ranWhenTold = false;
    EXPECT_TRUE(check.approve(&window, [&] { ranWhenTold = anyProcessRuns(engine.executable()); }));
    EXPECT_TRUE(ranWhenTold);
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(window.isVisible());
    // Without running the event loop again: the process may end right here.
    EXPECT_FALSE(anyProcessRuns(engine.executable()));
    EXPECT_TRUE(test::noChildLeft());
    EXPECT_TRUE(std::filesystem::is_empty(temporary()));
    EXPECT_EQ(store->pendingCount(), 0);
    EXPECT_TRUE(jobs[1]->status().is(JobStatus::Case::cancelled));
}

TEST_F(QuitCheckTest, TheWindowAsksWhenClosedAndStaysOnStay) {
    const QList<Job*> jobs = store->add({photo("a.png")}, false);
    MainWindow window(*store, new QLabel, answering(Answer::stay));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Clarivex"));
    window.show();
    EXPECT_EQ(window.centralWidget()->size(), QSize(1180, 760));
    window.resize(600, 400);
    EXPECT_EQ(window.centralWidget()->size(), QSize(1040, 680));
    int quitting = 0;
    QObject::connect(&window, &MainWindow::quitting, [&] { ++quitting; });
    const QList<QAction*> menu = window.menuBar()->actions();
    ASSERT_FALSE(menu.isEmpty());
    ASSERT_NE(menu[0]->menu(), nullptr);
    QAction* quit = menu[0]->menu()->actions().constLast();
    EXPECT_EQ(quit->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));

    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(asked, 1);
    quit->trigger();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(quitting, 0);
    EXPECT_TRUE(jobs[0]->status().is(JobStatus::Case::waiting));

    store->queue().cancelAll();
    EXPECT_TRUE(window.close());
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(quitting, 1);
}

} // namespace
