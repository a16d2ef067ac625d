#include "ui/animation/spring.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace clarivex {

namespace {

constexpr double twoPi = 2.0 * std::numbers::pi;

double naturalFrequency(const SpringParameters& parameters) {
    return twoPi / std::max(parameters.response, 1e-3);
}

// Displacement from the target and its rate of change at time t.
struct Motion {
    double offset;
    double rate;
};

Motion solve(const SpringParameters& parameters, double x0, double v0, double t) {
    const double omega = naturalFrequency(parameters);
    const double zeta = std::max(parameters.dampingFraction, 0.0);
    if (zeta < 1.0 - 1e-9) {
        const double decay = zeta * omega;
        const double damped = omega * std::sqrt(1.0 - zeta * zeta);
        const double a = x0;
        const double b = (v0 + decay * x0) / damped;
        const double envelope = std::exp(-decay * t);
        const double c = std::cos(damped * t);
        const double s = std::sin(damped * t);
        return {envelope * (a * c + b * s),
                envelope * ((-decay * a + damped * b) * c + (-decay * b - damped * a) * s)};
    }
    if (zeta <= 1.0 + 1e-9) {
        const double b = v0 + omega * x0;
        const double envelope = std::exp(-omega * t);
        return {envelope * (x0 + b * t), envelope * (b - omega * (x0 + b * t))};
    }
    const double root = omega * std::sqrt(zeta * zeta - 1.0);
    const double r1 = -zeta * omega + root;
    const double r2 = -zeta * omega - root;
    const double b = (v0 - r1 * x0) / (r2 - r1);
    const double a = x0 - b;
    return {a * std::exp(r1 * t) + b * std::exp(r2 * t),
            r1 * a * std::exp(r1 * t) + r2 * b * std::exp(r2 * t)};
}

} // namespace

double SpringParameters::stiffness() const {
    const double omega = naturalFrequency(*this);
    return omega * omega;
}

double SpringParameters::damping() const {
    return 2.0 * dampingFraction * naturalFrequency(*this);
}

Spring::Spring(SpringParameters parameters, double from, double to, double velocity)
    : parameters_(parameters)
    , to_(to)
    , displacement_(from - to)
    , startVelocity_(velocity)
    , tolerance_(std::max(std::abs(from - to) * 1e-3, 1e-4)) {}

double Spring::value(double seconds) const {
    return to_ + solve(parameters_, displacement_, startVelocity_, std::max(seconds, 0.0)).offset;
}

double Spring::velocity(double seconds) const {
    return solve(parameters_, displacement_, startVelocity_, std::max(seconds, 0.0)).rate;
}

bool Spring::settled(double seconds) const {
    const Motion motion = solve(parameters_, displacement_, startVelocity_, std::max(seconds, 0.0));
    return std::abs(motion.offset) <= tolerance_ && std::abs(motion.rate) / 60.0 <= tolerance_;
}

} // namespace clarivex
