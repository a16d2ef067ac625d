#include "ui/widgets/drop_hero.h"

#include "ui/paint/glow_overhang.h"
#include "ui/paint/shapes.h"
#include "ui/paint/theme.h"
#include "ui/widgets/pixel_resolve_icon.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

#include <array>
#include <cmath>

namespace clarivex {

namespace {

constexpr qreal iconSide = 150.0;
constexpr qreal stackSpacing = 26.0;
constexpr qreal titleSpacing = 10.0;
constexpr qreal lineSpacing = 3.0;
constexpr qreal buttonHeight = 44.0;
constexpr qreal buttonPadding = 22.0;
constexpr qreal buttonSpacing = 10.0;
constexpr qreal tagSpacing = 18.0;
constexpr qreal targetedScale = 1.015;

const QString idleTitle = QStringLiteral("Перетащите фото или видео");
const QString targetedTitle = QStringLiteral("Отпускайте");
const std::array<QString, 2> explanation{
    QStringLiteral("Нейросеть дорисует детали и сделает из него 2K или 4K."),
    QStringLiteral("Можно сразу несколько файлов и целые папки.")};
const QString buttonTitle = QStringLiteral("Выбрать файлы");
const QString shortcutText = QStringLiteral("Ctrl+O");
const std::array<QString, 3> tags{QStringLiteral("JPG · PNG · HEIC · WEBP"),
                                  QStringLiteral("MP4 · MOV · MKV"),
                                  QStringLiteral("ЗВУК СОХРАНЯЕТСЯ")};

QFont titleFont() {
    QFont font = Theme::title(32);
    font.setLetterSpacing(QFont::AbsoluteSpacing, -0.6);
    return font;
}

QFont tagFont() {
    QFont font = Theme::caps(9);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1.0);
    return font;
}

// Qt's dash lengths count in line widths; the design's count in points.
QPen dashedPen(const QBrush& brush, qreal width) {
    QPen pen(brush, width);
    pen.setDashPattern({9.0 / width, 7.0 / width});
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

} // namespace

DropHero::DropHero(QWidget* parent)
    : QAbstractButton(parent)
    , targeted_(
          0.0, Theme::spring(),
          [this] {
              update();
              placeIcon();
          },
          this)
    , hover_(
          0.0, 200, Theme::easeOut(), [this] { update(); }, this)
    , icon_(new PixelResolveIcon(this)) {
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(idleTitle);
    icon_->setAttribute(Qt::WA_TransparentForMouseEvents);
    icon_->setFixedSize(icon_->sizeHint());
}

void DropHero::setTargeted(bool targeted) {
    targeted_.animateTo(targeted ? 1.0 : 0.0);
    icon_->setActive(targeted || isHovered());
    setAccessibleName(title());
}

void DropHero::setHover(bool hover) {
    if (hover == isHovered())
        return;
    hover_.animateTo(hover ? 1.0 : 0.0);
    icon_->setActive(hover || isTargeted());
}

QString DropHero::title() const {
    return isTargeted() ? targetedTitle : idleTitle;
}

GlowSpec DropHero::glow() {
    return {Theme::withOpacity(Theme::accent(), 0.35), 40.0, {}};
}

QMargins DropHero::room() {
    QMargins margins = GlowOverhang::room({glowRoom(glow())});
    margins.setBottom(std::max(margins.bottom(), int(bottomPadding)));
    return margins;
}

QRectF DropHero::frameRect() const {
    return QRectF(rect()).marginsRemoved(QMarginsF(room()));
}

DropHero::Rows DropHero::rows() const {
    const QRectF frame = frameRect();
    const qreal titleHeight = QFontMetricsF(titleFont()).height();
    const qreal textLine = QFontMetricsF(Theme::body(14)).height();
    const qreal textHeight = 2.0 * textLine + lineSpacing;
    const qreal tagHeight = QFontMetricsF(tagFont()).height();
    const qreal total = iconSide + stackSpacing + titleHeight + titleSpacing + textHeight +
                        stackSpacing + buttonHeight + stackSpacing + tagHeight;
    qreal top = frame.center().y() - total / 2.0;
    Rows layout;
    layout.icon = QRectF(frame.center().x() - iconSide / 2.0, top, iconSide, iconSide);
    top += iconSide + stackSpacing;
    layout.titleTop = top;
    top += titleHeight + titleSpacing;
    layout.textTop = top;
    top += textHeight + stackSpacing;
    const qreal labelWidth =
        QFontMetricsF(Theme::system(14, QFont::DemiBold)).horizontalAdvance(buttonTitle) +
        buttonSpacing +
        QFontMetricsF(Theme::digits(12, QFont::Medium)).horizontalAdvance(shortcutText);
    const qreal buttonWidth = std::ceil(labelWidth + 2.0 * buttonPadding);
    layout.button = QRectF(frame.center().x() - buttonWidth / 2.0, top, buttonWidth, buttonHeight);
    top += buttonHeight + stackSpacing;
    layout.tagsTop = top;
    return layout;
}

void DropHero::placeIcon() {
    const QRectF canvas = icon_->canvasRect();
    const QRectF target = rows().icon;
    icon_->move((target.topLeft() - canvas.topLeft()).toPoint());
    icon_->setGrowth(scale(), icon_->mapFromParent(frameRect().center()));
}

qreal DropHero::scale() const {
    return 1.0 + (targetedScale - 1.0) * targeted_.value();
}

void DropHero::resizeEvent(QResizeEvent* event) {
    placeIcon();
    QAbstractButton::resizeEvent(event);
}

void DropHero::mouseMoveEvent(QMouseEvent* event) {
    setHover(hitButton(event->position().toPoint()));
    QAbstractButton::mouseMoveEvent(event);
}

void DropHero::leaveEvent(QEvent* event) {
    setHover(false);
    QAbstractButton::leaveEvent(event);
}

bool DropHero::hitButton(const QPoint& position) const {
    return continuousRoundedRect(frameRect(), cornerRadius).contains(QPointF(position));
}

void DropHero::hideEvent(QHideEvent* event) {
    targeted_.finish();
    hover_.finish();
    QAbstractButton::hideEvent(event);
}

void DropHero::paintEvent(QPaintEvent* event) {
    // The emblem above animates all the time and has this repainted under it on every frame;
    // the rest only changes with the size, the drag or the pointer, so it is drawn once for
    // each of those and copied after.
    const qreal ratio = devicePixelRatioF();
    const Picture key{size(), ratio, targeted_.value(), hover_.value()};
    if (!(key == pictureKey_) || picture_.isNull()) {
        picture_ = QImage((QSizeF(size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
        picture_.setDevicePixelRatio(ratio);
        picture_.fill(Qt::transparent);
        QPainter canvas(&picture_);
        paintPicture(canvas);
        pictureKey_ = key;
    }
    QPainter painter(this);
    for (const QRect& part : event->region())
        painter.drawImage(part, picture_,
                          QRectF(QPointF(part.topLeft()) * ratio, QSizeF(part.size()) * ratio));
}

void DropHero::paintPicture(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF frame = frameRect();
    const qreal grown = scale();
    painter.translate(frame.center());
    painter.scale(grown, grown);
    painter.translate(-frame.center());

    paintFrame(painter, frame);
    const Rows layout = rows();
    paintTexts(painter, layout);
    paintButtonRow(painter, layout.button);
    paintTags(painter, layout.tagsTop);
}

void DropHero::paintFrame(QPainter& painter, const QRectF& frame) {
    const qreal targeted = std::clamp(targeted_.value(), 0.0, 1.0);
    const QPainterPath shape = continuousRoundedRect(frame, cornerRadius);
    const qreal fillOpacity = 0.35 - 0.10 * targeted;
    const qreal targetedWidth = 2.0;
    const QPainterPath targetedOutline =
        continuousRoundedRect(frame.adjusted(targetedWidth / 2, targetedWidth / 2,
                                             -targetedWidth / 2, -targetedWidth / 2),
                              cornerRadius - targetedWidth / 2);
    if (targeted > 0.0) {
        // The frame glows from what it draws: the dashed outline at full strength, and the
        // fill, black at a quarter opacity, a quarter as strongly. A glow of the whole shape
        // would wash the area red.
        painter.save();
        painter.setOpacity(targeted);
        outlineGlow_.paint(
            painter,
            QPainterPathStroker(dashedPen(Qt::black, targetedWidth)).createStroke(targetedOutline),
            glow());
        painter.setOpacity(targeted * fillOpacity);
        frameGlow_.paint(painter, shape, glow());
        painter.restore();
    }
    painter.fillPath(shape, Theme::color(0x000000, fillOpacity));

    // The idle and the targeted border cross-fade, so the spring carries the change.
    const qreal idleWidth = 1.2;
    const qreal idleOpacity = 0.12 + 0.10 * std::clamp(hover_.value(), 0.0, 1.0);
    painter.save();
    painter.setBrush(Qt::NoBrush);
    if (targeted < 1.0) {
        painter.setOpacity(1.0 - targeted);
        painter.setPen(dashedPen(Theme::color(0xFFFFFF, idleOpacity), idleWidth));
        painter.drawPath(continuousRoundedRect(
            frame.adjusted(idleWidth / 2, idleWidth / 2, -idleWidth / 2, -idleWidth / 2),
            cornerRadius - idleWidth / 2));
    }
    if (targeted > 0.0) {
        painter.setOpacity(targeted);
        painter.setPen(dashedPen(Theme::accentGradient(frame), targetedWidth));
        painter.drawPath(targetedOutline);
    }
    painter.restore();
}

void DropHero::paintTexts(QPainter& painter, const Rows& layout) {
    const QRectF frame = frameRect();
    const qreal targeted = std::clamp(targeted_.value(), 0.0, 1.0);
    const QFont title = titleFont();
    const qreal titleHeight = QFontMetricsF(title).height();
    const QRectF titleRect(frame.left(), layout.titleTop, frame.width(), titleHeight);
    painter.setFont(title);
    painter.setPen(Theme::text());
    painter.save();
    if (targeted < 1.0) {
        painter.setOpacity(1.0 - targeted);
        painter.drawText(titleRect, Qt::AlignHCenter | Qt::AlignTop, idleTitle);
    }
    if (targeted > 0.0) {
        painter.setOpacity(targeted);
        painter.drawText(titleRect, Qt::AlignHCenter | Qt::AlignTop, targetedTitle);
    }
    painter.restore();

    const QFont body = Theme::body(14);
    const qreal line = QFontMetricsF(body).height();
    painter.setFont(body);
    painter.setPen(Theme::muted());
    qreal top = layout.textTop;
    for (const QString& sentence : explanation) {
        painter.drawText(QRectF(frame.left(), top, frame.width(), line),
                         Qt::AlignHCenter | Qt::AlignTop, sentence);
        top += line + lineSpacing;
    }
}

void DropHero::paintButtonRow(QPainter& painter, const QRectF& button) {
    const QPainterPath shape = capsule(button);
    painter.save();
    painter.setOpacity(0.5);
    buttonGlow_.paintCapsule(painter, button, {Theme::accent(), 16.0, {0.0, 4.0}});
    painter.restore();
    painter.fillPath(shape, Theme::accentGradient(button));

    const QFont titleFont = Theme::system(14, QFont::DemiBold);
    const QFont keyFont = Theme::digits(12, QFont::Medium);
    const qreal titleWidth = QFontMetricsF(titleFont).horizontalAdvance(buttonTitle);
    qreal x = button.left() + buttonPadding;
    painter.setFont(titleFont);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(x, button.top(), titleWidth + 1, button.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, buttonTitle);
    x += titleWidth + buttonSpacing;
    painter.setFont(keyFont);
    painter.setPen(Theme::color(0xFFFFFF, 0.6));
    painter.drawText(QRectF(x, button.top(), button.right() - x, button.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, shortcutText);
}

void DropHero::paintTags(QPainter& painter, qreal top) {
    const QFont font = tagFont();
    const QFontMetricsF metrics(font);
    qreal total = tagSpacing * (tags.size() - 1);
    for (const QString& tag : tags)
        total += metrics.horizontalAdvance(tag);
    qreal x = frameRect().center().x() - total / 2.0;
    painter.setFont(font);
    painter.setPen(Theme::withOpacity(Theme::muted(), 0.8));
    for (const QString& tag : tags) {
        const qreal width = metrics.horizontalAdvance(tag);
        painter.drawText(QRectF(x, top, width + 2, metrics.height()), Qt::AlignLeft | Qt::AlignTop,
                         tag);
        x += width + tagSpacing;
    }
}

} // namespace clarivex
