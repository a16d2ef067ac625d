#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>
#include <vector>

namespace clarivex {

class FrameTicker;

// The one clock and frame timer of every animation. Time is seconds since a process-wide epoch,
// so that views drawn at the same moment animate in step (two glow bars shimmer together). The
// timer runs only while some ticker is active, and sleeps until the first ticker is due when
// none wants the next frame, so a window whose animations wait wakes only when one is due.
// Tests freeze time and step it by hand, so no assertion ever depends on how fast the machine
// is. Main thread only.
class FrameClock : public QObject {
public:
    static FrameClock& instance();

    static double now();

    // Freezes time at `seconds`; from then on frames come only from advanceTo().
    void setManualTime(double seconds);
    void clearManualTime();
    bool isManual() const { return manualTime_.has_value(); }
    // Sets the manual time and delivers one frame to every active ticker.
    void advanceTo(double seconds);

    // While held, as when the window is covered by others, the timer stops and tickers keep
    // their places: on release the next frame comes at once and every animation shows where
    // the clock has got to.
    void setHeld(bool held);
    bool isHeld() const { return held_; }

    int activeTickerCount() const { return int(tickers_.size()); }
    // Milliseconds the timer waits before the next frame; nullopt while it is stopped.
    std::optional<int> timerInterval() const;

private:
    friend class FrameTicker;

    FrameClock();
    double currentTime() const;
    void add(FrameTicker* ticker);
    void remove(FrameTicker* ticker);
    void deliverFrame();
    void updateTimer();

    QTimer timer_;
    double lastDelivery_ = -1e300;
    std::vector<FrameTicker*> tickers_;
    std::optional<double> manualTime_;
    bool held_ = false;
};

// A subscription to the frame clock: while started, `onFrame(now)` runs once per frame, or at
// most once per `minimumInterval` seconds (the backdrop asks for 1/30 s), and not before the
// time given to sleepUntil().
class FrameTicker {
public:
    explicit FrameTicker(std::function<void(double)> onFrame, double minimumInterval = 0.0);
    ~FrameTicker();
    FrameTicker(const FrameTicker&) = delete;
    FrameTicker& operator=(const FrameTicker&) = delete;

    void start();
    void stop();
    bool isActive() const { return active_; }
    // No frame before `seconds` on the clock; start() and the next frame forget it.
    void sleepUntil(double seconds);

private:
    friend class FrameClock;
    void fire(double now);
    // The earliest time this ticker takes a frame.
    double dueTime() const;

    std::function<void(double)> onFrame_;
    double minimumInterval_;
    double lastFrame_ = -1e300;
    double sleepsUntil_ = -1e300;
    bool active_ = false;
};

} // namespace clarivex
