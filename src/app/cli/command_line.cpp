#include "app/cli/command_line.h"

#include "core/process/tools.h"
#include "core/upscale_outcome.h"
#include "core/upscaler.h"
#include "core/vocabulary/decimal_text.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <semaphore>
#include <thread>
#include <utility>

namespace clarivex::Main {

namespace {

std::mutex outputLock;

// One whole line per write, so that lines from different threads never interleave.
void printLine(const std::string& text) {
    const std::lock_guard guard(outputLock);
    const std::string line = text + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

std::string toolReport(const Tools& tools) {
    return "ESRGAN: " + tools.esrgan.string() +
           "\nffmpeg: " + (tools.ffmpeg ? tools.ffmpeg->string() : std::string("нет"));
}

int runJob(const Arguments& arguments, const std::string& file) {
    const Options options = Main::options(arguments);
    UpscaleOutcome outcome;
    try {
        const Tools tools = Tools::locate(Bundle::current());
        printLine(toolReport(tools));
        ProgressPrinter printer(printLine);
        outcome = runUpscale(Upscaler(tools), std::filesystem::absolute(file), options,
                             [&printer](const UpscaleProgress& progress) { printer(progress); });
    } catch (...) {
        outcome = UpscaleFailure{failureMessage(std::current_exception())};
    }
    if (const auto* result = std::get_if<UpscaleResult>(&outcome)) {
        printLine(summaryLine(*result));
        if (result->picturesCopy)
            printLine("Копия: " + result->picturesCopy->string());
        return 0;
    }
    if (const auto* failure = std::get_if<UpscaleFailure>(&outcome))
        printLine("Ошибка: " + failure->message);
    else
        printLine("Отменено");
    return 1;
}

} // namespace

ProgressPrinter::ProgressPrinter(Printer print)
    : print_(std::move(print)) {}

std::string ProgressPrinter::line(const UpscaleProgress& progress) {
    const auto percent = static_cast<long long>(std::trunc(progress.fraction * 100));
    return "[" + std::to_string(percent) + "%] " + std::string(title(progress.stage)) + ": " +
           progress.detail;
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
    return "Готово: " + result.output.string() + " · " + result.size.description() + " · " +
           result.model + " · " + fixedDecimal(result.seconds, 1) + " с";
}

int cli(const Arguments& arguments, const std::string& file) {
    // The job runs on its own thread, as in the window; this thread only waits for it.
    int code = 0;
    std::binary_semaphore finished(0);
    std::jthread job([&] {
        code = runJob(arguments, file);
        finished.release();
    });
    finished.acquire();
    return code;
}

} // namespace clarivex::Main
