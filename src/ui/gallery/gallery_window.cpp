#include "ui/gallery/gallery_window.h"

#include "ui/gallery/sample_pictures.h"
#include "ui/paint/symbol_font.h"
#include "ui/paint/theme.h"
#include "ui/text/eta_text.h"
#include "ui/text/format_size.h"
#include "ui/text/model_choice_display.h"
#include "ui/text/target_display.h"
#include "ui/widgets/ambient_background.h"
#include "ui/widgets/before_after_slider.h"
#include "ui/widgets/big_progress.h"
#include "ui/widgets/card.h"
#include "ui/widgets/celebration_burst.h"
#include "ui/widgets/drop_hero.h"
#include "ui/widgets/drop_overlay.h"
#include "ui/widgets/engine_indicator.h"
#include "ui/widgets/glow_bar.h"
#include "ui/widgets/loop_fade_stepper.h"
#include "ui/widgets/mini_ring.h"
#include "ui/widgets/option_tile.h"
#include "ui/widgets/pill_button.h"
#include "ui/widgets/pixel_resolve_icon.h"
#include "ui/widgets/scan_preview.h"
#include "ui/widgets/segmented.h"
#include "ui/widgets/shine_sweep.h"
#include "ui/widgets/size_tile.h"
#include "ui/widgets/stage_placeholder.h"
#include "ui/widgets/text_button.h"
#include "ui/widgets/toggle_switch.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace clarivex::gallery {

namespace {

QString text(std::string_view value) {
    return QString::fromUtf8(value.data(), qsizetype(value.size()));
}

QLabel* caption(const QString& title) {
    auto* label = new QLabel(title);
    QFont font = Theme::caps(9.5);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1.6);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Theme::muted());
    label->setPalette(palette);
    return label;
}

QLabel* note(const QString& value, qreal size = 12) {
    auto* label = new QLabel(value);
    label->setFont(Theme::body(size));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Theme::text());
    label->setPalette(palette);
    return label;
}

// The palette, the accent gradient and every symbol, painted side by side.
class Swatches : public QWidget {
public:
    Swatches() { setFixedHeight(84); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QList<QColor> colors{Theme::background(), Theme::surface(), Theme::surfaceRaised(),
                                   Theme::text(),       Theme::muted(),   Theme::line(),
                                   Theme::lineStrong(), Theme::accent(),  Theme::accentDeep(),
                                   Theme::accentGlow()};
        qreal x = 0;
        for (const QColor& color : colors) {
            const QRectF chip(x, 0, 22, 22);
            painter.setPen(QPen(Theme::lineStrong(), 1));
            painter.setBrush(color);
            painter.drawRoundedRect(chip.adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
            x += 26;
        }
        const QRectF gradient(x + 4, 0, width() - x - 4, 22);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Theme::accentGradient(gradient));
        painter.drawRoundedRect(gradient, 6, 6);

        x = 0;
        for (const std::string_view name : SymbolFont::names()) {
            SymbolFont::paint(painter, QRectF(x, 30, 22, 22), name, 15, Theme::text());
            x += 24;
        }
        painter.setFont(Theme::title(17));
        painter.setPen(Theme::text());
        painter.drawText(QPointF(0, 78), QStringLiteral("Заголовок"));
        painter.setFont(Theme::body(13));
        painter.drawText(QPointF(104, 78), QStringLiteral("Обычный текст"));
        QFont caps = Theme::caps(10);
        caps.setLetterSpacing(QFont::AbsoluteSpacing, 1.4);
        painter.setFont(caps);
        painter.setPen(Theme::accentGlow());
        painter.drawText(QPointF(212, 78), QStringLiteral("АПСКЕЙЛ"));
        painter.setFont(Theme::digits(14, QFont::Bold));
        painter.setPen(Theme::muted());
        painter.drawText(QPointF(300, 78), QStringLiteral("0123456789"));
    }
};

// Room at a column's sides, as a window keeps around its components for their glows.
constexpr int columnRoom = 20;

} // namespace

GalleryWindow::GalleryWindow(Page page, QWidget* parent)
    : QWidget(parent)
    , background_(new AmbientBackground(this))
    , content_(new QWidget(this))
    , burst_(new CelebrationBurst(this)) {
    setWindowTitle(QStringLiteral("Clarivex — компоненты"));
    if (page == Page::window) {
        auto* layout = new QHBoxLayout(content_);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(buildWindowPage());
        burst_->raise();
        resize(1600, 1040);
        return;
    }
    auto* columns = new QHBoxLayout(content_);
    // Each column keeps room at its sides for what its components' glows overhang.
    columns->setContentsMargins(4, 0, 4, 0);
    columns->setSpacing(0);
    columns->addWidget(buildThemeColumn(), 3);
    columns->addWidget(buildPictureColumn(), 5);
    columns->addWidget(buildProgressColumn(), 3);
    columns->addWidget(buildChoiceColumn(), 3);
    burst_->setTrigger(celebrations_);
    burst_->raise();
    resize(1600, 1040);
}

