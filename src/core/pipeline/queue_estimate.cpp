#include "core/pipeline/queue_estimate.h"

#include "core/vocabulary/media_kind.h"
#include "core/vocabulary/model_choice.h"

#include <algorithm>
#include <cmath>

namespace clarivex {

namespace {

// How much of a step towards a new measurement the learned rate takes, in the logarithm: a job
// twice as fast as the rate moves it by 2^0.3 ≈ 1.23.
constexpr double learning = 0.3;

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

} // namespace clarivex
