#include "ui/animation/frame_clock.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

namespace clarivex {

namespace {

// About one display frame; Qt's own animations use the same period.
constexpr int frameMilliseconds = 16;
// Timers fire a little early or late; without slack a 1/30 s limit on a 1/60 s timer would
// drop to 20 frames per second.
constexpr double intervalSlack = 0.004;
// A sleeping clock still wakes now and then, so that a clock time far ahead (or a ticker that
// never wakes) cannot overflow the timer.
constexpr int maximumSleep = 60 * 1000;

const std::chrono::steady_clock::time_point epoch = std::chrono::steady_clock::now();

} // namespace

FrameClock& FrameClock::instance() {
    static FrameClock* clock = new FrameClock;
    return *clock;
}

FrameClock::FrameClock() {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] { deliverFrame(); });
}

double FrameClock::now() {
    return instance().currentTime();
}

double FrameClock::currentTime() const {
    if (manualTime_)
        return *manualTime_;
    const auto elapsed = std::chrono::steady_clock::now() - epoch;
    return std::chrono::duration<double>(elapsed).count();
}

void FrameClock::setManualTime(double seconds) {
    manualTime_ = seconds;
    updateTimer();
}

void FrameClock::clearManualTime() {
    manualTime_.reset();
    // The frozen time's last frame says nothing about the running clock's cadence.
    lastDelivery_ = -1e300;
    updateTimer();
}

void FrameClock::advanceTo(double seconds) {
    manualTime_ = seconds;
    updateTimer();
    deliverFrame();
}

void FrameClock::setHeld(bool held) {
    if (held_ == held)
        return;
    held_ = held;
    updateTimer();
}

void FrameClock::add(FrameTicker* ticker) {
    if (std::find(tickers_.begin(), tickers_.end(), ticker) == tickers_.end())
        tickers_.push_back(ticker);
    updateTimer();
}

void FrameClock::remove(FrameTicker* ticker) {
    std::erase(tickers_, ticker);
    updateTimer();
}

void FrameClock::deliverFrame() {
    const double time = currentTime();
    lastDelivery_ = time;
    // A frame callback may stop, start or even delete tickers, so walk a copy and skip those
    // that left in the meantime.
    const std::vector<FrameTicker*> snapshot = tickers_;
    for (FrameTicker* ticker : snapshot) {
        if (std::find(tickers_.begin(), tickers_.end(), ticker) != tickers_.end())
            ticker->fire(time);
    }
    updateTimer();
}

void FrameClock::updateTimer() {
    if (tickers_.empty() || manualTime_ || held_) {
        timer_.stop();
        return;
    }
    double due = std::numeric_limits<double>::infinity();
    for (const FrameTicker* ticker : tickers_)
        due = std::min(due, ticker->dueTime());
    // Frames keep their cadence: the next one comes a frame after the last, or when the first
    // ticker is due if that is later.
    const double now = currentTime();
    const double next = std::max(due, lastDelivery_ + frameMilliseconds / 1000.0);
    const int interval =
        int(std::clamp(std::ceil((next - now) * 1000.0), 0.0, double(maximumSleep)));
    timer_.start(interval);
}

std::optional<int> FrameClock::timerInterval() const {
    if (!timer_.isActive())
        return std::nullopt;
    return timer_.interval();
}

FrameTicker::FrameTicker(std::function<void(double)> onFrame, double minimumInterval)
    : onFrame_(std::move(onFrame))
    , minimumInterval_(minimumInterval) {}

FrameTicker::~FrameTicker() {
    stop();
}

void FrameTicker::start() {
    if (active_)
        return;
    active_ = true;
    lastFrame_ = -1e300;
    sleepsUntil_ = -1e300;
    FrameClock::instance().add(this);
}

void FrameTicker::sleepUntil(double seconds) {
    sleepsUntil_ = seconds;
    if (active_)
        FrameClock::instance().updateTimer();
}

double FrameTicker::dueTime() const {
    const double paced =
        minimumInterval_ > 0.0 ? lastFrame_ + minimumInterval_ - intervalSlack : -1e300;
    return std::max(paced, sleepsUntil_);
}

void FrameTicker::stop() {
    if (!active_)
        return;
    active_ = false;
    FrameClock::instance().remove(this);
}

void FrameTicker::fire(double now) {
    if (now < dueTime())
        return;
    lastFrame_ = now;
    sleepsUntil_ = -1e300;
    onFrame_(now);
}

} // namespace clarivex
