// Frames of the window's transitions on the frozen clock, saved as PNG files to be looked at one by
// one: window_frames select|clear|failed|long|drop|loop|roll|add|finish|retry|cancel [FOLDER].
// Under a display it also saves what the screen shows.
#include "app/queue/job.h"
#include "app/window/content_view.h"
#include "app/window/job_stage.h"
#include "app/window/queue_strip.h"
#include "app/window/window_fixture.h"
#include "ui/animation/frame_clock.h"
#include "ui/paint/theme.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QThread>
#include <QWindow>

using namespace clarivex;

static double now = 1000.0;
// What the stage says of the network at work: "realesrgan-x4plus, ×4".
static const ProgressDetail network{
    .kind = ProgressDetail::Kind::network, .model = "realesrgan-x4plus", .scale = 4};
static QWidget* win = nullptr;

static void pump() {
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

static void shot(const QString& dir, const QString& name) {
    pump();
    win->repaint();
    pump();
    win->grab().save(dir + "/grab-" + name + ".png");
    if (qEnvironmentVariableIsSet("DISPLAY") && QGuiApplication::platformName() == "xcb") {
        QThread::msleep(60);
        pump();
        win->screen()->grabWindow(win->winId()).save(dir + "/screen-" + name + ".png");
    }
}

static void step(double dt) {
    now += dt;
    FrameClock::instance().advanceTo(now);
}

static void settleAll() {
    for (int i = 0; i < 200; ++i)
        step(0.02);
    pump();
}

// Until no picture is on its way, and every job has its preview and, once done, its comparison:
// the frames are then the same from run to run.
static void settlePictures(test::WindowFixture& fixture) {
    test::settle([&] {
        if (!fixture.store->pictures().isIdle())
            return false;
        for (const Job* job : fixture.queue().jobs()) {
            if (job->preview().isNull())
                return false;
            if (job == fixture.queue().focused() && job->status().result() &&
                (job->before().isNull() || job->after().isNull()))
                return false;
        }
        return true;
    });
    pump();
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Theme::install(app);
    FrameClock::instance().setManualTime(now);
    const QString scenario = argc > 1 ? argv[1] : "select";
    const QString dir = argc > 2 ? argv[2] : "/tmp/motion/probe";
    QDir().mkpath(dir);

    test::WindowFixture fixture(test::WindowFixture::Engine::found);
    QWidget window;
    win = &window;
    auto* view = new ContentView(*fixture.store, &window);
    window.resize(1180, 760);
    view->resize(1180, 760);
    window.show();
    JobQueue& queue = fixture.queue();
    auto times = {0.0, 0.04, 0.08, 0.12, 0.16, 0.2, 0.25, 0.3, 0.4, 0.6};
    auto record = [&](const QString& prefix) {
        double t = 0.0;
        for (double at : times) {
            step(at - t);
            t = at;
            shot(dir, QString("%1-%2").arg(prefix).arg(int(at * 1000), 3, 10, QChar('0')));
        }
    };
    if (scenario == "select") {
        for (auto name : {"a.png", "b.png", "c.png"})
            test::writeFile(fixture.file(name));
        queue.add({fixture.file("a.png"), fixture.file("b.png"), fixture.file("c.png")}, true);
        test::settle([&] { return queue.jobs()[0]->status().is(JobStatus::Case::running); });
        fixture.script.report({UpscaleProgress::Stage::upscaling, 0.42, network});
        test::settle([&] {
            return queue.jobs()[0]->status().progress() &&
                   queue.jobs()[0]->status().progress()->fraction > 0.4;
        });
        fixture.decoder.waitForRequests(3);
        settleAll();
        shot(dir, "rest");
        queue.setSelectedID(queue.jobs()[1]->id());
        record("sel");
        queue.setSelectedID(queue.jobs()[0]->id());
        record("back");
    } else if (scenario == "clear") {
        for (auto name : {"a.png", "b.png", "c.png"})
            test::writeFile(fixture.file(name));
        queue.addDemonstration(fixture.file("a.png"), MediaKind::image, JobStatus::cancelled());
        queue.addDemonstration(fixture.file("b.png"), MediaKind::image, JobStatus::cancelled());
        queue.addDemonstration(fixture.file("c.png"), MediaKind::image, JobStatus::waiting());
        settleAll();
        shot(dir, "rest");
        queue.clearFinished();
        record("clear");
        queue.clearFinished();
        queue.cancelAll();
        queue.clearFinished();
        record("empty");
        // A file comes after the strip has gone: it comes back with that file's card.
        test::writeFile(fixture.file("d.png"));
        queue.add({fixture.file("d.png")}, false);
        record("again");
    } else if (scenario == "failed") {
        test::writeFile(fixture.file("a.png"));
        std::string error;
        for (int i = 1; i <= 7; ++i)
            error += "vkCreateInstance failed at step " + std::to_string(i) +
                     " with code -9 on device\n";
        queue.addDemonstration(fixture.file("a.png"), MediaKind::image, JobStatus::failed(error));
        queue.addDemonstration(
            fixture.file("a.png"), MediaKind::image,
            JobStatus::failed(
                "Не удалось прочитать файл: формат не поддерживается, попробуйте другой файл."));
        settleAll();
        shot(dir, "failed-long");
        queue.setSelectedID(queue.jobs()[1]->id());
        settleAll();
        shot(dir, "failed-short");
    } else if (scenario == "long") {
        // A queue longer than the strip, with the last whole card and then the cut one shown.
        for (int index = 0; index < 10; ++index) {
            const std::string name = "p" + std::to_string(index) + ".png";
            test::writeFile(fixture.file(name));
            queue.addDemonstration(fixture.file(name), MediaKind::image, JobStatus::waiting());
        }
        for (int shown : {5, 6}) {
            queue.setSelectedID(queue.jobs()[shown]->id());
            settleAll();
            shot(dir, QString("long-%1").arg(shown));
        }
    } else if (scenario == "drop") {
        settleAll();
        view->setTargeted(true);
        record("drag");
        for (auto name : {"a.png"})
            test::writeFile(fixture.file(name));
        view->setTargeted(false);
        queue.add({fixture.file("a.png")}, false);
        record("dropped");
    } else if (scenario == "roll") {
        test::writeFile(fixture.file("a.png"));
        queue.add({fixture.file("a.png")}, true);
        test::settle([&] { return queue.jobs()[0]->status().is(JobStatus::Case::running); });
        const auto reach = [&](double fraction) {
            fixture.script.report({UpscaleProgress::Stage::upscaling,
                                   fraction,
                                   {.kind = ProgressDetail::Kind::file, .name = "realesrgan"}});
            test::settle([&] {
                const UpscaleProgress* progress = queue.jobs()[0]->status().progress();
                return progress && progress->fraction == fraction;
            });
        };
        reach(0.02);
        settleAll();
        reach(0.69);
        record("roll");
        settleAll();
        shot(dir, "roll-rest");
    } else if (scenario == "loop") {
        fixture.store->settings().setSeamlessLoop(false);
        settleAll();
        fixture.store->settings().setSeamlessLoop(true);
        record("loop-on");
        fixture.store->settings().setSeamlessLoop(false);
        record("loop-off");
        // Turned back on halfway out.
        fixture.store->settings().setSeamlessLoop(true);
        settleAll();
        fixture.store->settings().setSeamlessLoop(false);
        step(0.08);
        fixture.store->settings().setSeamlessLoop(true);
        record("loop-back");
    } else if (scenario == "add") {
        settleAll();
        for (auto name : {"a.png", "b.png", "c.png", "d.png", "e.png", "f.png"})
            test::writeFile(fixture.file(name));
        queue.add({fixture.file("a.png"), fixture.file("b.png"), fixture.file("c.png"),
                   fixture.file("d.png")},
                  false);
        settlePictures(fixture);
        record("add");
        settleAll();
        queue.add({fixture.file("e.png"), fixture.file("f.png")}, false);
        settlePictures(fixture);
        record("add-more");
    } else if (scenario == "finish") {
        for (auto name : {"a.png", "b.png"})
            test::writeFile(fixture.file(name));
        queue.addDemonstration(fixture.file("b.png"), MediaKind::image, JobStatus::cancelled());
        queue.add({fixture.file("a.png")}, true);
        test::settle([&] { return queue.jobs()[1]->status().is(JobStatus::Case::running); });
        fixture.script.report({UpscaleProgress::Stage::upscaling, 0.5, network});
        test::settle([&] {
            return queue.jobs()[1]->status().progress() &&
                   queue.jobs()[1]->status().progress()->fraction > 0.4;
        });
        settlePictures(fixture);
        settleAll();
        shot(dir, "finish-rest");
        fixture.script.end(test::ScriptedPipeline::resultFor(fixture.file("a.png")));
        test::settle([&] {
            return queue.jobs()[1]->status().is(JobStatus::Case::done) && !queue.isWorking();
        });
        settlePictures(fixture);
        record("finish");
        settleAll();
        shot(dir, "finish-end");
    } else if (scenario == "retry") {
        for (auto name : {"a.png", "b.png"})
            test::writeFile(fixture.file(name));
        queue.addDemonstration(fixture.file("a.png"), MediaKind::image,
                               JobStatus::failed("Не удалось прочитать файл."));
        queue.addDemonstration(fixture.file("b.png"), MediaKind::image, JobStatus::cancelled());
        settlePictures(fixture);
        settleAll();
        shot(dir, "retry-rest");
        queue.retry(queue.jobs()[0]);
        test::settle([&] { return queue.jobs()[0]->status().is(JobStatus::Case::running); });
        settlePictures(fixture);
        record("retry");
        queue.retry(queue.jobs()[1]);
        settlePictures(fixture);
        record("retry-waiting");
    } else if (scenario == "cancel") {
        for (auto name : {"a.png", "b.png", "c.png", "d.png"})
            test::writeFile(fixture.file(name));
        queue.add({fixture.file("a.png"), fixture.file("b.png"), fixture.file("c.png"),
                   fixture.file("d.png")},
                  true);
        test::settle([&] { return queue.jobs()[0]->status().is(JobStatus::Case::running); });
        settlePictures(fixture);
        settleAll();
        shot(dir, "cancel-rest");
        queue.cancel(queue.jobs()[1]);
        record("cancel-waiting");
        queue.cancel(queue.jobs()[0]);
        test::settle([&] {
            return queue.jobs()[0]->status().is(JobStatus::Case::cancelled) &&
                   queue.jobs()[2]->status().is(JobStatus::Case::running);
        });
        settlePictures(fixture);
        record("cancel-running");
        queue.cancelAll();
        test::settle([&] { return !queue.isWorking(); });
        settlePictures(fixture);
        record("cancel-all");
    }
    fixture.script.shutDown();
    return 0;
}
