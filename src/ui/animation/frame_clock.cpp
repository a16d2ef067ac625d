#include "ui/animation/frame_clock.h"

#include <algorithm>
#include <chrono>

namespace clarivex {

namespace {

// About one display frame; Qt's own animations use the same period.
constexpr int frameMilliseconds = 16;
// Timers fire a little early or late; without slack a 1/30 s limit on a 1/60 s timer would
// drop to 20 frames per second.
constexpr double intervalSlack = 0.004;

const std::chrono::steady_clock::time_point epoch = std::chrono::steady_clock::now();

} // namespace

FrameClock& FrameClock::instance() {
    static FrameClock* clock = new FrameClock;
    return *clock;
}

FrameClock::FrameClock() {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(frameMilliseconds);
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
    updateTimer();
}

void FrameClock::advanceTo(double seconds) {
    manualTime_ = seconds;
    updateTimer();
    deliverFrame();
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
    // A frame callback may stop, start or even delete tickers, so walk a copy and skip those
    // that left in the meantime.
    const std::vector<FrameTicker*> snapshot = tickers_;
    for (FrameTicker* ticker : snapshot) {
        if (std::find(tickers_.begin(), tickers_.end(), ticker) != tickers_.end())
            ticker->fire(time);
    }
}

void FrameClock::updateTimer() {
    const bool wanted = !tickers_.empty() && !manualTime_;
    if (wanted && !timer_.isActive())
        timer_.start();
    else if (!wanted && timer_.isActive())
        timer_.stop();
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
    FrameClock::instance().add(this);
}

void FrameTicker::stop() {
    if (!active_)
        return;
    active_ = false;
    FrameClock::instance().remove(this);
}

void FrameTicker::fire(double now) {
    if (minimumInterval_ > 0.0 && now - lastFrame_ < minimumInterval_ - intervalSlack)
        return;
    lastFrame_ = now;
    onFrame_(now);
}

} // namespace clarivex
