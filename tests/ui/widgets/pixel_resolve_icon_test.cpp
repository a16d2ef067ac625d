#include "ui/animation/frame_clock.h"
#include "ui/widgets/pixel_resolve_icon.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace clarivex {
namespace {

TEST(PixelResolveIconTest, TheEmblemSkipsOnlyFramesThatWouldLookTheSame) {
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

} // namespace
} // namespace clarivex
