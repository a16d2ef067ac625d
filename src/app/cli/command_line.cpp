#include "app/cli/command_line.h"

#include "app/cli/device_question.h"
#include "app/cli/stop_signals.h"
#include "app/texts/pipeline_text.h"
#include "core/engine/device_cache.h"
#include "core/pipeline/engine_session.h"
#include "core/pipeline/upscale_outcome.h"
#include "core/pipeline/upscaler.h"
#include "core/process/tools.h"
#include "core/vocabulary/decimal_text.h"
#include "core/vocabulary/frame_count.h"
#include "core/vocabulary/printable_text.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <stop_token>
#include <thread>
#include <utility>
#include <variant>

namespace clarivex::Main {

namespace {

std::mutex outputLock;

// One whole line per write, so that lines from different threads never interleave. What the
// engine, ffmpeg or a file name brings along reaches the terminal without its control codes.
void printLine(const std::string& text) {
    std::string line;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        line += printableText(std::string_view(text).substr(start, end - start)) + "\n";
        start = end + 1;
    }
    const std::lock_guard guard(outputLock);
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

// A graphics driver starts in a second or two, the software one with the probe's small model in
// a few more; an engine silent for longer than this may hang for good, and the user is told what
// is known rather than nothing.
constexpr std::chrono::seconds deviceQuestionLimit{8};

// Without a device (none remembered, and none asked for since nothing will run), the line
// names the engine alone.
std::string toolReport(const Tools& tools, const std::optional<std::string>& device) {
    return "ESRGAN: " + tools.esrgan.string() + (device ? " · " + *device : "") +
           "\nffmpeg: " + (tools.ffmpeg ? tools.ffmpeg->string() : std::string("нет"));
}

std::string answerReport(const std::optional<EngineDevices>& devices) {
    return devices ? deviceReport(*devices)
                   : deviceReport({}) + ": ESRGAN не ответил за " +
                         std::to_string(deviceQuestionLimit.count()) + " с";
}

std::optional<EngineDevices> rememberedDevices(const Tools& tools) {
    const auto folder = DeviceCache::folder();
    return folder ? DeviceCache::recall(*folder, DeviceCache::keyFor(tools)) : std::nullopt;
}

UpscaleOutcome runJob(const Arguments& arguments, const std::string& file,
                      std::stop_token stopToken, std::stop_token keepPartsToken) {
    ProgressPrinter printer(printLine);
    return runToOutcome(
        [&]() -> UpscaleResult {
            const Tools tools = Tools::locate(Bundle::current());
            // An empty argument stays empty, for the pipeline to say that no file was given.
            const std::filesystem::path source =
                file.empty() ? std::filesystem::path() : std::filesystem::absolute(file);
            EngineSession session;
            UpscaleJob job = session.equip(
                {.source = source,
                 .options = Main::options(arguments),
                 .report = [&printer](const UpscaleProgress& progress) { printer(progress); },
                 .stopToken = stopToken,
                 .keepPartsToken = keepPartsToken},
                tools);
            // What the job would refuse is refused before the engine is asked anything.
            std::optional<EngineDevices> devices = rememberedDevices(tools);
            try {
                Upscaler::refuseBeforeEngine(job);
            } catch (const Cancelled&) {
                throw;
            } catch (...) {
                printLine(toolReport(tools, devices ? std::optional(deviceReport(*devices))
                                                    : std::nullopt));
                throw;
            }
            // Asking costs a whole engine start, so the answer is remembered for the next runs
            // with the same engine and drivers. Reaped when the job is over, so that an engine
            // slow to die holds up nothing.
            std::optional<DeviceQuestion> question;
            if (!devices) {
                question.emplace(tools, stopToken);
                devices = question->answer(deviceQuestionLimit);
                if (const auto folder = DeviceCache::folder(); folder && devices)
                    DeviceCache::remember(*folder, DeviceCache::keyFor(tools), *devices);
            }
            printLine(toolReport(tools, answerReport(devices)));
            session.setDevices(devices.value_or(EngineDevices{}));
            return Upscaler::run(session.equip(std::move(job), tools));
        },
        stopToken);
}

// Prints how the job ended and gives the exit status: as shells expect, 128 plus the
// signal's number when a signal stopped it.
int finish(const UpscaleOutcome& outcome, int signal) {
    if (const auto* result = std::get_if<UpscaleResult>(&outcome)) {
        printLine(summaryLine(*result));
        if (result->picturesCopy)
            printLine("Копия: " + result->picturesCopy->string());
        if (result->picturesCopyFailure)
            printLine("Копия не сделана: " + PipelineText::error(*result->picturesCopyFailure));
        return 0;
    }
    if (signal != 0 || std::holds_alternative<UpscaleCancelled>(outcome)) {
        const auto* cancelled = std::get_if<UpscaleCancelled>(&outcome);
        const std::string kept =
            cancelled && cancelled->kept ? PipelineText::kept(*cancelled->kept) : std::string();
        if (!kept.empty()) {
            printLine("Прервано. " + kept + ".");
            printLine("Чтобы продолжить с этого места, запустите ту же команду снова.");
        } else {
            printLine("Отменено");
        }
        return signal != 0 ? 128 + signal : 1;
    }
    printLine("Ошибка: " + PipelineText::error(std::get<UpscaleFailure>(outcome).error));
    return 1;
}

} // namespace

ProgressPrinter::ProgressPrinter(Printer print)
    : print_(std::move(print)) {}

std::string ProgressPrinter::line(const UpscaleProgress& progress) {
    const auto percent = static_cast<long long>(std::trunc(progress.fraction * 100));
    return "[" + std::to_string(percent) + "%] " +
           std::string(PipelineText::stage(progress.stage)) + ": " +
           PipelineText::detail(progress.detail);
}

void ProgressPrinter::operator()(const UpscaleProgress& progress) {
    const std::string current = line(progress);
    std::string previous;
    {
        const std::lock_guard guard(lock_);
        previous = std::exchange(last_, current);
    }
    if (current != previous)
        print_(current);
}

std::string summaryLine(const UpscaleResult& result) {
    const std::string model =
        result.model + (result.modelInsteadOf ? " (нет " + *result.modelInsteadOf + ")" : "");
    const std::string frames = result.frames ? " · " + frameCountText(*result.frames) : "";
    return "Готово: " + result.output.string() + " · " + result.size.description() + frames +
           " · " + model + " · " + fixedDecimal(result.seconds, 1) + " с";
}

std::string deviceReport(const EngineDevices& devices) {
    const auto device = devices.preferred();
    if (!device)
        return "устройство Vulkan не определено";
    return device->software() ? softwareDeviceWarning(*device) : device->name;
}

int cli(const Arguments& arguments, const std::string& file) {
    // Before the job's thread exists, so that it and every thread it starts leave the
    // termination signals to this one.
    std::optional<StopSignals> signals;
    try {
        signals.emplace();
    } catch (...) {
        printLine("Ошибка: " + PipelineText::error(UpscaleError::from(std::current_exception())));
        return 1;
    }
    std::stop_source stop;
    std::stop_source keepParts;
    UpscaleOutcome outcome;
    // The job runs on its own thread, as in the window; this thread waits for it.
    std::jthread job([&] {
        outcome = runJob(arguments, file, stop.get_token(), keepParts.get_token());
        signals->jobEnded();
    });
    const int signal = signals->waitForJob([&](int signal) {
        // Ctrl+C is the user's own stop; a termination or hang-up comes from outside (logout,
        // shutdown, a closed terminal), and a video keeps what it has finished.
        if (signal != SIGINT)
            keepParts.request_stop();
        stop.request_stop();
    });
    job.join();
    return finish(outcome, signal);
}

} // namespace clarivex::Main
