#pragma once

#include "core/vocabulary/upscale_progress.h"

#include <QMetaType>

#include <string>
#include <variant>

namespace clarivex {

// Where a job stands: one of five cases, some with a payload. A plain value, safe to copy
// between threads, though jobs themselves only hold it on the main thread.
class JobStatus {
public:
    // The cases in their declared order.
    enum class Case { running, done, failed, waiting, cancelled };

    // Defaults to `waiting`, the state of a new job.
    JobStatus() = default;

    static JobStatus running(UpscaleProgress progress);
    static JobStatus done(UpscaleResult result);
    static JobStatus failed(std::string message);
    static JobStatus waiting();
    static JobStatus cancelled();

    Case which() const;
    bool is(Case candidate) const { return which() == candidate; }
    // `running` or `waiting`: what the badge, the counter and the quit confirmation count.
    bool isPending() const;
    // `done`, `failed` or `cancelled`: what "Очистить готовые" removes.
    bool isFinished() const;

    // The payloads, or nullptr in the other cases.
    const UpscaleProgress* progress() const;
    const UpscaleResult* result() const;
    const std::string* failure() const;

    bool operator==(const JobStatus&) const = default;

private:
    struct Waiting {
        bool operator==(const Waiting&) const = default;
    };
    struct Cancelled {
        bool operator==(const Cancelled&) const = default;
    };
    struct Failed {
        std::string message;
        bool operator==(const Failed&) const = default;
    };
    using Value = std::variant<UpscaleProgress, UpscaleResult, Failed, Waiting, Cancelled>;

    explicit JobStatus(Value value)
        : value_(std::move(value)) {}

    Value value_{Waiting{}};
};

} // namespace clarivex

Q_DECLARE_METATYPE(clarivex::JobStatus)
