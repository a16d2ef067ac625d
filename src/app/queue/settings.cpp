#include "app/queue/settings.h"

#include <QSettings>
#include <QString>

#include <algorithm>
#include <cmath>
#include <optional>

namespace clarivex::Settings {

namespace {

// The raw text of a choice, or nothing when the stored value is missing or no raw value.
template <typename Choice, typename Parse>
std::optional<Choice> readChoice(const QSettings& settings, const char* key, Parse parse) {
    const QVariant stored = settings.value(key);
    if (!stored.isValid())
        return std::nullopt;
    return parse(stored.toString().toStdString());
}

// QSettings' INI files keep every value as text, so a boolean comes back as "true"/"false"
// and a number as its digits; anything else is unusable.
std::optional<bool> readBool(const QSettings& settings, const char* key) {
    const QVariant stored = settings.value(key);
    if (stored.typeId() == QMetaType::Bool)
        return stored.toBool();
    const QString text = stored.toString();
    if (text == QLatin1String("true"))
        return true;
    if (text == QLatin1String("false"))
        return false;
    return std::nullopt;
}

std::optional<double> readDouble(const QSettings& settings, const char* key) {
    const QVariant stored = settings.value(key);
    if (stored.typeId() == QMetaType::Double)
        return stored.toDouble();
    bool isNumber = false;
    const double value = stored.toString().toDouble(&isNumber);
    if (!isNumber || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// A stored length the stepper cannot show would be shown as one value and used as another.
double shownLoopFade(double stored) {
    const double clamped = std::clamp(stored, Options::loopFadeMinimum, Options::loopFadeMaximum);
    return std::round(clamped / Options::loopFadeStep) * Options::loopFadeStep;
}

} // namespace

Options read(const QSettings& settings) {
    const Options defaults;
    Options options;
    options.model =
        readChoice<ModelChoice>(settings, "model", modelChoiceFromRaw).value_or(defaults.model);
    options.target =
        readChoice<Target>(settings, "target", targetFromRaw).value_or(defaults.target);
    options.seamlessLoop = readBool(settings, "seamlessLoop").value_or(defaults.seamlessLoop);
    options.loopFade = shownLoopFade(readDouble(settings, "loopFade").value_or(defaults.loopFade));
    options.copyToPictures = readBool(settings, "copyToPictures").value_or(defaults.copyToPictures);
    return options;
}

void write(QSettings& settings, const Options& options) {
    settings.setValue("model", QString::fromUtf8(rawValue(options.model)));
    settings.setValue("target", QString::fromUtf8(rawValue(options.target)));
    settings.setValue("seamlessLoop", options.seamlessLoop);
    settings.setValue("loopFade", options.loopFade);
    settings.setValue("copyToPictures", options.copyToPictures);
    settings.sync();
}

} // namespace clarivex::Settings
