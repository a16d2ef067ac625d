#include "app/queue/job_status.h"

namespace clarivex {

JobStatus JobStatus::running(UpscaleProgress progress) {
    return JobStatus(Value(std::move(progress)));
}

JobStatus JobStatus::done(UpscaleResult result) {
    return JobStatus(Value(std::move(result)));
}

JobStatus JobStatus::failed(std::string message) {
    return JobStatus(Value(Failed{std::move(message)}));
}

JobStatus JobStatus::waiting() {
    return JobStatus(Value(Waiting{}));
}

JobStatus JobStatus::cancelled() {
    return JobStatus(Value(Cancelled{}));
}

JobStatus::Case JobStatus::which() const {
    // The variant's alternatives are declared in the order of the cases.
    return static_cast<Case>(value_.index());
}

bool JobStatus::isPending() const {
    return is(Case::running) || is(Case::waiting);
}

bool JobStatus::isFinished() const {
    return !isPending();
}

const UpscaleProgress* JobStatus::progress() const {
    return std::get_if<UpscaleProgress>(&value_);
}

const UpscaleResult* JobStatus::result() const {
    return std::get_if<UpscaleResult>(&value_);
}

const std::string* JobStatus::failure() const {
    const auto* failed = std::get_if<Failed>(&value_);
    return failed ? &failed->message : nullptr;
}

} // namespace clarivex
