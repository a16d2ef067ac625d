#include "app/window/job_texts.h"

#include "app/texts/pipeline_text.h"
#include "core/vocabulary/frame_count.h"
#include "ui/text/eta_text.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace clarivex::JobTexts {

namespace {

QString fromStd(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

QString sizeText(const Size& size) {
    return QString::number(size.width) + QChar(0x00D7) + QString::number(size.height);
}

QString doneTitle(const Size& size) {
    return QStringLiteral("Готово — ") + sizeText(size);
}

QString afterLabel(const Size& size) {
    return QStringLiteral("ПОСЛЕ · ") + sizeText(size);
}

QString roundedSeconds(double seconds) {
    // Rounding a value beyond the 64-bit range is undefined; such a value is shown as unknown.
    constexpr double limit = 9.2e18;
    if (!std::isfinite(seconds) || std::fabs(seconds) >= limit)
        return QStringLiteral("—");
    return QString::number(std::llround(seconds));
}

QString doneDetail(const UpscaleResult& result) {
    const QString name = QString::fromStdString(result.output.filename().string());
    const QString insteadOf = result.modelInsteadOf
                                  ? QStringLiteral(" (нет ") +
                                        QString::fromStdString(*result.modelInsteadOf) +
                                        QLatin1Char(')')
                                  : QString();
    const QString frames =
        result.frames
            ? QStringLiteral(" · ") + QString::fromStdString(frameCountText(*result.frames))
            : QString();
    return name + frames + QStringLiteral(" · ") + roundedSeconds(result.seconds) +
           QStringLiteral(" с · ") + QString::fromStdString(result.model) + insteadOf;
}

QString kindWord(MediaKind kind) {
    return kind == MediaKind::video ? QStringLiteral("Видео") : QStringLiteral("Фото");
}

const char* kindSymbol(MediaKind kind) {
    return kind == MediaKind::video ? "film" : "photo";
}

QString stageTitle(UpscaleProgress::Stage stage) {
    return fromStd(PipelineText::stage(stage));
}

QString counter(int pendingCount, std::optional<double> remainingSeconds) {
    if (pendingCount < 1)
        return QStringLiteral("всё готово");
    const QString count = QString::number(pendingCount) + QStringLiteral(" в работе");
    // Work is still pending: never "~0 с".
    return remainingSeconds ? count + QStringLiteral(" · ") +
                                  approximateDuration(std::max(*remainingSeconds, 1.0))
                            : count;
}

QString cardName(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    // A leading dot names a hidden file, not an extension.
    if (dot <= 0)
        return fileName;
    return fileName.left(dot);
}

} // namespace clarivex::JobTexts
