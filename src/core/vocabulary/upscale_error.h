#pragma once

#include "core/vocabulary/size.h"

#include <cstdint>
#include <exception>
#include <filesystem>
#include <string>
#include <utility>

namespace clarivex {

// The one error the pipeline raises itself; what() is the complete Russian sentence shown to
// the user. Platform errors and cancellation travel beside it, unwrapped.
class UpscaleError : public std::exception {
public:
    enum class Case { unsupported, failed, lowDisk, alreadyLarge, missingEngine, missingFFmpeg };
    // Where space ran short: beside the result, or in the temporary folder.
    enum class Place { destination, temporary };

    static UpscaleError unsupported(std::string what);
    static UpscaleError failed(std::string message);
    static UpscaleError lowDisk(std::int64_t needed, std::int64_t free);
    // The same, naming the folder whose file system is short of space.
    static UpscaleError lowDisk(std::int64_t needed, std::int64_t free, Place place,
                                std::filesystem::path folder);
    static UpscaleError alreadyLarge(Size size, std::string targetTitle);
    static UpscaleError missingEngine();
    static UpscaleError missingFFmpeg();

    // Adds a sentence that says more (what was kept of the work, say); nothing for an empty one.
    void addNote(const std::string& note);

    Case kind() const { return case_; }
    // The text payload of `unsupported` and `failed`, or the target title of `alreadyLarge`.
    const std::string& text() const { return text_; }
    std::int64_t needed() const { return needed_; }
    std::int64_t free() const { return free_; }
    Place place() const { return place_; }
    const std::filesystem::path& folder() const { return folder_; }
    Size size() const { return size_; }

    const char* what() const noexcept override { return description_.c_str(); }

private:
    explicit UpscaleError(Case errorCase);
    void describe();

    Case case_;
    std::string text_;
    std::int64_t needed_ = 0;
    std::int64_t free_ = 0;
    Place place_ = Place::destination;
    std::filesystem::path folder_;
    Size size_;
    std::string note_;
    std::string description_;
};

// The user's sentence for any exception that ends a job: an UpscaleError's own, a platform
// error's place and reason, libvips' reason, and a fallback for anything else. Never throws.
std::string failureMessage(const std::exception_ptr& error);

// A job stopped on request. Never an UpscaleError: a cancelled job is neither failed nor done.
class Cancelled : public std::exception {
public:
    Cancelled() = default;
    // A stop that kept finished work for a later run to continue from; `kept` says what, in the
    // user's words.
    explicit Cancelled(std::string kept)
        : kept_(std::move(kept)) {}

    const char* what() const noexcept override { return "Отменено"; }
    // Empty when nothing was kept.
    const std::string& kept() const { return kept_; }

private:
    std::string kept_;
};

} // namespace clarivex
