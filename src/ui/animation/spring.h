#pragma once

namespace clarivex {

// A damped spring as designers give it: `response` is the period of the undamped oscillation in
// seconds, `dampingFraction` the ratio to critical damping (1 = critical, below 1 overshoots).
struct SpringParameters {
    double response = 0.38;
    double dampingFraction = 0.86;

    // For a unit mass.
    double stiffness() const;
    double damping() const;

    bool operator==(const SpringParameters&) const = default;
};

// One flight of a spring from `from` towards `to`, starting with `velocity`, solved in closed
// form so that any moment can be asked for directly (tests and frame drops alike). A value type;
// retargeting mid-flight is a new Spring that starts at the old one's value and velocity.
class Spring {
public:
    Spring() = default;
    Spring(SpringParameters parameters, double from, double to, double velocity = 0.0);

    double value(double seconds) const;
    double velocity(double seconds) const;
    // True once the motion is too small to see: within 0.1 % of the travel (at least 1e-4) and
    // slower than that per 1/60 s.
    bool settled(double seconds) const;

    double target() const { return to_; }
    SpringParameters parameters() const { return parameters_; }

private:
    SpringParameters parameters_;
    double to_ = 0.0;
    double displacement_ = 0.0;
    double startVelocity_ = 0.0;
    double tolerance_ = 1e-4;
};

} // namespace clarivex
