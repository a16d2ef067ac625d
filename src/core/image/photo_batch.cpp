#include "core/image/photo_batch.h"

#include "core/animation/animation_info.h"
#include "core/engine/network_step.h"
#include "core/files/working_folder.h"
#include "core/image/image_path.h"
#include "core/pipeline/job_progress.h"
#include "core/vocabulary/upscale_error.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>

namespace clarivex {

namespace {

namespace fs = std::filesystem;
using JobProgress::Step;

constexpr auto lookInterval = std::chrono::milliseconds(100);

// In the order of the members, which is the order the engine takes its files in.
std::string memberName(std::size_t index) {
    char name[16];
    std::snprintf(name, sizeof name, "%02zu.png", index + 1);
    return name;
}

std::int64_t bigEndian(const unsigned char* bytes) {
    return (std::int64_t{bytes[0]} << 24) | (std::int64_t{bytes[1]} << 16) |
           (std::int64_t{bytes[2]} << 8) | std::int64_t{bytes[3]};
}

// The engine writes each picture while it goes on with the next: a PNG is whole once its last
// chunk is there, and of the right size when its header says so.
bool wholePng(const fs::path& file, Size expected) {
    std::ifstream stream(file, std::ios::binary);
    std::array<unsigned char, 24> head{};
    if (!stream.read(reinterpret_cast<char*>(head.data()), head.size()))
        return false;
    if (Size{bigEndian(&head[16]), bigEndian(&head[20])} != expected)
        return false;
    constexpr std::array<unsigned char, 12> end{0,   0,   0,    0,    'I',  'E',
                                                'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    std::array<unsigned char, 12> tail{};
    stream.seekg(-static_cast<std::streamoff>(tail.size()), std::ios::end);
    return stream.read(reinterpret_cast<char*>(tail.data()), tail.size()) && tail == end;
}

Size scaled(Size size, int scale) {
    return Size{size.width * scale, size.height * scale};
}

void linkOrCopy(const fs::path& from, const fs::path& to) {
    std::error_code error;
    fs::create_hard_link(from, to, error);
    if (error)
        fs::copy_file(from, to);
}

} // namespace

PhotoBatch::PhotoBatch(const UpscaleJob& job, const Plan& plan, const ImageOps::Bitmap& opened)
    : engineJob_(job)
    , plan_(plan)
    , folder_(std::make_unique<WorkingFolder>())
    , in_(folder_->path() / "in")
    , out_(folder_->path() / "out") {
    // The engine's own reports (a retry with smaller tiles) reach the jobs through take().
    engineJob_.report = [](const UpscaleProgress&) {};
    engineJob_.followingPhotos.clear();
    // The registry holds the batch: a batch holding the registry would keep both forever.
    engineJob_.photoBatches.reset();
    fs::create_directories(in_);
    fs::create_directories(out_);
    prepare(job, opened, memberName(0));
    addFollowers(job);
    if (members_.size() > 1)
        engine_ = std::jthread([this](std::stop_token stopToken) { runEngine(stopToken); });
}

PhotoBatch::~PhotoBatch() = default;

void PhotoBatch::prepare(const UpscaleJob& job, const ImageOps::Bitmap& opened,
                         const std::string& name) {
    const Size size = ImageOps::uprightSize(opened);
    ImageOps::writeIntermediate(ImageOps::decodeSource(opened), in_ / name);
    pixels_ += size.width * size.height;
    members_.push_back(Member{job.source, size, name});
}

void PhotoBatch::addFollowers(const UpscaleJob& job) {
    for (const fs::path& source : job.followingPhotos) {
        if (members_.size() >= static_cast<std::size_t>(maxPhotos))
            return;
        job.throwIfStopped();
        UpscaleJob follower = job;
        follower.source = source;
        try {
            // An animation takes a path of its own, and its own run says what is wrong with a
            // photo that cannot join.
            if (AnimationInfo::probe(source))
                return;
            const ImageOps::Bitmap opened = ImageOps::openSource(source);
            const Plan plan = ImagePath::plan(follower);
            const Size size = ImageOps::uprightSize(opened);
            if (plan.model != plan_.model || plan.esrganScale != plan_.esrganScale ||
                pixels_ + size.width * size.height > maxPixels)
                return;
            prepare(follower, opened, memberName(members_.size()));
        } catch (const Cancelled&) {
            throw;
        } catch (...) {
            return;
        }
    }
}

void PhotoBatch::runEngine(std::stop_token stopToken) {
    UpscaleJob job = engineJob_;
    job.stopToken = stopToken;
    bool failed = false;
    try {
        NetworkStep::run(
            job, plan_, in_, out_, [this](const std::string& line) { engineLine(line); },
            stopToken);
    } catch (...) {
        // Each photo not taken yet then runs the engine alone, and fails or not on its own.
        failed = true;
    }
    {
        const std::lock_guard guard(lock_);
        ended_ = true;
        failed_ = failed;
    }
    changed_.notify_all();
}

void PhotoBatch::engineLine(const std::string& line) {
    said_.add(line);
    if (const auto progress = ImagePath::engineLineProgress(line)) {
        const std::lock_guard guard(lock_);
        fraction_ = progress->fraction;
    }
}

bool PhotoBatch::shared() const {
    return members_.size() > 1;
}

bool PhotoBatch::holds(const UpscaleJob& job) const {
    if (job.options != engineJob_.options || job.tools != engineJob_.tools)
        return false;
    const std::lock_guard guard(lock_);
    return std::any_of(members_.begin(), members_.end(), [&](const Member& member) {
        return !member.asked && member.source == job.source;
    });
}

bool PhotoBatch::exhausted() const {
    const std::lock_guard guard(lock_);
    return std::all_of(members_.begin(), members_.end(),
                       [](const Member& member) { return member.asked; });
}

bool PhotoBatch::whole(const Member& member) const {
    // After an allocation failure a picture may be whole and black: only the engine's own
    // check at its end tells.
    if (!ended_ && said_.namesAllocationFailure())
        return false;
    if (ended_ && failed_)
        return false;
    return wholePng(out_ / member.name, scaled(member.prepared, plan_.esrganScale));
}

ProgressDetail PhotoBatch::detail(std::size_t index) const {
    ProgressDetail detail =
        NetworkStep::modelDetail(ProgressDetail::Kind::sharedRun, engineJob_, plan_);
    detail.done = static_cast<std::int64_t>(index) + 1;
    detail.total = static_cast<std::int64_t>(members_.size());
    return detail;
}

bool PhotoBatch::take(const UpscaleJob& job, const fs::path& enlarged) {
    std::unique_lock guard(lock_);
    const auto found = std::find_if(members_.begin(), members_.end(), [&](const Member& member) {
        return !member.asked && member.source == job.source;
    });
    if (found == members_.end())
        return false;
    found->asked = true;
    const auto index = static_cast<std::size_t>(found - members_.begin());
    while (true) {
        if (whole(*found)) {
            guard.unlock();
            linkOrCopy(out_ / found->name, enlarged);
            return true;
        }
        if (ended_)
            return false;
        // The engine's percentages are of the picture it works on, the first one not whole.
        const bool current = std::none_of(members_.begin(), found, [&](const Member& member) {
            return !wholePng(out_ / member.name, scaled(member.prepared, plan_.esrganScale));
        });
        const double fraction = current ? fraction_.value_or(0) : 0;
        guard.unlock();
        job.report(JobProgress::at(Step::upscaling, fraction, detail(index)));
        guard.lock();
        changed_.wait_for(guard, job.stopToken, lookInterval, [] { return false; });
        if (job.stopToken.stop_requested())
            throw Cancelled();
    }
}

} // namespace clarivex
