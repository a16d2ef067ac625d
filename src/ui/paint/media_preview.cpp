#include "ui/paint/media_preview.h"

#include <algorithm>

namespace clarivex::MediaPreview {

QImage image(const PreviewPicture& picture) {
    if (!picture.pixels || picture.width < 1 || picture.height < 1)
        return {};
    // The image keeps its own reference to the pixels for as long as it, or a copy of it, lives.
    auto* keeper = new std::shared_ptr<const unsigned char>(picture.pixels);
    return QImage(
        picture.pixels.get(), picture.width, picture.height, picture.width * 4,
        QImage::Format_ARGB32_Premultiplied,
        [](void* kept) { delete static_cast<std::shared_ptr<const unsigned char>*>(kept); },
        keeper);
}

QImage pixelated(const QImage& picture, int cells) {
    if (picture.isNull())
        return {};
    int width = std::max(cells, 1);
    const double exactHeight =
        static_cast<double>(cells) * picture.height() / std::max(picture.width(), 1);
    int height = 1;
    // An extreme shape would otherwise ask for a placeholder millions of pixels long.
    const int longest = width * maximumAspect;
    if (exactHeight > longest) {
        height = longest;
        width = std::max(1, static_cast<int>(width * longest / exactHeight));
    } else {
        height = std::max(static_cast<int>(exactHeight), 1);
    }
    QImage result = picture.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (result.isNull())
        return {};
    result.convertTo(QImage::Format_ARGB32_Premultiplied);
    return result;
}

} // namespace clarivex::MediaPreview
