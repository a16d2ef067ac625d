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
// timer runs only while some ticker is active. Tests freeze time and step it by hand, so no
// assertion ever depends on how fast the machine is. Main thread only.
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

    int activeTickerCount() const { return int(tickers_.size()); }

private:
    friend class FrameTicker;

    FrameClock();
    double currentTime() const;
    void add(FrameTicker* ticker);
    void remove(FrameTicker* ticker);
    void deliverFrame();
    void updateTimer();

    QTimer timer_;
    std::vector<FrameTicker*> tickers_;
    std::optional<double> manualTime_;
};

// A subscription to the frame clock: while started, `onFrame(now)` runs once per frame, or at
// most once per `minimumInterval` seconds (the backdrop asks for 1/30 s).
class FrameTicker {
public:
    explicit FrameTicker(std::function<void(double)> onFrame, double minimumInterval = 0.0);
    ~FrameTicker();
    FrameTicker(const FrameTicker&) = delete;
    FrameTicker& operator=(const FrameTicker&) = delete;

    void start();
    void stop();
    bool isActive() const { return active_; }

private:
    friend class FrameClock;
    void fire(double now);

    std::function<void(double)> onFrame_;
    double minimumInterval_;
    double lastFrame_ = -1e300;
    bool active_ = false;
};

} // namespace clarivex
