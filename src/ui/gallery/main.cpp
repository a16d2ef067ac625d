// clarivex-gallery: every visual component on one page.
//
//   clarivex-gallery                    live, animated
//   clarivex-gallery --png FILE         one still frame, rendered offscreen, written as PNG
//   clarivex-gallery --seconds N        quit after N seconds (for measuring idle CPU use)
//   clarivex-gallery --reduce-motion    as with CLARIVEX_REDUCE_MOTION=1
//   clarivex-gallery --page window      the parts of the main window instead of the components

#include "ui/gallery/gallery_window.h"

#include "ui/animation/frame_clock.h"
#include "ui/animation/reduce_motion.h"
#include "ui/paint/theme.h"
#include "ui/widgets/pill_button.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <optional>
#include <string>

namespace {

struct Arguments {
    std::optional<QString> png;
    std::optional<double> seconds;
    bool reduceMotion = false;
    clarivex::gallery::GalleryWindow::Page page =
        clarivex::gallery::GalleryWindow::Page::components;
};

Arguments parse(int argc, char** argv) {
    Arguments arguments;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--png" && i + 1 < argc)
            arguments.png = QString::fromLocal8Bit(argv[++i]);
        else if (argument == "--seconds" && i + 1 < argc)
            arguments.seconds = std::stod(argv[++i]);
        else if (argument == "--reduce-motion")
            arguments.reduceMotion = true;
        else if (argument == "--page" && i + 1 < argc && std::string(argv[++i]) == "window")
            arguments.page = clarivex::gallery::GalleryWindow::Page::window;
    }
    return arguments;
}

// A still frame at a chosen moment: the clock is frozen, the springs are let settle, then the
// confetti and the shine are caught in mid-flight and both emblems mid-cycle.
int writePng(clarivex::gallery::GalleryWindow& window, const QString& file) {
    using clarivex::FrameClock;
    constexpr double settleAt = 105.88;
    constexpr double burstAge = 0.42;
    FrameClock& clock = FrameClock::instance();
    window.show();
    QApplication::processEvents();
    if (auto* pressed = window.findChild<clarivex::PillButton*>("pressedButton"))
        Q_EMIT pressed->pressed();
    clock.advanceTo(settleAt - 3.0);
    clock.advanceTo(settleAt);
    window.celebrate();
    // The percentage caught mid-roll.
    clock.advanceTo(settleAt + burstAge - 0.1);
    window.advance();
    clock.advanceTo(settleAt + burstAge);
    QApplication::processEvents();
    if (!window.grab().save(file, "PNG")) {
        std::fprintf(stderr, "clarivex-gallery: cannot write %s\n", qPrintable(file));
        return 1;
    }
    std::printf("%s\n", qPrintable(file));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const Arguments arguments = parse(argc, argv);
    if (arguments.png && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication application(argc, argv);
    clarivex::Theme::install(application);
    if (arguments.reduceMotion)
        clarivex::ReduceMotion::setOverride(true);
    if (arguments.png)
        clarivex::FrameClock::instance().setManualTime(100.0);

    clarivex::gallery::GalleryWindow window(arguments.page);
    if (arguments.png)
        return writePng(window, *arguments.png);

    if (arguments.seconds)
        QTimer::singleShot(int(*arguments.seconds * 1000), &application, &QApplication::quit);
    window.show();
    return application.exec();
}
