#include "app/window/job_stage.h"

#include "app/queue/job.h"
#include "app/queue/store.h"
#include "app/window/job_panel.h"
#include "app/window/job_texts.h"
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
    connect(&store.queue(), &JobQueue::celebrationChanged, this,
            [this] { panel_->celebrate(store_.queue().celebration()); });
    // A job removed from the queue takes its stage with it; nothing may reach the job after.
    connect(&job, &QObject::destroyed, this, [this] {
        hide();
        deleteLater();
    });
    refreshVisual();
}

JobStage::Visual JobStage::visualFor(const Job& job) {
    switch (job.status().which()) {
    case JobStatus::Case::running:
        return job.preview().isNull() ? Visual::placeholder : Visual::scan;
    case JobStatus::Case::done:
        return job.before().isNull() || job.after().isNull() ? Visual::placeholder
                                                             : Visual::comparison;
    default:
        return job.preview().isNull() ? Visual::placeholder : Visual::dimmedScan;
    }
}

QMargins JobStage::room() {
    return GlowOverhang::room(
        {ScanPreview::overhang(), BeforeAfterSlider::overhang(), JobPanel::room()});
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
    const Visual wanted = visualFor(job);
    const bool rebuild = !visual_ || wanted != visualKind_ || wanted == Visual::comparison;
    if (rebuild) {
        if (visual_ && wanted == Visual::comparison && visualKind_ == Visual::comparison)
            return; // The comparison keeps the user's split and zoom; its pictures are final.
        delete visual_;
        visual_ = nullptr;
        visualKind_ = wanted;
        switch (wanted) {
        case Visual::comparison: {
            const UpscaleResult* result = job.status().result();
            const QString label = result ? JobTexts::afterLabel(result->size) : QString();
            visual_ = new BeforeAfterSlider(job.before(), job.after(), label, this);
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
