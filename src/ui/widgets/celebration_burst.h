#pragma once

#include "ui/animation/frame_clock.h"
#include "ui/animation/trigger_counter.h"

#include <QColor>
#include <QWidget>

#include <optional>
#include <vector>

namespace clarivex {

// One piece of confetti, fixed when a burst fires.
struct Particle {
    double angle = 0.0; // radians
    double speed = 0.0; // points per second
    double size = 0.0;  // points
    QColor color;
    double spin = 0.0; // radians per second
    bool square = false;

    bool operator==(const Particle&) const = default;
};

// The burst as a function of time since it fired: pure arithmetic for the view and its tests.
struct BurstScene {
    static constexpr int particleCount = 90;
    static constexpr double duration = 1.6;
    // A short tail after the last drawn frame, kept from the design's timing.
    static constexpr double resetAfter = 1.7;

    struct Flash {
        QPointF centre;
        qreal radius = 0.0;
        // accentGlow's opacity at the centre.
        qreal opacity = 0.0;
    };
    struct Piece {
        QPointF position;
        qreal rotation = 0.0; // radians
        qreal side = 0.0;
        qreal opacity = 0.0;
    };

    // 90 fresh particles with independent uniform values.
    static std::vector<Particle> makeParticles();
    static QPointF origin(const QSizeF& size);
    static Flash flash(const QSizeF& size, double seconds);
    static double fade(double seconds);
    static Piece piece(const Particle& particle, const QSizeF& size, double seconds);
    // True while anything is drawn: from the moment of firing until just before 1.6 s.
    static bool drawsAt(double seconds);
};

// A short confetti burst with a flash, fired by each change of its trigger (not its first
// value): 90 pieces fly out, fall, spin and fade within 1.6 s. It takes no input and redraws
// only while a burst plays. With reduce motion on, nothing plays. Main thread only.
class CelebrationBurst : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int trigger READ trigger WRITE setTrigger NOTIFY triggerChanged)
public:
    explicit CelebrationBurst(QWidget* parent = nullptr);

    void setTrigger(int trigger);
    int trigger() const { return trigger_.value(); }
    bool isPlaying() const { return start_.has_value(); }
    // Seconds since the burst fired, or none when idle.
    std::optional<double> elapsed() const;
    const std::vector<Particle>& particles() const { return particles_; }

Q_SIGNALS:
    void triggerChanged(int trigger);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void burst();
    void tick(double now);

    TriggerCounter trigger_;
    std::optional<double> start_;
    std::vector<Particle> particles_;
    FrameTicker ticker_;
};

} // namespace clarivex