QWidget* GalleryWindow::buildThemeColumn() {
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(columnRoom, 20, columnRoom, 20);
    layout->setSpacing(10);

    layout->addWidget(caption(QStringLiteral("ТЕМА")));
    layout->addWidget(new Swatches);

    layout->addWidget(caption(QStringLiteral("КНОПКИ")));
    auto* large = new PillButton(QStringLiteral("Выбрать файлы"), {true, true});
    large->setSymbol("plus");
    connect(large, &QAbstractButton::clicked, this, &GalleryWindow::celebrate);
    layout->addWidget(large);
    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    auto* cancel = new PillButton(QString(), {false, false});
    cancel->setSymbol("xmark");
    cancel->setToolTip(QStringLiteral("Отменить"));
    row->addWidget(cancel);
    row->addWidget(new PillButton(QStringLiteral("Показать в Finder"), {false, false}));
    auto* open = new PillButton(QStringLiteral("Открыть"), {true, false});
    connect(open, &QAbstractButton::clicked, this, &GalleryWindow::advance);
    row->addWidget(open);
    row->addStretch();
    layout->addLayout(row);
    auto* states = new QHBoxLayout;
    states->setSpacing(10);
    auto* pressed = new PillButton(QStringLiteral("Нажата"), {true, false});
    pressed->setObjectName("pressedButton");
    states->addWidget(pressed);
    auto* disabled = new PillButton(QStringLiteral("Недоступна"), {true, false});
    disabled->setEnabled(false);
    states->addWidget(disabled);
    auto* retry = new PillButton(QStringLiteral("Повторить"), {false, false});
    retry->setEnabled(false);
    states->addWidget(retry);
    states->addStretch();
    layout->addLayout(states);

    layout->addWidget(caption(QStringLiteral("ПЕРЕКЛЮЧАТЕЛЬ")));
    auto* segmented = new Segmented;
    segmented->setOptions({{1, QStringLiteral("Фото")},
                           {2, QStringLiteral("Графика")},
                           {3, QStringLiteral("Видео")}});
    segmented->setSelection(2, false);
    layout->addWidget(segmented);
    auto* empty = new Segmented;
    empty->setOptions(
        {{1, QStringLiteral("1×")}, {2, QStringLiteral("2×")}, {4, QStringLiteral("4×")}});
    layout->addWidget(empty);

    layout->addWidget(caption(QStringLiteral("КАРТОЧКА")));
    auto* inside = new QWidget;
    auto* insideLayout = new QVBoxLayout(inside);
    insideLayout->setContentsMargins(18, 18, 18, 18);
    insideLayout->addWidget(note(QStringLiteral("Готово — 3840×2160"), 16));
    insideLayout->addWidget(note(QStringLiteral("photo-4k.png · 12 с · realesrgan-x4plus"), 12));
    card_ = card(inside, 20, false);
    layout->addWidget(card_);
    shine_ = clarivex::shine(card_, celebrations_);
    auto* highlightedInside = new QWidget;
    auto* highlightedLayout = new QVBoxLayout(highlightedInside);
    highlightedLayout->setContentsMargins(18, 14, 18, 14);
    highlightedLayout->addWidget(note(QStringLiteral("Выделенная, радиус 0"), 13));
    layout->addWidget(card(highlightedInside, 0, true));

    layout->addWidget(caption(QStringLiteral("РАЗМЕР ФАЙЛА")));
    layout->addWidget(note(formatSize(0) + QStringLiteral("   ") + formatSize(999'999) +
                           QStringLiteral("   ") + formatSize(4'321'000'000)));
    layout->addStretch();
    return column;
}

QWidget* GalleryWindow::buildPictureColumn() {
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(columnRoom, 20, columnRoom, 20);
    layout->setSpacing(10);
    const QImage picture = samplePicture(QSize(1200, 800));

    layout->addWidget(caption(QStringLiteral("СРАВНЕНИЕ")));
    auto* slider = new BeforeAfterSlider(sampleSource(picture, 150), picture,
                                         QStringLiteral("ПОСЛЕ · 3840×2160"));
    slider->setPosition(0.42, false);
    slider->setMinimumHeight(290);
    layout->addWidget(slider, 1);

    layout->addWidget(caption(QStringLiteral("СКАН")));
    scan_ = new ScanPreview;
    scan_->setImage(sampleSource(picture, 900));
    scan_->setPixelated(sampleSource(picture, 48));
    scan_->setFractionImmediately(fraction_);
    scan_->setMinimumHeight(290);
    layout->addWidget(scan_, 1);

    layout->addWidget(caption(QStringLiteral("4× · ЖДЁТ ОЧЕРЕДИ")));
    auto* variants = new QHBoxLayout;
    variants->setSpacing(12);
    // Room below for the boxes' shadows: the holder is their parent.
    variants->setContentsMargins(0, 0, 0, 24);
    auto* zoomed =
        new BeforeAfterSlider(sampleSource(picture, 150), picture, QStringLiteral("ПОСЛЕ · 4×"));
    zoomed->setPosition(0.5, false);
    zoomed->setZoom(4, false);
    variants->addWidget(zoomed);
    auto* waiting = new ScanPreview;
    waiting->setImage(sampleSource(picture, 600));
    waiting->setPixelated(sampleSource(picture, 48));
    waiting->setOpacity(0.7);
    variants->addWidget(waiting);
    auto* holder = new QWidget;
    holder->setLayout(variants);
    holder->setFixedHeight(220);
    layout->addWidget(holder);
    return column;
}

QWidget* GalleryWindow::buildProgressColumn() {
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(columnRoom, 20, columnRoom, 20);
    layout->setSpacing(10);

    layout->addWidget(caption(QStringLiteral("ПРОГРЕСС")));
    progress_ = new BigProgress;
    progress_->setStage(QStringLiteral("Апскейл"));
    progress_->setDetail(
        QStringLiteral("Кадры 97–144 из 240 · пачка 3 из 5 · realesr-animevideov3"));
    progress_->setEta(etaText(fraction_, 95));
    progress_->setFraction(fraction_);
    progress_->bar()->setValueImmediately(fraction_);
    layout->addWidget(progress_);
    auto* waiting = new BigProgress;
    waiting->setStage(QStringLiteral("Подготовка"));
    waiting->setDetail(QStringLiteral("Без оценки времени"));
    layout->addWidget(waiting);

    for (double value : {0.0, 0.3, 1.0}) {
        auto* bar = new GlowBar;
        bar->setValueImmediately(value);
        layout->addWidget(bar);
    }

    auto* rings = new QHBoxLayout;
    for (double value : {0.0, 0.25, 0.7, 1.0}) {
        auto* ring = new MiniRing;
        ring->setValueImmediately(value);
        ring->setFixedSize(ring->sizeHint());
        rings->addWidget(ring);
        if (value == 0.7)
            ring_ = ring;
    }
    auto* bigRing = new MiniRing;
    bigRing->setValueImmediately(0.6);
    bigRing->setFixedSize(52, 52);
    rings->addWidget(bigRing);
    rings->addStretch();
    layout->addLayout(rings);

    layout->addWidget(caption(QStringLiteral("ОСТАЛОСЬ")));
    QStringList etas;
    for (auto [fraction, elapsed] :
         {std::pair{0.5, 20.0}, {0.25, 60.0}, {0.03, 100.0}, {0.5, 119.0}}) {
        etas << etaText(fraction, elapsed).value_or(QStringLiteral("—"));
    }
    // One line: the note is laid out for a single line of text.
    layout->addWidget(note(etas.join(QStringLiteral(" · "))));

    layout->addWidget(caption(QStringLiteral("ЗНАЧОК")));
    auto* icons = new QHBoxLayout;
    icons->setSpacing(24);
    auto* idle = new PixelResolveIcon;
    idle->setFixedSize(120, 120);
    icons->addWidget(idle);
    auto* active = new PixelResolveIcon;
    active->setActive(true);
    active->setFixedSize(120, 120);
    icons->addWidget(active);
    icons->addStretch();
    layout->addLayout(icons);
    layout->addStretch();
    return column;
}

QWidget* GalleryWindow::buildChoiceColumn() {
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(columnRoom, 20, columnRoom, 20);
    layout->setSpacing(6);

    layout->addWidget(caption(QStringLiteral("МОДЕЛЬ")));
    QList<OptionTile*> tiles;
    for (ModelChoice choice : allModelChoices) {
        auto* tile = new OptionTile(std::string(symbol(choice)), text(title(choice)),
                                    text(shortHint(choice)), choice == ModelChoice::automatic);
        tiles.push_back(tile);
        layout->addWidget(tile);
    }
    auto* narrow =
        new OptionTile("film.stack", QStringLiteral("Очень длинная подпись"),
                       QStringLiteral("Подпись, которая никак не помещается в строку"), false);
    narrow->setMaximumWidth(220);
    layout->addWidget(narrow);
    for (OptionTile* tile : tiles) {
        connect(tile, &QAbstractButton::clicked, this, [tile, tiles] {
            for (OptionTile* other : tiles)
                other->setSelected(other == tile);
        });
    }

    layout->addSpacing(10);
    layout->addWidget(caption(QStringLiteral("РАЗМЕР")));
    auto* grid = new QGridLayout;
    grid->setSpacing(8);
    QList<SizeTile*> sizes;
    int index = 0;
    for (Target target : allTargets) {
        auto* tile = new SizeTile(text(title(target)), text(resolutionHint(target)),
                                  target == Target::uhd4k);
        sizes.push_back(tile);
        grid->addWidget(tile, index / 2, index % 2);
        ++index;
    }
    for (SizeTile* tile : sizes) {
        connect(tile, &QAbstractButton::clicked, this, [tile, sizes] {
            for (SizeTile* other : sizes)
                other->setSelected(other == tile);
        });
    }
    layout->addLayout(grid);
    layout->addStretch();
    return column;
}

QWidget* GalleryWindow::buildWindowPage() {
    auto* page = new QWidget;
    auto* columns = new QHBoxLayout(page);
    columns->setContentsMargins(columnRoom, 20, columnRoom, 20);
    columns->setSpacing(40);

    // The invitation and the overlay at the size of a window's stage; each keeps its room.
    auto* stage = new QVBoxLayout;
    stage->setSpacing(10);
    stage->addWidget(caption(QStringLiteral("ПРИГЛАШЕНИЕ")));
    auto* hero = new DropHero;
    hero->setMinimumSize(640, 520);
    stage->addWidget(hero, 1);
    stage->addWidget(caption(QStringLiteral("ПОД ПЕРЕТАСКИВАНИЕМ")));
    auto* targeted = new DropHero;
    targeted->setTargeted(true);
    targeted->setMinimumSize(640, 520);
    stage->addWidget(targeted, 1);
    columns->addLayout(stage, 3);

    auto* parts = new QVBoxLayout;
    parts->setSpacing(12);
    parts->addWidget(caption(QStringLiteral("ДВИЖОК")));
    auto* engines = new QHBoxLayout;
    auto* ready = new EngineIndicator;
    ready->setState(std::nullopt, QStringLiteral("/opt/realesrgan"));
    engines->addWidget(ready);
    auto* missing = new EngineIndicator;
    missing->setState(QStringLiteral("Не найден realesrgan-ncnn-vulkan."), {});
    engines->addWidget(missing);
    engines->addStretch();
    parts->addLayout(engines);

    parts->addWidget(caption(QStringLiteral("ПЕРЕКЛЮЧАТЕЛИ И ШАГ")));
    auto* controls = new QHBoxLayout;
    controls->setSpacing(16);
    controls->addWidget(new ToggleSwitch);
    auto* on = new ToggleSwitch;
    on->setOn(true);
    controls->addWidget(on);
    controls->addWidget(new LoopFadeStepper);
    auto* longest = new LoopFadeStepper;
    longest->setValue(LoopFadeStepper::maximum);
    controls->addWidget(longest);
    controls->addStretch();
    parts->addLayout(controls);

    parts->addWidget(caption(QStringLiteral("ТЕКСТОВЫЕ КНОПКИ")));
    auto* texts = new QHBoxLayout;
    texts->setSpacing(16);
    texts->addWidget(new TextButton(QStringLiteral("Очистить готовые"), Theme::text()));
    texts->addWidget(new TextButton(QStringLiteral("Отменить всё"), Theme::accent()));
    texts->addStretch();
    parts->addLayout(texts);

    parts->addWidget(caption(QStringLiteral("ЗАГРУЗКА")));
    auto* placeholder = new StagePlaceholder;
    placeholder->setFixedHeight(180);
    parts->addWidget(placeholder);

    parts->addWidget(caption(QStringLiteral("ДОБАВИТЬ В ОЧЕРЕДЬ")));
    auto* overlay = new DropOverlay;
    overlay->setFixedHeight(200);
    overlay->setShowing(true);
    parts->addWidget(overlay);
    parts->addStretch();
    columns->addLayout(parts, 2);
    return page;
}

void GalleryWindow::resizeEvent(QResizeEvent* event) {
    background_->setGeometry(rect());
    content_->setGeometry(rect());
    burst_->setGeometry(rect());
    QWidget::resizeEvent(event);
}

void GalleryWindow::celebrate() {
    ++celebrations_;
    burst_->setTrigger(celebrations_);
    if (shine_)
        shine_->setTrigger(celebrations_);
}

void GalleryWindow::advance() {
    fraction_ = fraction_ >= 1.0 ? 0.0 : std::min(1.0, fraction_ + 0.13);
    setProgress(fraction_);
}

void GalleryWindow::setProgress(double fraction) {
    if (!scan_)
        return;
    scan_->setFraction(fraction);
    progress_->setFraction(fraction);
    progress_->setEta(etaText(fraction, 95));
    ring_->setValue(fraction);
}

} // namespace clarivex::gallery
