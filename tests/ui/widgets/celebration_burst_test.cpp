#include "ui/widgets/celebration_burst.h"

#include "ui/animation/frame_clock.h"
#include "ui/animation/reduce_motion.h"
#include "ui/rendering.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace clarivex {
namespace {

TEST(BurstSceneTest, ConfettiFadesOutAt1Point6Seconds) {
    EXPECT_DOUBLE_EQ(BurstScene::fade(0.0), 1.0);
    EXPECT_NEAR(BurstScene::fade(0.8), 0.5, 1e-12);
    EXPECT_LT(BurstScene::fade(1.5999), 1e-3);
    EXPECT_GT(BurstScene::fade(1.5999), 0.0);
    EXPECT_EQ(BurstScene::fade(1.6), 0.0);
    EXPECT_EQ(BurstScene::fade(2.0), 0.0);
    EXPECT_TRUE(BurstScene::drawsAt(1.5999));
    EXPECT_FALSE(BurstScene::drawsAt(1.6));
}

TEST(BurstSceneTest, FlashGrowsAndIsGoneAfterAThirdOfASecond) {
    const QSizeF size(1000, 600);
    const BurstScene::Flash start = BurstScene::flash(size, 0.0);
    EXPECT_EQ(start.centre, QPointF(500, 270));
    EXPECT_DOUBLE_EQ(start.radius, 60.0);
    EXPECT_DOUBLE_EQ(start.opacity, 0.45);
    EXPECT_DOUBLE_EQ(BurstScene::flash(size, 0.35).opacity, 0.0);
    EXPECT_DOUBLE_EQ(BurstScene::flash(size, 1.0).radius, 280.0);
}

TEST(BurstSceneTest, PieceFliesOutSlowsFallsAndShrinks) {
    Particle particle{0.0, 100.0, 10.0, Qt::white, 2.0, true};
    const BurstScene::Piece piece = BurstScene::piece(particle, QSizeF(1000, 600), 1.0);
    EXPECT_NEAR(piece.position.x(), 500.0 + 72.0, 1e-9);
    EXPECT_NEAR(piece.position.y(), 270.0 + 260.0, 1e-9);
    EXPECT_DOUBLE_EQ(piece.rotation, 2.0);
    EXPECT_NEAR(piece.side, 6.5, 1e-12);
    EXPECT_NEAR(piece.opacity, 1.0 - 1.0 / 1.6, 1e-12);

    particle.angle = std::numbers::pi / 2.0;
    EXPECT_NEAR(BurstScene::piece(particle, QSizeF(1000, 600), 0.5).position.y(),
                270.0 + 100.0 * 0.5 * 0.86 + 65.0, 1e-9);
}

TEST(BurstSceneTest, MakesNinetyParticlesWithinTheirRanges) {
    const std::vector<Particle> particles = BurstScene::makeParticles();
    ASSERT_EQ(particles.size(), 90u);
    for (const Particle& particle : particles) {
        EXPECT_GE(particle.angle, 0.0);
        EXPECT_LT(particle.angle, 2.0 * std::numbers::pi);
        EXPECT_GE(particle.speed, 160.0);
        EXPECT_LE(particle.speed, 520.0);
        EXPECT_GE(particle.size, 4.0);
        EXPECT_LE(particle.size, 10.0);
        EXPECT_GE(particle.spin, -9.0);
        EXPECT_LE(particle.spin, 9.0);
    }
}

class CelebrationBurstTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock.advanceTo(7000.0);
        burst.resize(400, 300);
        burst.setTrigger(0);
        burst.show();
    }
    void TearDown() override { ReduceMotion::setOverride(false); }

    FrameClock& clock = FrameClock::instance();
    CelebrationBurst burst;
};

TEST_F(CelebrationBurstTest, FirstValueFiresNothingAndEachChangeOneBurst) {
    EXPECT_FALSE(burst.isPlaying());
    burst.setTrigger(1);
    EXPECT_TRUE(burst.isPlaying());
    EXPECT_EQ(burst.particles().size(), 90u);
    clock.advanceTo(7001.65);
    EXPECT_TRUE(burst.isPlaying());
    clock.advanceTo(7001.71);
    EXPECT_FALSE(burst.isPlaying());
}

TEST_F(CelebrationBurstTest, DrawsWhilePlayingAndNothingFrom1Point6On) {
    burst.setTrigger(1);
    clock.advanceTo(7000.1);
    const QImage during = testing::renderTransparent(burst);
    // The flash alone lights the burst's origin.
    EXPECT_GT(testing::pixel(during, 200, 135).alpha(), 0);

    clock.advanceTo(7001.6);
    ASSERT_TRUE(burst.isPlaying());
    const QImage after = testing::renderTransparent(burst);
    for (int y = 0; y < after.height(); y += 3) {
        for (int x = 0; x < after.width(); x += 3)
            ASSERT_EQ(qAlpha(after.pixel(x, y)), 0) << x << "," << y;
    }
}

TEST_F(CelebrationBurstTest, SecondSuccessGetsItsFullTime) {
    burst.setTrigger(1);
    clock.advanceTo(7001.0);
    burst.setTrigger(2);
    // 1.7 s after the first trigger the second burst is still on.
    clock.advanceTo(7001.75);
    EXPECT_TRUE(burst.isPlaying());
    EXPECT_NEAR(*burst.elapsed(), 0.75, 1e-9);
    clock.advanceTo(7002.71);
    EXPECT_FALSE(burst.isPlaying());
}

TEST_F(CelebrationBurstTest, ReduceMotionPlaysNoBurst) {
    ReduceMotion::setOverride(true);
    burst.setTrigger(5);
    EXPECT_FALSE(burst.isPlaying());
}

TEST_F(CelebrationBurstTest, HidingEndsTheBurst) {
    burst.setTrigger(1);
    burst.hide();
    EXPECT_FALSE(burst.isPlaying());
}

} // namespace
} // namespace clarivex
