#pragma once

#include "core/vocabulary/upscale_error.h"
#include "core/vocabulary/upscale_progress.h"

#include <string>
#include <string_view>

// The Russian sentences of what the pipeline reports, made from the facts the core hands over.
// The window and the command line show them alike; each adds its own frame around them ("Ошибка:
// " on the command line, a job card in the window). Pure functions, any thread.
namespace clarivex::PipelineText {

// The sentence of a failed job, with what was kept of it, if anything.
std::string error(const UpscaleError& error);

// "Готовые кадры 1–120 из 240 сохранены в <folder>"; nothing when no frame was kept.
std::string kept(const KeptFrames& kept);

// The stage's title: "Апскейл".
std::string_view stage(UpscaleProgress::Stage stage);

// A report's detail line: "Кадр 110 из 240 · realesr-animevideov3 ×2".
std::string detail(const ProgressDetail& detail);

// What the parts are joined with: "Звук: 2 дорожки · субтитры · пустая дорожка пропущена", or
// "Склейка частей" when nothing but the pictures is carried or left out.
std::string tracks(const TrackNote& note);

} // namespace clarivex::PipelineText
