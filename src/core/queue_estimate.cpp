#include "core/queue_estimate.h"

#include "core/vocabulary/media_kind.h"
#include "core/vocabulary/model_choice.h"

#include <algorithm>
#include <cmath>

namespace clarivex {

namespace {

// How much of a step towards a new measurement the learned rate takes, in the logarithm: a job
// twice as fast as the rate moves it by 2^0.3 ≈ 1.23.
constexpr double learning = 0.3;
// The running job's own pace counts once it has moved this much, for that long.
constexpr double measurableFraction = 0.05;
constexpr double measurableSeconds = 3;

// Rates beyond any machine's, in either direction: a slow processor enlarges a thousand photo
// units a second, the fastest graphics card a few million. A stored or measured rate outside is
// a damaged setting or a clock that jumped, and would show hundreds of digits of hours, or
// nothing left while jobs wait.
constexpr double slowestRate = 1;
constexpr double fastestRate = 1e9;

bool plausible(double rate) {
    return rate >= slowestRate && rate <= fastestRate;
}

double towards(double from, double to, double weight) {
    return std::exp((1 - weight) * std::log(from) + weight * std::log(to));
}

} // namespace

double workOf(Size source, std::int64_t frames, const std::string& model) {
    // Multiply-adds per source pixel, relative to the photo model: 23 residual blocks; the art
    // model has 6 of them; the fast video model is a plain stack of 16 convolutions.
    double cost = 1.0;
    if (model == resolved(ModelChoice::art, MediaKind::image).name)
        cost = 0.32;
    else if (model == resolved(ModelChoice::video, MediaKind::video).name)
        cost = 0.035;
    return static_cast<double>(source.width) * static_cast<double>(source.height) *
           static_cast<double>(std::max<std::int64_t>(frames, 1)) * cost;
}

QueueEstimate::QueueEstimate(std::optional<double> rate) {
    if (rate && plausible(*rate))
        rate_ = rate;
}

void QueueEstimate::learn(double work, double seconds) {
    if (!(work > 0) || !(seconds > 0) || !plausible(work / seconds))
        return;
    const double measured = work / seconds;
    rate_ = rate_ ? towards(*rate_, measured, learning) : measured;
}

std::optional<double> QueueEstimate::measuredRate(const std::vector<Item>& items, double now) {
    const auto running =
        std::find_if(items.begin(), items.end(), [](const Item& item) { return item.running; });
    if (running == items.end() || !running->work || !(running->fraction > 0))
        return std::nullopt;
    if (!paceStart_ || paceStart_->id != running->id)
        paceStart_ = PaceStart{running->id, now, running->fraction};
    const double moved = running->fraction - paceStart_->fraction;
    const double seconds = now - paceStart_->at;
    if (moved < measurableFraction || seconds < measurableSeconds)
        return std::nullopt;
    return *running->work * moved / seconds;
}

std::optional<std::map<std::uint64_t, double>>
QueueEstimate::remainingByJob(const std::vector<Item>& items, double now) {
    const auto measured = measuredRate(items, now);
    const auto rate = rate_ ? rate_ : measured;
    if (!rate)
        return std::nullopt;
    std::map<std::uint64_t, double> remaining;
    for (const Item& item : items) {
        if (!item.work)
            return std::nullopt;
        double jobRate = *rate;
        // The running job's own pace tells more about it the further it has come.
        if (item.running && measured)
            jobRate = towards(*rate, *measured, std::min(1.0, item.fraction * 2));
        const double left = item.running ? 1 - std::clamp(item.fraction, 0.0, 1.0) : 1;
        remaining[item.id] = *item.work * left / jobRate;
    }
    return remaining;
}

std::optional<double> QueueEstimate::update(const std::vector<Item>& items, double now) {
    const auto remaining = remainingByJob(items, now);
    if (!remaining || remaining->empty()) {
        shown_.reset();
        lastRemaining_.clear();
        return std::nullopt;
    }
    double estimate = 0;
    for (const auto& [id, seconds] : *remaining)
        estimate += seconds;
    if (!shown_) {
        shown_ = estimate;
    } else {
        const double passed = std::max(0.0, now - shownAt_);
        // Jobs added or removed change the work at once: that is news, not a jump.
        double change = 0;
        for (const auto& [id, seconds] : *remaining) {
            if (!lastRemaining_.count(id))
                change += seconds;
        }
        for (const auto& [id, seconds] : lastRemaining_) {
            if (!remaining->count(id))
                change -= seconds;
        }
        const double expected = std::max(0.0, *shown_ - passed + change);
        shown_ = std::max(0.0, expected + std::clamp(estimate - expected, -passed, passed));
    }
    shownAt_ = now;
    lastRemaining_ = *remaining;
    return shown_;
}

} // namespace clarivex
