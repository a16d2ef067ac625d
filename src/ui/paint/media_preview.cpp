#include "ui/paint/media_preview.h"

namespace clarivex::MediaPreview {

QImage load(const std::filesystem::path&, MediaKind, std::optional<int>) {
    return {};
}
QImage pixelated(const QImage&, int) {
    return {};
}

} // namespace clarivex::MediaPreview
