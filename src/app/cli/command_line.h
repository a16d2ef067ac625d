#pragma once

#include "app/cli/arguments.h"
#include "core/engine/engine_device.h"
#include "core/vocabulary/upscale_progress.h"

#include <functional>
#include <mutex>
#include <string>

namespace clarivex::Main {

// Upscales one file with options from the arguments, printing progress and the result on
// standard output; returns the exit status (0 done, 1 failed, 128 + the signal's number when
// SIGINT, SIGTERM or SIGHUP stopped it). SIGINT discards everything; after SIGTERM or SIGHUP a
// video keeps its finished segments, and the same command continues after them. Blocks until
// the job is over.
int cli(const Arguments& arguments, const std::string& file);

// The progress printer of the command line: one line per change of the printed text.
// Safe to call from any thread.
class ProgressPrinter {
public:
    using Printer = std::function<void(const std::string& line)>;
    explicit ProgressPrinter(Printer print);

    void operator()(const UpscaleProgress& progress);

    // "[50%] Апскейл: 46%": the percent is truncated, never rounded up.
    static std::string line(const UpscaleProgress& progress);

private:
    Printer print_;
    std::mutex lock_;
    std::string last_;
};

// "Готово: <output> · 2880×2160 · realesrgan-x4plus · 7.4 с"; a model that stood in for the
// one "Авто" prefers says so: "realesrgan-x4plus (нет realesr-animevideov3)"; an animation
// says its frames after its size: "· 256×192 · 10 кадров ·".
std::string summaryLine(const UpscaleResult& result);

// The device on the tool report's "ESRGAN:" line: its name, with the warning and the cure when
// it is a software one.
std::string deviceReport(const EngineDevices& devices);

} // namespace clarivex::Main
