#include "app/window/sidebar.h"

#include "app/queue/store.h"
#include "app/texts/pipeline_text.h"
#include "ui/paint/theme.h"
#include "ui/text/model_choice_display.h"
#include "ui/text/target_display.h"
#include "ui/widgets/loop_fade_stepper.h"
#include "ui/widgets/option_tile.h"
#include "ui/widgets/pill_button.h"
#include "ui/widgets/reveal_box.h"
#include "ui/widgets/size_tile.h"
#include "ui/widgets/text_label.h"
#include "ui/widgets/toggle_switch.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace clarivex {

namespace {

constexpr int columnPadding = 20;
constexpr int sectionSpacing = 22;
constexpr int sectionTitleSpacing = 10;
constexpr int gridSpacing = 8;

QString fromView(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

Sidebar::Sidebar(Store& store, QWidget* parent)
    : QWidget(parent)
    , store_(store)
    , settings_(store.settings())
    , scroll_(new QScrollArea(this)) {
    setFixedWidth(columnWidth);
    setAttribute(Qt::WA_OpaquePaintEvent);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setWidgetResizable(true);
    scroll_->viewport()->setAutoFillBackground(false);
    scroll_->setStyleSheet(QStringLiteral("QScrollArea { background: transparent; }"));
    scroll_->setWidget(buildColumn());
    // setWidget() turns the background on; the column lies over the sidebar's gradient.
    scroll_->widget()->setAutoFillBackground(false);
    auto* layout = new QVBoxLayout(this);
    // The hairline along the left edge stays visible beside the column.
    layout->setContentsMargins(1, 0, 0, 0);
    layout->addWidget(scroll_);
    connect(&settings_, &OptionsModel::settingsChanged, this, &Sidebar::refresh);
    connect(&store_.engine(), &EngineCheck::changed, this, &Sidebar::refreshModels);
    refresh();
    refreshModels();
}

void Sidebar::refreshModels() {
    const EngineCheck& engine = store_.engine();
    // Without an engine the header says what is wrong; the tiles stay as they are.
    const bool known = engine.error().isEmpty();
    for (size_t index = 0; index < modelTiles_.size(); ++index) {
        const ModelChoice choice = allModelChoices[index];
        OptionTile* tile = modelTiles_[index];
        if (!known || engine.models().offers(choice)) {
            tile->setUnavailable(std::nullopt);
            tile->setToolTip({});
            continue;
        }
        tile->setUnavailable(QStringLiteral("Не установлена"));
        // "Авто" is unavailable only when no model at all is there: it names the one it prefers.
        const std::string model = resolved(choice, MediaKind::image).name;
        tile->setToolTip(
            QString::fromStdString(PipelineText::error(engine.models().absence(model))));
    }
}

QWidget* Sidebar::buildColumn() {
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(columnPadding - 1, columnPadding, columnPadding, columnPadding);
    layout->setSpacing(sectionSpacing);
    layout->addWidget(section(QStringLiteral("МОДЕЛЬ"), modelSection()));
    layout->addLayout(section(QStringLiteral("РАЗМЕР"), sizeSection()));
    layout->addWidget(section(QStringLiteral("ВИДЕО"), videoSection()));
    layout->addWidget(section(QStringLiteral("СОХРАНЕНИЕ"), savingSection()));
    // The seam row reaches past its section on its way in and out; the column draws it whole.
    fadeBox_->drawIn(column);
    QWidget::setTabOrder(loopToggle_, fadeStepper_);

    chooseButton_ = new PillButton(QStringLiteral("Выбрать файлы"), {true, true}, column);
    chooseButton_->setSymbol("plus");
    chooseButton_->setFocusPolicy(Qt::StrongFocus);
    connect(chooseButton_, &QAbstractButton::clicked, this, [this] { store_.openPanel(window()); });
    layout->addWidget(chooseButton_);
    layout->addStretch(1);
    return column;
}

QWidget* Sidebar::section(const QString& title, QWidget* content) {
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(sectionTitleSpacing);
    layout->addWidget(capsLabel(title, 9.5, 1.6));
    layout->addWidget(content);
    return box;
}

QLayout* Sidebar::section(const QString& title, QLayout* content) {
    auto* layout = new QVBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(sectionTitleSpacing);
    layout->addWidget(capsLabel(title, 9.5, 1.6));
    layout->addLayout(content);
    return layout;
}

QWidget* Sidebar::modelSection() {
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    for (ModelChoice choice : allModelChoices) {
        auto* tile = new OptionTile(std::string(symbol(choice)), fromView(title(choice)),
                                    fromView(shortHint(choice)), choice == settings_.model());
        tile->setFocusPolicy(Qt::StrongFocus);
        tile->setAccessibleName(fromView(title(choice)));
        connect(tile, &QAbstractButton::clicked, this,
                [this, choice] { settings_.setModel(choice); });
        modelTiles_.push_back(tile);
        layout->addWidget(tile);
    }
    return box;
}

QGridLayout* Sidebar::sizeSection() {
    auto* grid = new QGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(gridSpacing);
    int index = 0;
    for (Target target : allTargets) {
        auto* tile = new SizeTile(fromView(title(target)), fromView(resolutionHint(target)),
                                  target == settings_.target());
        tile->setFocusPolicy(Qt::StrongFocus);
        tile->setAccessibleName(fromView(title(target)));
        connect(tile, &QAbstractButton::clicked, this,
                [this, target] { settings_.setTarget(target); });
        sizeTiles_.push_back(tile);
        grid->addWidget(tile, index / 2, index % 2);
        ++index;
    }
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    return grid;
}

QWidget* Sidebar::toggleRow(const QString& title, const QString& hint, ToggleSwitch* toggle) {
    // The switch stands beside the title; the hint runs under both, over the row's full width,
    // so that a hint such as the loop's keeps to one line instead of leaving its last word alone
    // on a second.
    auto* row = new QWidget;
    auto* layout = new QGridLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setHorizontalSpacing(8);
    layout->setVerticalSpacing(2);
    layout->addWidget(textLabel(title, Theme::system(13, QFont::DemiBold), Theme::text()), 0, 0);
    toggle->setAccessibleName(title);
    toggle->setFocusPolicy(Qt::StrongFocus);
    layout->addWidget(toggle, 0, 1, Qt::AlignVCenter);
    QLabel* hintLabel = textLabel(hint, Theme::body(10.5), Theme::muted());
    hintLabel->setWordWrap(true);
    layout->addWidget(hintLabel, 1, 0, 1, 2);
    layout->setColumnStretch(0, 1);
    return row;
}

QWidget* Sidebar::videoSection() {
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    // The seam row's box brings the spacing above it, so that it comes and goes with the row.
    layout->setSpacing(0);
    loopToggle_ = new ToggleSwitch;
    connect(loopToggle_, &QAbstractButton::toggled, this,
            [this](bool on) { settings_.setSeamlessLoop(on); });
    layout->addWidget(toggleRow(QStringLiteral("Бесшовная петля"),
                                QStringLiteral("Конец плавно перетекает в начало, без звука"),
                                loopToggle_));

    auto* fadeRow = new QWidget;
    auto* row = new QHBoxLayout(fadeRow);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(textLabel(QStringLiteral("Длина стыка"), Theme::body(12), Theme::muted()));
    row->addStretch(1);
    fadeStepper_ = new LoopFadeStepper;
    connect(fadeStepper_, &LoopFadeStepper::valueChanged, this,
            [this](double value) { settings_.setLoopFade(value); });
    row->addWidget(fadeStepper_);
    fadeBox_ = new RevealBox(fadeRow, 10);
    layout->addWidget(fadeBox_);
    return box;
}

QWidget* Sidebar::savingSection() {
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    picturesToggle_ = new ToggleSwitch;
    connect(picturesToggle_, &QAbstractButton::toggled, this,
            [this](bool on) { settings_.setCopyToPictures(on); });
    layout->addWidget(toggleRow(QStringLiteral("Копия в «Изображения»"),
                                QStringLiteral("~/Pictures/Clarivex"), picturesToggle_));
    namingHint_ = textLabel(QString(), Theme::body(11), Theme::muted());
    namingHint_->setWordWrap(true);
    layout->addWidget(namingHint_);
    return box;
}

QString Sidebar::namingHint() const {
    return QStringLiteral("Результат кладётся рядом с исходником: имя") +
           fromView(suffix(settings_.target()));
}

bool Sidebar::showsLoopFade() const {
    return fadeBox_->isShown();
}

void Sidebar::refresh() {
    for (size_t index = 0; index < modelTiles_.size(); ++index)
        modelTiles_[index]->setSelected(allModelChoices[index] == settings_.model());
    for (size_t index = 0; index < sizeTiles_.size(); ++index)
        sizeTiles_[index]->setSelected(allTargets[index] == settings_.target());
    loopToggle_->setOn(settings_.seamlessLoop());
    picturesToggle_->setOn(settings_.copyToPictures());
    fadeStepper_->setValue(settings_.loopFade());
    namingHint_->setText(namingHint());
    fadeBox_->setShown(settings_.seamlessLoop());
}

void Sidebar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QLinearGradient fill(0, 0, 0, height());
    fill.setColorAt(0.0, Theme::color(0x0B0B0C));
    fill.setColorAt(1.0, Theme::color(0x080808));
    painter.fillRect(rect(), fill);
    painter.fillRect(QRect(0, 0, 1, height()), Theme::line());
}

} // namespace clarivex
