#include "support/scripted_pipeline.h"

namespace clarivex::test {

Pipeline ScriptedPipeline::pipeline() {
    return [this](UpscaleJob job) -> UpscaleOutcome {
        const std::stop_token stopToken = job.stopToken;
        const ProgressCallback report = job.report;
        std::unique_lock guard(lock_);
        lastKeepParts_ = job.keepPartsToken;
        sources_.push_back(job.source);
        following_.push_back(job.followingPhotos);
        options_.push_back(job.options);
        lastReport_ = report;
        while (true) {
            const auto stopped = [&] {
                return shutDown_ || (stopToken.stop_requested() && !ignoresStops_);
            };
            changed_.wait(guard, stopToken, [&] { return !steps_.empty() || stopped(); });
            if (steps_.empty()) {
                if (stopped())
                    return UpscaleCancelled{};
                // A stop this run ignores: only the test's steps end it now.
                changed_.wait(guard, [&] { return !steps_.empty() || shutDown_; });
                if (steps_.empty())
                    return UpscaleCancelled{};
            }
            Step step = std::move(steps_.front());
            steps_.pop_front();
            if (auto* outcome = std::get_if<UpscaleOutcome>(&step))
                return std::move(*outcome);
            guard.unlock();
            report(std::get<UpscaleProgress>(step));
            guard.lock();
        }
    };
}

bool ScriptedPipeline::lastRunKeepsParts() const {
    const std::lock_guard guard(lock_);
    return lastKeepParts_.stop_requested();
}

void ScriptedPipeline::ignoreStops() {
    const std::lock_guard guard(lock_);
    ignoresStops_ = true;
}

void ScriptedPipeline::shutDown() {
    {
        const std::lock_guard guard(lock_);
        shutDown_ = true;
    }
    changed_.notify_all();
}

void ScriptedPipeline::add(Step step) {
    {
        const std::lock_guard guard(lock_);
        steps_.push_back(std::move(step));
    }
    changed_.notify_all();
}

UpscaleResult ScriptedPipeline::resultFor(const std::filesystem::path& source, Size size) {
    UpscaleResult result;
    result.output =
        source.parent_path() / (source.stem().string() + "-2x" + source.extension().string());
    result.size = size;
    result.model = "realesrgan-x4plus";
    result.seconds = 1.0;
    return result;
}

std::vector<std::filesystem::path> ScriptedPipeline::sources() const {
    const std::lock_guard guard(lock_);
    return sources_;
}

std::vector<Options> ScriptedPipeline::options() const {
    const std::lock_guard guard(lock_);
    return options_;
}

std::vector<std::vector<std::filesystem::path>> ScriptedPipeline::following() const {
    const std::lock_guard guard(lock_);
    return following_;
}

ProgressCallback ScriptedPipeline::lastReport() const {
    const std::lock_guard guard(lock_);
    return lastReport_;
}

} // namespace clarivex::test
