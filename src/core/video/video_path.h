#pragma once

#include "core/upscaler.h"

#include <filesystem>
#include <stop_token>

namespace clarivex::VideoPath {

// The video branch of `Upscaler::run`, which has already chosen `output`, created `work` and
// reported "Подготовка": probes the video, takes it apart chunk by chunk, runs the network on
// each chunk while the previous one streams into the encoder, adds the sound or the loop, and
// places the finished file next to the source without replacing anything. Blocks; stopping
// `stopToken` cancels, with every child ended and reaped.
Upscaler::Outcome run(const Upscaler& upscaler, const std::filesystem::path& source,
                      const std::filesystem::path& output, const Options& options,
                      const std::filesystem::path& work, const ProgressCallback& report,
                      std::stop_token stopToken);

} // namespace clarivex::VideoPath
