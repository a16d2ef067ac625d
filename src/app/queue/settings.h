#pragma once

#include "core/vocabulary/options.h"

class QSettings;

namespace clarivex::Settings {

// The five user settings under their keys ("model", "target", "seamlessLoop", "loopFade",
// "copyToPictures"). Unusable stored values read as the defaults of Options; a stored loopFade
// is brought into the range and steps the window offers. Any thread, as
// long as the QSettings object is not shared between threads.
Options read(const QSettings& settings);
// Writes all five at once: raw values as text, the booleans as booleans, loopFade as a double.
void write(QSettings& settings, const Options& options);

} // namespace clarivex::Settings
