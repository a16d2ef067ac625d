#include "core/upscale_outcome.h"

#include "core/vocabulary/upscale_error.h"

#include <vips/vips8>

#include <new>
#include <system_error>

namespace clarivex {

std::string failureMessage(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const UpscaleError& upscaleError) {
        return upscaleError.what();
    } catch (const std::filesystem::filesystem_error& fileError) {
        // The library's own text is English; the sentence names the path and the reason.
        std::string message = "Ошибка при работе с файлом";
        if (!fileError.path1().empty())
            message += " " + fileError.path1().string();
        return message + ": " + fileError.code().message();
    } catch (const std::system_error& systemError) {
        // Raised with what failed and where in the user's words; what() adds the reason.
        return systemError.what();
    } catch (const std::bad_alloc&) {
        return "Не хватило памяти";
    } catch (const vips::VError& vipsError) {
        return std::string("Ошибка libvips: ") + vipsError.what();
    } catch (const std::exception& other) {
        return std::string("Внутренняя ошибка: ") + other.what();
    } catch (...) {
        return "Неизвестная ошибка";
    }
}

UpscaleOutcome runUpscale(const Upscaler& upscaler, const std::filesystem::path& source,
                          const Options& options, const ProgressCallback& report,
                          std::stop_token stopToken) {
    try {
        return upscaler.run(source, options, report, stopToken);
    } catch (const Cancelled&) {
        return UpscaleCancelled{};
    } catch (...) {
        if (stopToken.stop_requested())
            return UpscaleCancelled{};
        return UpscaleFailure{failureMessage(std::current_exception())};
    }
}

} // namespace clarivex
