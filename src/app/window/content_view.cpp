#include "app/window/content_view.h"

#include "app/queue/job.h"
#include "app/queue/store.h"
#include "app/window/dropped_files.h"
#include "app/window/job_stage.h"
#include "app/window/queue_card.h"
#include "app/window/queue_strip.h"
#include "app/window/sidebar.h"
#include "app/window/stage_header.h"
#include "ui/animation/appearance.h"
#include "ui/paint/theme.h"
#include "ui/widgets/ambient_background.h"
#include "ui/widgets/before_after_slider.h"
#include "ui/widgets/celebration_burst.h"
#include "ui/widgets/drop_hero.h"
#include "ui/widgets/drop_overlay.h"
#include "ui/widgets/engine_indicator.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace clarivex {

namespace {

constexpr int mainPadding = 28;
constexpr qreal targetedIntensity = 1.8;

} // namespace

ContentView::ContentView(Store& store, QWidget* parent)
    : QWidget(parent)
    , store_(store)
    , background_(new AmbientBackground(this))
    , header_(new StageHeader(this))
    , strip_(new QueueStrip(store, this))
    , stripAppearance_(new Appearance(strip_, {1.0, {0.0, 1.0}}, Theme::spring()))
    , burst_(new CelebrationBurst(this))
    , overlay_(new DropOverlay(this))
    , sidebar_(new Sidebar(store, this)) {
    setAcceptDrops(true);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Theme::background());
    palette.setColor(QPalette::WindowText, Theme::text());
    setPalette(palette);
    burst_->setAttribute(Qt::WA_TransparentForMouseEvents);
    burst_->setTrigger(store_.queue().celebration());
    strip_->hide();

    JobQueue& queue = store_.queue();
    connect(&queue, &JobQueue::focusedChanged, this, &ContentView::refreshFocus);
    connect(&queue.model(), &JobListModel::rowsInserted, this, [this] {
        refreshStrip();
        refreshFocus();
    });
    // A clear takes its rows out in runs: the focus is followed once they have all gone
    // (focusedChanged), unless none is left, which is final.
    connect(&queue.model(), &JobListModel::rowsRemoved, this, [this] {
        refreshStrip();
        if (store_.queue().jobs().isEmpty())
            refreshFocus();
    });
    connect(&store_.engine(), &EngineCheck::changed, this, &ContentView::refreshEngine);
    connect(&queue, &JobQueue::celebrationChanged, this,
            [this] { burst_->setTrigger(store_.queue().celebration()); });

    refreshEngine();
    refreshStrip();
    refreshFocus();
    resize(sizeHint());
}

DropHero* ContentView::dropHero() const {
    return hero_;
}

JobStage* ContentView::jobStage() const {
    return stage_;
}

QSize ContentView::sizeHint() const {
    return {1180, 760};
}

QSize ContentView::minimumSizeHint() const {
    return {minimumWidth, minimumHeight};
}

QRect ContentView::stageRect() const {
    return {0, 0, std::max(0, width() - Sidebar::columnWidth), height()};
}

QRect ContentView::mainArea() const {
    const QRect stage = stageRect();
    const int top = header_->sizeHint().height();
    // The strip as it will rest, not as it is drawn: the view that comes in with the strip's
    // coming or going is pictured once at its size, and a picture stretched to a size on the
    // way would show it squashed, then snapping to its layout. The strip slides over the main
    // area's edge meanwhile.
    const int bottom = stage.bottom() + 1 - (stripShown_ ? QueueStrip::stripHeight() : 0);
    return QRect(stage.left() + mainPadding, top, std::max(0, stage.width() - 2 * mainPadding),
                 std::max(0, bottom - top));
}

PictureLoader::Sizes ContentView::pictureSizes(const QSize& largestView, qreal ratio) {
    const int stageWidth = largestView.width() - Sidebar::columnWidth - 2 * mainPadding;
    const int stageHeight =
        largestView.height() - StageHeader::preferredHeight() - QueueStrip::stripHeight();
    const QSizeF visual = QSizeF(JobStage::largestVisual(QSize(stageWidth, stageHeight))) * ratio;
    const qreal zoom = BeforeAfterLayout::zoomLevels.back();
    // The stage never shows a preview of more than 1400 pixels a side.
    constexpr qreal previewLimit = 1400;
    const auto whole = [](qreal side) { return std::max(1, int(std::ceil(side))); };
    return {QSize(whole(QueueCard::cardWidth * ratio), whole(QueueCard::cardHeight * ratio)),
            QSize(whole(std::min(visual.width(), previewLimit)),
                  whole(std::min(visual.height(), previewLimit))),
            QSize(whole(visual.width() * zoom), whole(visual.height() * zoom))};
}

void ContentView::tellPictureSizes() {
    // The largest this view can become: the screen it is on, unless it is larger already.
    const QSize largest = screen() ? size().expandedTo(screen()->availableSize()) : size();
    store_.pictures().setSizes(pictureSizes(largest, devicePixelRatioF()));
}

void ContentView::showEvent(QShowEvent* event) {
    if (QWindow* window = this->window()->windowHandle())
        connect(window, &QWindow::screenChanged, this, &ContentView::tellPictureSizes,
                Qt::UniqueConnection);
    tellPictureSizes();
    QWidget::showEvent(event);
}

