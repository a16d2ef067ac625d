#include "core/vocabulary/upscale_error.h"

#include <vips/vips8>

#include <filesystem>
#include <new>
#include <system_error>
#include <tuple>
#include <utility>

namespace clarivex {

UpscaleError::UpscaleError(Case errorCase)
    : case_(errorCase) {}

UpscaleError UpscaleError::unsupported(std::string what) {
    UpscaleError error(Case::unsupported);
    error.text_ = std::move(what);
    return error;
}

UpscaleError UpscaleError::failed(std::string message) {
    UpscaleError error(Case::failed);
    error.text_ = std::move(message);
    return error;
}

UpscaleError UpscaleError::lowDisk(std::int64_t needed, std::int64_t free) {
    UpscaleError error(Case::lowDisk);
    error.needed_ = needed;
    error.free_ = free;
    return error;
}

UpscaleError UpscaleError::lowDisk(std::int64_t needed, std::int64_t free, Place place,
                                   std::filesystem::path folder) {
    UpscaleError error = lowDisk(needed, free);
    error.place_ = place;
    error.folder_ = std::move(folder);
    return error;
}

UpscaleError UpscaleError::alreadyLarge(Size size, std::string targetTitle) {
    UpscaleError error(Case::alreadyLarge);
    error.size_ = size;
    error.text_ = std::move(targetTitle);
    return error;
}

UpscaleError UpscaleError::missingEngine() {
    return UpscaleError(Case::missingEngine);
}

UpscaleError UpscaleError::missingFFmpeg() {
    return UpscaleError(Case::missingFFmpeg);
}

UpscaleError UpscaleError::programExit(std::string program, int status, std::string errorLines) {
    UpscaleError error(Case::programExit);
    error.text_ = std::move(program);
    error.status_ = status;
    error.errorLines_ = std::move(errorLines);
    return error;
}

UpscaleError UpscaleError::encoderStopped(std::string errorLines) {
    UpscaleError error(Case::encoderStopped);
    error.errorLines_ = std::move(errorLines);
    return error;
}

UpscaleError UpscaleError::encoderExit(int status, std::string errorLines) {
    UpscaleError error(Case::encoderExit);
    error.status_ = status;
    error.errorLines_ = std::move(errorLines);
    return error;
}

UpscaleError UpscaleError::frameSkipped(std::string frame) {
    UpscaleError error(Case::frameSkipped);
    error.text_ = std::move(frame);
    return error;
}

UpscaleError UpscaleError::badResult(EngineProblem problem, std::string engineLines, int tile) {
    UpscaleError error(Case::badResult);
    error.problem_ = std::move(problem);
    error.errorLines_ = std::move(engineLines);
    error.tile_ = tile;
    return error;
}

UpscaleError UpscaleError::missingModel(std::string model, std::filesystem::path folder,
                                        std::vector<std::string> files) {
    UpscaleError error(Case::missingModel);
    error.text_ = std::move(model);
    error.folder_ = std::move(folder);
    error.files_ = std::move(files);
    return error;
}

UpscaleError UpscaleError::noSource() {
    return UpscaleError(Case::noSource);
}

UpscaleError UpscaleError::badSource(Case problem, std::filesystem::path source) {
    UpscaleError error(problem);
    error.folder_ = std::move(source);
    return error;
}

UpscaleError UpscaleError::closedDestination(Case problem, std::filesystem::path folder) {
    UpscaleError error(problem);
    error.folder_ = std::move(folder);
    return error;
}

UpscaleError UpscaleError::noHome() {
    return UpscaleError(Case::noHome);
}

UpscaleError UpscaleError::of(Case factless) {
    return UpscaleError(factless);
}

UpscaleError UpscaleError::videoBusy(std::filesystem::path folder) {
    UpscaleError error(Case::videoBusy);
    error.folder_ = std::move(folder);
    return error;
}

UpscaleError UpscaleError::fileFailed(Case failure, std::string file, std::string reason) {
    UpscaleError error(failure);
    error.text_ = std::move(file);
    error.reason_ = std::move(reason);
    return error;
}

UpscaleError UpscaleError::frameNotEncoded(std::int64_t frame) {
    UpscaleError error(Case::frameNotEncoded);
    error.count_ = frame;
    return error;
}

UpscaleError UpscaleError::badApng(Case problem, std::string file, std::int64_t count,
                                   std::int64_t limit) {
    UpscaleError error(problem);
    error.text_ = std::move(file);
    error.count_ = count;
    error.limit_ = limit;
    return error;
}

UpscaleError UpscaleError::pictureTooLarge(Size size, Size made, std::int64_t limit) {
    UpscaleError error(Case::pictureTooLarge);
    error.size_ = size;
    error.made_ = made;
    error.limit_ = limit;
    return error;
}

UpscaleError UpscaleError::animationTooLarge(std::int64_t frames, Size made, std::int64_t pixels,
                                             std::int64_t limit) {
    UpscaleError error(Case::animationTooLarge);
    error.count_ = frames;
    error.made_ = made;
    error.needed_ = pixels;
    error.limit_ = limit;
    return error;
}

UpscaleError UpscaleError::badAnimation(Case problem, std::int64_t count, std::int64_t limit,
                                        std::string reason) {
    UpscaleError error(problem);
    error.count_ = count;
    error.limit_ = limit;
    error.reason_ = std::move(reason);
    return error;
}

UpscaleError UpscaleError::noFreeName(std::string name, std::filesystem::path folder) {
    UpscaleError error(Case::noFreeName);
    error.text_ = std::move(name);
    error.folder_ = std::move(folder);
    return error;
}

UpscaleError UpscaleError::operationFailed(Operation operation, std::filesystem::path path,
                                           std::error_code code) {
    UpscaleError error(Case::operationFailed);
    error.operation_ = operation;
    error.folder_ = std::move(path);
    error.code_ = code;
    return error;
}

UpscaleError UpscaleError::operationFailed(Operation operation, std::filesystem::path path,
                                           int error) {
    return operationFailed(operation, std::move(path),
                           std::error_code(error, std::generic_category()));
}

UpscaleError UpscaleError::from(const std::exception_ptr& thrown) {
    try {
        std::rethrow_exception(thrown);
    } catch (const UpscaleError& upscaleError) {
        return upscaleError;
    } catch (const std::filesystem::filesystem_error& fileError) {
        // The library's own text is English; the user is told the path and the reason.
        UpscaleError error(Case::fileError);
        error.folder_ = fileError.path1();
        error.text_ = fileError.code().message();
        return error;
    } catch (const std::system_error& systemError) {
        // Raised with what failed and where in the user's words; what() adds the reason.
        UpscaleError error(Case::systemError);
        error.text_ = systemError.what();
        return error;
    } catch (const std::bad_alloc&) {
        return UpscaleError(Case::outOfMemory);
    } catch (const vips::VError& vipsError) {
        UpscaleError error(Case::imageLibrary);
        error.text_ = vipsError.what();
        return error;
    } catch (const std::exception& other) {
        UpscaleError error(Case::internal);
        error.text_ = other.what();
        return error;
    } catch (...) {
        return UpscaleError(Case::unknown);
    }
}

bool UpscaleError::operator==(const UpscaleError& other) const {
    const auto fields = [](const UpscaleError& error) {
        return std::tie(error.case_, error.text_, error.errorLines_, error.reason_, error.status_,
                        error.needed_, error.free_, error.place_, error.folder_, error.size_,
                        error.made_, error.count_, error.limit_, error.problem_, error.tile_,
                        error.files_, error.kept_, error.operation_, error.code_);
    };
    return fields(*this) == fields(other);
}

} // namespace clarivex
