#include "support/scripted_decoder.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace clarivex::test {

PictureLoader::Decode ScriptedDecoder::decode() {
    return [this](const std::filesystem::path& file, MediaKind, const PictureFit& fit,
                  std::stop_token stopToken) -> QImage {
        std::unique_lock guard(lock_);
        requests_.push_back({file.filename().string(), fit});
        changed_.notify_all();
        changed_.wait(guard, stopToken, [this] { return !held_; });
        if (stopToken.stop_requested()) {
            ++stopped_;
            return {};
        }
        if (file.filename().string().starts_with("unreadable"))
            return {};
        const double inside =
            std::min({double(fit.box.width) / 3000, double(fit.box.height) / 2000});
        const double covering =
            std::max(double(fit.box.width) / 3000, double(fit.box.height) / 2000);
        const double scale = std::min(1.0, fit.cover ? covering : inside);
        QImage picture(int(std::lround(3000 * scale)), int(std::lround(2000 * scale)),
                       QImage::Format_ARGB32_Premultiplied);
        picture.fill(Qt::darkCyan);
        return picture;
    };
}

void ScriptedDecoder::hold() {
    const std::lock_guard guard(lock_);
    held_ = true;
}

void ScriptedDecoder::release() {
    {
        const std::lock_guard guard(lock_);
        held_ = false;
    }
    changed_.notify_all();
}

std::vector<ScriptedDecoder::Request> ScriptedDecoder::requests() const {
    const std::lock_guard guard(lock_);
    return requests_;
}

bool ScriptedDecoder::waitForRequests(size_t count) const {
    std::unique_lock guard(lock_);
    return changed_.wait_for(guard, std::chrono::minutes(1),
                             [&] { return requests_.size() >= count; });
}

int ScriptedDecoder::stopped() const {
    const std::lock_guard guard(lock_);
    return stopped_;
}

} // namespace clarivex::test