void ContentView::refreshEngine() {
    using State = EngineIndicator::State;
    const EngineCheck& engine = store_.engine();
    if (!engine.error().isEmpty()) {
        header_->indicator()->setState(State::missing, engine.error());
        header_->update();
        return;
    }
    const QString place = QStringLiteral("Real-ESRGAN: ") + engine.folder() + QLatin1Char('\n');
    const std::optional<EngineDevice> device = engine.device();
    if (device && device->software()) {
        header_->indicator()->setState(
            State::onProcessor, place + QString::fromStdString(softwareDeviceWarning(*device)));
    } else {
        const QString named =
            device ? QStringLiteral("Видеокарта: ") + QString::fromStdString(device->name)
            : engine.isProbing() ? QStringLiteral("Видеокарта: определяется…")
                                 : QStringLiteral("Устройство Vulkan не определено");
        header_->indicator()->setState(State::ready, place + named);
    }
    header_->update();
}

void ContentView::refreshStrip() {
    const bool wanted = !store_.queue().jobs().isEmpty();
    if (wanted == stripShown_)
        return;
    stripShown_ = wanted;
    // Nothing is laid out again here: the view on the stage goes with the strip's change (the
    // focus follows next) and leaves as it was; the one that comes is laid out for the strip as
    // it will rest.
    stripAppearance_->setShown(wanted);
}

void ContentView::refreshFocus() {
    Job* focused = store_.queue().focused();
    if (!focused) {
        if (!hero_)
            showHero();
        return;
    }
    if (stage_ && stage_->job() == focused)
        return;
    showStage(*focused);
}

void ContentView::retire(QWidget* view) {
    if (!view)
        return;
    view->setAttribute(Qt::WA_TransparentForMouseEvents);
    view->clearFocus();
    auto* appearance = view->findChild<Appearance*>(QString(), Qt::FindDirectChildrenOnly);
    if (!appearance) {
        view->deleteLater();
        return;
    }
    QPointer<QWidget> guard = view;
    appearance->leave([guard] {
        if (guard)
            guard->deleteLater();
    });
}

void ContentView::showHero() {
    retire(stage_);
    stage_ = nullptr;
    hero_ = new DropHero(this);
    hero_->setTargeted(targeted_);
    connect(hero_, &QAbstractButton::clicked, this, [this] { store_.openPanel(window()); });
    auto* appearance = new Appearance(hero_, {}, Theme::spring());
    layoutStage();
    stackLayers();
    hero_->show();
    appearance->enter();
}

void ContentView::showStage(Job& job) {
    retire(hero_);
    hero_ = nullptr;
    retire(stage_);
    stage_ = new JobStage(store_, job, this);
    auto* appearance = new Appearance(stage_, {0.97, {}}, Theme::spring());
    layoutStage();
    stackLayers();
    stage_->show();
    appearance->enter();
}

void ContentView::stackLayers() {
    background_->lower();
    strip_->raise();
    header_->raise();
    burst_->raise();
    overlay_->raise();
    sidebar_->raise();
}

void ContentView::layoutStage() {
    const QRect stage = stageRect();
    background_->setGeometry(stage);
    header_->setGeometry(stage.left(), stage.top(), stage.width(), header_->sizeHint().height());
    const int stripHeight = QueueStrip::stripHeight();
    strip_->setGeometry(stage.left(), stage.bottom() + 1 - stripHeight, stage.width(), stripHeight);
    burst_->setGeometry(stage);
    overlay_->setGeometry(stage);
    sidebar_->setGeometry(stage.right() + 1, 0, Sidebar::columnWidth, height());

    const QRect main = mainArea();
    // Each view's widget reaches beyond the main area by the room its glows need; its visible
    // part, bottom padding included, is the main area.
    if (hero_) {
        const QMargins room = DropHero::room();
        hero_->setGeometry(main.marginsAdded(QMargins(
            room.left(), room.top(), room.right(), room.bottom() - int(DropHero::bottomPadding))));
    }
    if (stage_)
        stage_->setGeometry(main.marginsAdded(JobStage::room()));
}

void ContentView::resizeEvent(QResizeEvent* event) {
    layoutStage();
    if (isVisible())
        tellPictureSizes();
    QWidget::resizeEvent(event);
}

void ContentView::setTargeted(bool targeted) {
    if (targeted_ == targeted)
        return;
    targeted_ = targeted;
    background_->setIntensity(targeted ? targetedIntensity : 1.0);
    if (hero_)
        hero_->setTargeted(targeted);
    overlay_->setShowing(targeted && !store_.queue().jobs().isEmpty());
}

void ContentView::dragEnterEvent(QDragEnterEvent* event) {
    if (droppedFiles(event->mimeData()).empty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    setTargeted(true);
}

void ContentView::dragMoveEvent(QDragMoveEvent* event) {
    event->acceptProposedAction();
}

void ContentView::dragLeaveEvent(QDragLeaveEvent* event) {
    setTargeted(false);
    QWidget::dragLeaveEvent(event);
}

void ContentView::dropEvent(QDropEvent* event) {
    setTargeted(false);
    const std::vector<std::filesystem::path> files = droppedFiles(event->mimeData());
    event->acceptProposedAction();
    if (!files.empty())
        store_.add(files, true);
}

} // namespace clarivex
