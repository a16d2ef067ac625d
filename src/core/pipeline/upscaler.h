#pragma once

#include "core/pipeline/upscale_job.h"

#include <filesystem>

namespace clarivex::Upscaler {

// The pipeline's driver: from a source file and the job's options to a finished file next to
// the source. Refuses what is no regular file or of no known kind, removes the working folders
// of runs killed outright, creates its own (removed however the job ends), chooses the output name,
// hands the job to the image or the video path by the file's kind, makes the optional copy into
// ~/Pictures/Clarivex and reports every step, never a smaller fraction after a larger one. A
// blocking call meant for a background thread; stopping the job's token cancels. Raises
// UpscaleError, platform errors and Cancelled.
UpscaleResult run(UpscaleJob job);

// What run refuses before any engine starts: no readable file, no known kind, a folder the
// result cannot be written into, a video without ffmpeg, a source already at its target. Reads a
// picture's header or asks ffprobe, and starts no engine, so that a front end can say so before it
// asks the engine anything. Raises what run raises for these.
void refuseBeforeEngine(const UpscaleJob& job);

// Copies a finished file into ~/Pictures/Clarivex under the first free name.
std::filesystem::path copyToPictures(const std::filesystem::path& file);

// Refuses, with the user's sentence, anything but a readable regular file (after following
// links): a missing path, a folder, a device or a pipe would fail later with a misleading
// reason, or never end.
void requireSourceFile(const std::filesystem::path& source);

} // namespace clarivex::Upscaler
