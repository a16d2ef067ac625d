#include "ui/widgets/celebration_burst.h"

#include "ui/animation/reduce_motion.h"
#include "ui/paint/shapes.h"
#include "ui/paint/theme.h"

#include <QPainter>
#include <QRandomGenerator>

#include <array>
#include <cmath>
#include <numbers>

namespace clarivex {

namespace {

std::array<QColor, 5> palette() {
    return {Theme::accent(), Theme::accentGlow(), QColor(Qt::white), Theme::color(0xFFC46B),
            Theme::accentDeep()};
}

double uniform(QRandomGenerator& random, double low, double high) {
    return low + (high - low) * random.generateDouble();
}

} // namespace

std::vector<Particle> BurstScene::makeParticles() {
    QRandomGenerator& random = *QRandomGenerator::global();
    const auto colors = palette();
    std::vector<Particle> particles;
    particles.reserve(particleCount);
    for (int i = 0; i < particleCount; ++i) {
        Particle particle;
        particle.angle = uniform(random, 0.0, 2.0 * std::numbers::pi);
        particle.speed = uniform(random, 160.0, 520.0);
        particle.size = uniform(random, 4.0, 10.0);
        particle.color = colors[random.bounded(quint32(colors.size()))];
        particle.spin = uniform(random, -9.0, 9.0);
        particle.square = random.bounded(2) == 0;
        particles.push_back(particle);
    }
    return particles;
}

QPointF BurstScene::origin(const QSizeF& size) {
    return {size.width() / 2.0, 0.45 * size.height()};
}

BurstScene::Flash BurstScene::flash(const QSizeF& size, double seconds) {
    return {origin(size), 60.0 + 220.0 * seconds, 0.45 * std::max(0.0, 1.0 - seconds / 0.35)};
}

double BurstScene::fade(double seconds) {
    return std::max(0.0, 1.0 - seconds / duration);
}

BurstScene::Piece BurstScene::piece(const Particle& particle, const QSizeF& size, double seconds) {
    const double travel = 1.0 - 0.28 * seconds;
    const double drop = 260.0 * seconds * seconds;
    const double distance = particle.speed * seconds * travel;
    const QPointF centre = origin(size);
    return {QPointF(centre.x() + std::cos(particle.angle) * distance,
                    centre.y() + std::sin(particle.angle) * distance + drop),
            particle.spin * seconds, particle.size * (1.0 - 0.35 * seconds), fade(seconds)};
}

bool BurstScene::drawsAt(double seconds) {
    return seconds >= 0.0 && seconds < duration;
}

CelebrationBurst::CelebrationBurst(QWidget* parent)
    : QWidget(parent)
    , ticker_([this](double now) { tick(now); }) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

std::optional<double> CelebrationBurst::elapsed() const {
    if (!start_)
        return std::nullopt;
    return FrameClock::now() - *start_;
}

void CelebrationBurst::setTrigger(int trigger) {
    trigger_.take(
        trigger, [this](int value) { Q_EMIT triggerChanged(value); }, [this] { burst(); });
}

void CelebrationBurst::burst() {
    if (ReduceMotion::enabled())
        return;
    particles_ = BurstScene::makeParticles();
    // A second success during a burst restarts it with its full time; an earlier burst's end
    // must not cut the new one short.
    start_ = FrameClock::now();
    if (isVisible())
        ticker_.start();
    update();
}

void CelebrationBurst::tick(double now) {
    if (start_ && now - *start_ >= BurstScene::resetAfter) {
        start_.reset();
        ticker_.stop();
    }
    update();
}

void CelebrationBurst::showEvent(QShowEvent* event) {
    if (start_)
        ticker_.start();
    QWidget::showEvent(event);
}

void CelebrationBurst::hideEvent(QHideEvent* event) {
    // Nobody watches a hidden burst; it is over rather than postponed.
    ticker_.stop();
    start_.reset();
    QWidget::hideEvent(event);
}

void CelebrationBurst::paintEvent(QPaintEvent*) {
    if (!start_)
        return;
    const double seconds = FrameClock::now() - *start_;
    if (!BurstScene::drawsAt(seconds))
        return;
    const QSizeF canvas(size());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);

    const BurstScene::Flash flash = BurstScene::flash(canvas, seconds);
    if (flash.opacity > 0.0) {
        QRadialGradient light(flash.centre, flash.radius);
        light.setColorAt(0.0, Theme::withOpacity(Theme::accentGlow(), flash.opacity));
        light.setColorAt(1.0, Theme::withOpacity(Theme::accentGlow(), 0.0));
        painter.setBrush(light);
        painter.drawEllipse(flash.centre, flash.radius, flash.radius);
    }

    for (const Particle& particle : particles_) {
        const BurstScene::Piece piece = BurstScene::piece(particle, canvas, seconds);
        if (piece.side <= 0.0)
            continue;
        painter.save();
        painter.setOpacity(piece.opacity);
        painter.translate(piece.position);
        painter.rotate(piece.rotation * 180.0 / std::numbers::pi);
        const qreal side = piece.side;
        if (particle.square) {
            painter.fillRect(QRectF(-side / 2.0, -side / 2.0, side, side), particle.color);
        } else {
            painter.fillPath(continuousRoundedRect(
                                 QRectF(-side / 2.0, -side / 2.0, side, 0.45 * side), 0.2 * side),
                             particle.color);
        }
        painter.restore();
    }
}

} // namespace clarivex
