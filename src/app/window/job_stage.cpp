#include "app/window/job_stage.h"

#include "app/queue/job.h"
#include "app/queue/store.h"
#include "app/window/job_panel.h"
#include "app/window/job_texts.h"
#include "ui/animation/appearance.h"
#include "ui/paint/glow_overhang.h"
#include "ui/widgets/before_after_slider.h"
#include "ui/widgets/scan_preview.h"
#include "ui/widgets/stage_placeholder.h"

namespace clarivex {

JobStage::JobStage(Store& store, Job& job, QWidget* parent)
    : QWidget(parent)
    , store_(store)
    , job_(&job)
    , panel_(new JobPanel(store, job, this)) {
    connect(&job, &Job::statusChanged, this, [this] {
        panel_->refresh();
        refreshVisual();
        placeChildren();
    });
    connect(&job, &Job::previewChanged, this, &JobStage::refreshVisual);
    connect(&job, &Job::pixelatedChanged, this, &JobStage::refreshVisual);
    connect(&job, &Job::beforeChanged, this, &JobStage::refreshVisual);
    connect(&job, &Job::afterChanged, this, &JobStage::refreshVisual);
    connect(&store.pictures(), &PictureLoader::comparisonSettled, this, [this](Job* settled) {
        if (settled == job_)
            refreshVisual();
    });
    connect(&store.queue(), &JobQueue::celebrationChanged, this,
            [this] { panel_->celebrate(store_.queue().celebration()); });
    // Nothing reaches a removed job after (the stage and the panel hold it weakly). A stage on
    // its way out plays its leave to the end as the picture taken when it began; any other one
    // goes with its job.
    connect(&job, &QObject::destroyed, this, [this] {
        const auto* appearance = findChild<Appearance*>(QString(), Qt::FindDirectChildrenOnly);
        if (appearance && appearance->isLeaving())
            return;
        hide();
        deleteLater();
    });
    refreshVisual();
}

JobStage::Visual JobStage::visualFor(const Job& job, bool loadingComparison) {
    switch (job.status().which()) {
    case JobStatus::Case::running:
        return job.preview().isNull() ? Visual::placeholder : Visual::scan;
    case JobStatus::Case::done:
        if (!job.before().isNull() && !job.after().isNull())
            return Visual::comparison;
        return loadingComparison && !job.preview().isNull() ? Visual::comparison
                                                            : Visual::placeholder;
    default:
        return job.preview().isNull() ? Visual::placeholder : Visual::dimmedScan;
    }
}

QMargins JobStage::room() {
    return GlowOverhang::room(
        {ScanPreview::overhang(), BeforeAfterSlider::overhang(), JobPanel::room()});
}

QSize JobStage::largestVisual(const QSize& area) {
    const int smallestCard = 2 * JobPanel::padding;
    return {std::max(0, area.width()),
            std::max(0, area.height() - bottomPadding - smallestCard - spacing)};
}

QRect JobStage::visibleArea() const {
    return rect().marginsRemoved(room());
}

QRect JobStage::visualRect() const {
    const QRect area = visibleArea();
    const int cardHeight = panel_->cardHeight(area.width());
    return QRect(area.left(), area.top(), area.width(),
                 std::max(0, area.height() - bottomPadding - cardHeight - spacing));
}

void JobStage::placeChildren() {
    const QRect area = visibleArea();
    const int cardHeight = panel_->cardHeight(area.width());
    const QRect card(area.left(), area.bottom() + 1 - bottomPadding - cardHeight, area.width(),
                     cardHeight);
    panel_->setGeometry(card.marginsAdded(JobPanel::room()));
    if (visual_)
        visual_->setGeometry(visualRect());
}

void JobStage::resizeEvent(QResizeEvent* event) {
    placeChildren();
    QWidget::resizeEvent(event);
}

void JobStage::refreshVisual() {
    if (!job_)
        return;
    const Job& job = *job_;
    const Visual wanted = visualFor(job, store_.pictures().isLoadingComparison(job));
    const bool rebuild = !visual_ || wanted != visualKind_;
    if (rebuild) {
        delete visual_;
        visual_ = nullptr;
        visualKind_ = wanted;
        switch (wanted) {
        case Visual::comparison: {
            const UpscaleResult* result = job.status().result();
            const QString label = result ? JobTexts::afterLabel(result->size) : QString();
            visual_ = new BeforeAfterSlider({}, {}, label, this);
            break;
        }
        case Visual::scan:
        case Visual::dimmedScan:
            visual_ = new ScanPreview(this);
            break;
        case Visual::placeholder:
            visual_ = new StagePlaceholder(this);
            break;
        }
        if (wanted == Visual::dimmedScan)
            static_cast<ScanPreview*>(visual_)->setOpacity(dimmedOpacity);
        visual_->lower();
        visual_->setGeometry(visualRect());
        visual_->show();
    }
    if (auto* slider = qobject_cast<BeforeAfterSlider*>(visual_)) {
        // The preview stands on both sides until the pictures come; the user's split and zoom
        // stay as they are when they do.
        const bool arrived = !job.before().isNull() && !job.after().isNull();
        const QImage& before = arrived ? job.before() : job.preview();
        const QImage& after = arrived ? job.after() : job.preview();
        if (rebuild || before.cacheKey() != slider->before().cacheKey() ||
            after.cacheKey() != slider->after().cacheKey())
            slider->setPictures(before, after);
    }
    if (auto* scan = qobject_cast<ScanPreview*>(visual_)) {
        scan->setImage(job.preview());
        scan->setPixelated(job.pixelated());
        const UpscaleProgress* progress = job.status().progress();
        const qreal fraction = visualKind_ == Visual::scan && progress ? progress->fraction : 0.0;
        if (rebuild)
            scan->setFractionImmediately(fraction);
        else
            scan->setFraction(fraction);
    }
}

} // namespace clarivex
