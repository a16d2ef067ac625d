#include "ui/animation/reduce_motion.h"

#include <QProcess>
#include <QStandardPaths>

namespace clarivex::ReduceMotion {

namespace {

std::optional<bool>& overrideValue() {
    static std::optional<bool> value;
    return value;
}

bool environmentAsks() {
    return qEnvironmentVariable("CLARIVEX_REDUCE_MOTION") == QLatin1String("1");
}

// Asked once per process, never per frame. Without gsettings (or without GNOME's schema) the
// answer is simply "animations on".
bool gnomeAnimationsOff() {
    const QString gsettings = QStandardPaths::findExecutable("gsettings");
    if (gsettings.isEmpty())
        return false;
    QProcess process;
    process.start(gsettings, {"get", "org.gnome.desktop.interface", "enable-animations"});
    if (!process.waitForFinished(1000)) {
        process.kill();
        process.waitForFinished(1000);
        return false;
    }
    return process.exitCode() == 0 &&
           process.readAllStandardOutput().trimmed() == QByteArrayLiteral("false");
}

} // namespace

bool enabled() {
    if (overrideValue())
        return *overrideValue();
    static const bool desktopAsks = environmentAsks() || gnomeAnimationsOff();
    return desktopAsks;
}

void setOverride(std::optional<bool> reduce) {
    overrideValue() = reduce;
}

} // namespace clarivex::ReduceMotion
