// The parts the main window is built from, each on its own.
#include "ui/animation/appearance.h"
#include "ui/animation/frame_clock.h"
#include "ui/animation/reduce_motion.h"
#include "ui/paint/theme.h"
#include "ui/widgets/ambient_background.h"
#include "ui/widgets/clamped_label.h"
#include "ui/widgets/drop_hero.h"
#include "ui/widgets/glow_bar.h"
#include "ui/widgets/loop_fade_stepper.h"
#include "ui/widgets/option_tile.h"
#include "ui/widgets/pill_button.h"
#include "ui/widgets/pixel_resolve_icon.h"
#include "ui/widgets/stage_placeholder.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

namespace clarivex {
namespace {

class WindowParts : public ::testing::Test {
protected:
    void TearDown() override { ReduceMotion::setOverride(false); }
};

TEST_F(WindowParts, StepperStepsByHalfSecondsWithinItsRange) {
    const struct {
        double from;
        int steps;
        double to;
    } cases[] = {{3.0, 1, 3.0}, {0.5, -1, 0.5}, {1.3, 1, 2.0}};
    for (const auto& entry : cases)
        EXPECT_EQ(LoopFadeStepper::stepped(entry.from, entry.steps), entry.to) << entry.from;

    LoopFadeStepper stepper;
    QSignalSpy changed(&stepper, &LoopFadeStepper::valueChanged);
    stepper.setValue(9.0);
    EXPECT_EQ(stepper.value(), 3.0);
    const QList<QAbstractButton*> buttons = stepper.findChildren<QAbstractButton*>();
    ASSERT_EQ(buttons.size(), 2);
    EXPECT_TRUE(buttons[0]->isEnabled());
    EXPECT_FALSE(buttons[1]->isEnabled());
    buttons[0]->click();
    EXPECT_EQ(stepper.value(), 2.5);
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(WindowParts, InvitationOpensFromAnywhereInsideItsFrameAndGrowsWholeUnderADrag) {
    DropHero hero;
    hero.resize(700, 560);
    hero.show();
    QSignalSpy clicked(&hero, &QAbstractButton::clicked);
    const QRectF frame = hero.frameRect();
    // A transparent part inside the rounded frame counts; its cut corner and the glow room do
    // not.
    QTest::mouseClick(&hero, Qt::LeftButton, {}, (frame.topLeft() + QPointF(40, 40)).toPoint());
    QTest::mouseClick(&hero, Qt::LeftButton, {}, (frame.topLeft() + QPointF(2, 2)).toPoint());
    QTest::mouseClick(&hero, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(clicked.count(), 1);

    // The emblem, a widget of its own, grows with the frame about the frame's centre.
    const auto emblem = [&hero] {
        return hero.icon()->drawnCanvasRect().translated(hero.icon()->pos());
    };
    const QRectF rest = emblem();
    hero.setTargeted(true);
    FrameClock::instance().advanceTo(FrameClock::now());
    FrameClock::instance().advanceTo(FrameClock::now() + 10.0);
    ASSERT_GT(hero.scale(), 1.01);
    EXPECT_NEAR(emblem().width(), rest.width() * hero.scale(), 0.01);
    EXPECT_NEAR(emblem().top() - frame.center().y(),
                (rest.top() - frame.center().y()) * hero.scale(), 0.01);
}

TEST_F(WindowParts, AnOptionTilesLongSubtitleIsCutOnOneLine) {
    OptionTile tile("film.stack", "Видео",
                    "Очень длинная подпись, которая никак не помещается в одну строку плитки");
    tile.resize(220, tile.heightForWidth(220));
    const QString visible = tile.visibleSubtitle();
    EXPECT_TRUE(visible.endsWith(QChar(0x2026))) << visible.toStdString();
    EXPECT_LE(QFontMetricsF(tile.font()).height(), tile.textRect().height());
}

TEST_F(WindowParts, AnimatedPartsTickOnlyWhileShownAndMotionIsWelcome) {
    const std::function<std::unique_ptr<QWidget>()> makers[] = {
        [] { return std::make_unique<GlowBar>(); },
        [] { return std::make_unique<PixelResolveIcon>(); },
        [] { return std::make_unique<AmbientBackground>(); },
        [] { return std::make_unique<StagePlaceholder>(); },
    };
    FrameClock& clock = FrameClock::instance();
    const int before = clock.activeTickerCount();
    for (const auto& make : makers) {
        for (const bool reduce : {false, true}) {
            ReduceMotion::setOverride(reduce);
            const std::unique_ptr<QWidget> part = make();
            part->resize(300, 200);
            EXPECT_EQ(clock.activeTickerCount(), before);
            part->show();
            EXPECT_EQ(clock.activeTickerCount(), before + !reduce)
                << part->metaObject()->className() << reduce;
            part->hide();
            EXPECT_EQ(clock.activeTickerCount(), before);
        }
    }
}

TEST_F(WindowParts, TheBackdropNeverSleepsThroughAVisibleMove) {
    FrameClock& clock = FrameClock::instance();
    AmbientBackground backdrop;
    backdrop.resize(1180, 760);
    const QSizeF canvas(backdrop.size());
    const qreal visible = AmbientScene::visibleShift(canvas, 1.0);
    // One frame of drift is the most a redraw may lag behind.
    const qreal lag = AmbientScene::fastestDrift(canvas) * AmbientScene::frameInterval;
    clock.advanceTo(7000.0);
    backdrop.show();
    int redraws = 0;
    double shown = backdrop.sceneTime();
    for (double now = 7000.0; now < 7060.0; now += AmbientScene::frameInterval) {
        clock.advanceTo(now);
        const auto was = AmbientScene::blobs(canvas, backdrop.sceneTime(), 1.0);
        const auto is = AmbientScene::blobs(canvas, now, 1.0);
        for (size_t i = 0; i < is.size(); ++i) {
            const QPointF moved = is[i].centre - was[i].centre;
            ASSERT_LT(std::hypot(moved.x(), moved.y()), visible + lag) << now;
        }
        redraws += backdrop.sceneTime() != shown;
        shown = backdrop.sceneTime();
    }
    EXPECT_GT(redraws, 10);
}

TEST_F(WindowParts, TheEmblemSkipsOnlyFramesThatWouldLookTheSame) {
    FrameClock& clock = FrameClock::instance();
    PixelResolveIcon icon;
    icon.resize(icon.sizeHint());
    const auto pictureAt = [&icon, &clock](double seconds) {
        clock.advanceTo(seconds);
        return icon.grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    };
    // The bound it sleeps by holds for the pixels: two moments on one level lie apart by their
    // change in progress times the bound, and no more (but for the rounding of two blends).
    const QImage sharp = pictureAt(7100.0 + 1.0);
    const double steps = icon.colourStepsPerProgress();
    const double sharpProgress = icon.shownProgress();
    for (const double later : {1.01, 1.1, 1.4}) {
        const QImage other = pictureAt(7100.0 + later);
        ASSERT_EQ(PixelResolveScene::level(icon.shownProgress()),
                  PixelResolveScene::level(sharpProgress));
        int most = 0;
        for (int y = 0; y < sharp.height(); ++y) {
            for (int x = 0; x < sharp.width(); ++x) {
                const QRgb a = sharp.pixel(x, y);
                const QRgb b = other.pixel(x, y);
                most = std::max({most, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                 std::abs(qBlue(a) - qBlue(b))});
            }
        }
        EXPECT_LE(most, steps * std::abs(icon.shownProgress() - sharpProgress) + 2.0) << later;
        EXPECT_GT(most, 0) << later;
    }

    // Shown, for a whole cycle at rest and one while active: at every display frame the tile
    // on screen is on the exact grid level and under a colour step from the exact picture.
    clock.advanceTo(7200.0);
    icon.show();
    for (const bool active : {false, true}) {
        icon.setActive(active);
        const double cycle =
            2.0 * M_PI / (active ? PixelResolveScene::activeSpeed : PixelResolveScene::idleSpeed);
        const double start = active ? 7220.0 : 7200.0;
        int frames = 0;
        int paints = 0;
        double shown = icon.shownProgress();
        for (double now = start; now < start + cycle; now += 1.0 / 60.0) {
            clock.advanceTo(now);
            QCoreApplication::processEvents();
            const double exact = icon.currentProgress();
            ASSERT_EQ(PixelResolveScene::level(icon.shownProgress()),
                      PixelResolveScene::level(exact))
                << now;
            ASSERT_LT(std::abs(icon.shownProgress() - exact) * steps, 1.0) << now;
            ++frames;
            paints += icon.shownProgress() != shown;
            shown = icon.shownProgress();
        }
        EXPECT_LT(paints, frames * 3 / 4) << active;
        EXPECT_GT(paints, 20) << active;
    }

    // A repaint of a small part of the tile leaves the rest of it as old as it was.
    const double before = icon.shownProgress();
    clock.setManualTime(7240.5);
    icon.repaint(icon.rect().center().x(), icon.rect().center().y(), 4, 4);
    EXPECT_EQ(icon.shownProgress(), before);
    icon.repaint();
    EXPECT_EQ(icon.shownProgress(), icon.currentProgress());
}

TEST_F(WindowParts, AClampedLabelShowsAtMostThreeWholeLinesWithTheRestInItsTooltip) {
    QString seven;
    for (int line = 1; line <= 7; ++line)
        seven += QStringLiteral("Сбой движка на шаге %1, код -9\n").arg(line);
    const QString longWord = QString(200, QLatin1Char('x'));
    const struct {
        QString text;
        int width;
        bool clamped;
    } cases[] = {
        {QStringLiteral("Не удалось прочитать файл."), 330, false},
        {seven, 330, true},
        {longWord, 200, true},
        {QStringLiteral("Файл занят"), 40, false},
    };
    for (const auto& c : cases) {
        ClampedLabel label(c.text, 3, Theme::body(12), Theme::muted());
        label.resize(c.width, label.heightForWidth(c.width));
        label.show();
        const QStringList lines = label.linesAt(c.width);
        EXPECT_LE(lines.size(), 3) << c.width;
        for (const QString& line : lines)
            EXPECT_LE(QFontMetricsF(label.font()).horizontalAdvance(line), c.width)
                << line.toStdString();
        EXPECT_EQ(label.isClamped(), c.clamped) << c.width;
        EXPECT_EQ(label.toolTip(), c.clamped ? c.text : QString());
        EXPECT_EQ(label.text(), lines.join(QLatin1Char('\n')));
        // Whole lines: the height holds exactly the lines shown.
        EXPECT_EQ(label.height(),
                  int(std::ceil(lines.size() * QFontMetricsF(label.font()).lineSpacing())));
    }
}

TEST_F(WindowParts, AClampedLabelsLastLineIsALineOfTheTextEndingInAnEllipsisWhenMoreWasCut) {
    // An engine's eight short lines: lines four to eight together would fit the width, and
    // were once run together into the third.
    QString engine;
    for (int line = 1; line <= 8; ++line)
        engine += QStringLiteral("строка %1\n").arg(line);
    const struct {
        QString text;
        QStringList lines;
    } cases[] = {
        {engine, {"строка 1", "строка 2", "строка 3…"}},
        {QStringLiteral("первая\nвторая\nтретья\n"), {"первая", "вторая", "третья"}},
        {QStringLiteral("одна\n\nпосле пустой"), {"одна", "", "после пустой"}},
    };
    for (const auto& c : cases) {
        ClampedLabel label(c.text, 3, Theme::body(12), Theme::muted());
        label.resize(400, label.heightForWidth(400));
        label.show();
        EXPECT_EQ(label.linesAt(400), c.lines) << c.text.toStdString();
        EXPECT_EQ(label.toolTip(), c.lines.back().endsWith(QChar(0x2026)) ? c.text : QString());
    }
}

TEST_F(WindowParts, AViewInMotionIsDrawnWholeWithinItsRectangleAndRestsWithoutAnEffect) {
    // A view with a glowing child, coming in on a black window: at each instant it is drawn
    // whole (the child's own effect included) and nothing of it falls outside its rectangle.
    QWidget window;
    window.resize(400, 300);
    QPalette palette;
    palette.setColor(QPalette::Window, Qt::black);
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    auto* view = new QWidget(&window);
    view->setGeometry(80, 80, 240, 140);
    auto* button = new PillButton(QStringLiteral("Открыть"), {}, view);
    button->setGeometry(60, 50, 120, 40);
    window.show();
    Appearance appearance(view, {0.97, {}}, Theme::spring());
    appearance.enter();
    double now = FrameClock::now();
    // However long the view took to come, its first frame shows it away.
    FrameClock::instance().advanceTo(now += 0.15);
    EXPECT_EQ(appearance.amount(), 0.0);
    for (double step : {0.03, 0.08}) {
        FrameClock::instance().advanceTo(now += step);
        ASSERT_GT(appearance.amount(), 0.05);
        ASSERT_LT(appearance.amount(), 0.99);
        const QImage frame = window.grab().toImage();
        for (int y = 0; y < frame.height(); ++y) {
            for (int x = 0; x < frame.width(); ++x) {
                if (!view->geometry().contains(x, y)) {
                    ASSERT_EQ(frame.pixel(x, y), qRgb(0, 0, 0)) << x << "," << y;
                }
            }
        }
        const QColor centre = frame.pixelColor(view->geometry().center());
        EXPECT_GT(centre.red(), 40 * appearance.amount()) << "the button is drawn";
    }
    FrameClock::instance().advanceTo(now += 10.0);
    EXPECT_EQ(appearance.amount(), 1.0);
    EXPECT_EQ(view->graphicsEffect(), nullptr);
}

} // namespace
} // namespace clarivex
