#pragma once

#include "app/queue/pipeline.h"

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <variant>
#include <vector>

namespace clarivex::test {

// A pipeline the test drives step by step instead of real processes: each run waits for what
// the test tells it next (a report to make, an outcome to return) and, once stopped, returns
// cancelled unless told to ignore the stop. Thread-safe: runs happen on the queue's threads.
class ScriptedPipeline {
public:
    Pipeline pipeline();

    // The running pipeline reports `progress` from its thread.
    void report(UpscaleProgress progress) { add(std::move(progress)); }
    // The running pipeline returns `outcome` (after the reports asked before).
    void end(UpscaleOutcome outcome) { add(std::move(outcome)); }
    // A result for `source`, its output beside it.
    static UpscaleResult resultFor(const std::filesystem::path& source, Size size = {64, 48});
    // Runs go on after their stop was asked for, until end().
    void ignoreStops();
    // Every run, now and later, returns cancelled at once: for the end of a test.
    void shutDown();

    // The sources run so far, and the options each was given.
    std::vector<std::filesystem::path> sources() const;
    std::vector<Options> options() const;
    // The photos that waited behind each run's, as the queue told it.
    std::vector<std::vector<std::filesystem::path>> following() const;
    // The report callback of the latest run, kept to be called after that run ended.
    ProgressCallback lastReport() const;
    // Whether the latest run was told to keep its finished parts (a stop for the program's end).
    bool lastRunKeepsParts() const;

private:
    using Step = std::variant<UpscaleProgress, UpscaleOutcome>;
    void add(Step step);

    mutable std::mutex lock_;
    std::condition_variable_any changed_;
    std::deque<Step> steps_;
    std::vector<std::filesystem::path> sources_;
    std::vector<Options> options_;
    std::vector<std::vector<std::filesystem::path>> following_;
    ProgressCallback lastReport_;
    std::stop_token lastKeepParts_;
    bool ignoresStops_ = false;
    bool shutDown_ = false;
};

} // namespace clarivex::test
