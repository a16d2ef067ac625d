#pragma once

#include "core/vocabulary/media_kind.h"
#include "core/vocabulary/size.h"
#include "core/vocabulary/upscale_progress.h"

#include <QString>

#include <optional>

namespace clarivex {

// The words the stage and the queue strip show for a job: pure functions of its values, for
// the views and their tests.
namespace JobTexts {

// "3840×2160": plain decimal integers, no grouping.
QString sizeText(const Size& size);
// "Готово — 3840×2160".
QString doneTitle(const Size& size);
// "photo-4k.png · 12 с · realesrgan-x4plus", and " (нет realesr-animevideov3)" when the model
// stood in for the one "Авто" prefers; an animation says its frames: "clip-2x.png · 10 кадров ·
// 12 с · realesrgan-x4plus".
QString doneDetail(const UpscaleResult& result);
// "ПОСЛЕ · 3840×2160".
QString afterLabel(const Size& size);
// Seconds rounded half away from zero; "—" for a value that is not finite or does not fit.
QString roundedSeconds(double seconds);
// "Видео" or "Фото", and the symbol beside it.
QString kindWord(MediaKind kind);
const char* kindSymbol(MediaKind kind);
// The stage's title, "Апскейл".
QString stageTitle(UpscaleProgress::Stage stage);
// "1 в работе", with the queue's remaining time when it is known ("3 в работе · ~12 мин"), or
// "всё готово" when nothing is pending.
QString counter(int pendingCount, std::optional<double> remainingSeconds = std::nullopt);
// The file name without its last extension, as the cards show it: holiday.photo.jpg gives
// holiday.photo.
QString cardName(const QString& fileName);

} // namespace JobTexts

} // namespace clarivex
