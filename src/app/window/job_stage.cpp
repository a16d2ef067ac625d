#include "app/window/job_stage.h"

#include "app/queue/job.h"
#include "app/queue/store.h"
#include "app/window/job_panel.h"
#include "app/window/job_texts.h"
#include "ui/animation/appearance.h"
#include "ui/paint/aspect_fit.h"
#include "ui/paint/glow_overhang.h"
#include "ui/paint/theme.h"
#include "ui/widgets/before_after_slider.h"
#include "ui/widgets/scan_preview.h"
#include "ui/widgets/stage_placeholder.h"

#include <algorithm>
#include <cmath>

namespace clarivex {

JobStage::JobStage(Store& store, Job& job, QWidget* parent)
    : QWidget(parent)
    , store_(store)
    , job_(&job)
    , panel_(new JobPanel(store, job, this))
    , shownCase_(job.status().which())
    , cardHeight_(
          0.0, Theme::spring(), [this] { placeChildren(); }, this) {
    connect(&store.queue().model(), &JobListModel::dataChanged, this, &JobStage::rowsChanged);
    connect(&store.pictures(), &PictureLoader::comparisonSettled, this, [this](Job* settled) {
        if (settled != job_)
            return;
        awaitingComparison_ = false;
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

void JobStage::rowsChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                           const QList<int>& roles) {
    const JobListModel& model = store_.queue().model();
    for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
        if (!job_ || model.jobAt(row) != job_)
            continue;
        if (roles.contains(JobListModel::StatusRole))
            statusChanged();
        else
            refreshVisual();
    }
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

int JobStage::shownCardHeight(int cardWidth) const {
    return cardHeight_.isAnimating() ? int(std::lround(cardHeight_.value()))
                                     : panel_->cardHeight(cardWidth);
}

void JobStage::statusChanged() {
    if (!job_)
        return;
    const JobStatus::Case now = job_->status().which();
    // The one change the queue makes inside the spring; the others jump.
    const bool done = shownCase_ == JobStatus::Case::running && now == JobStatus::Case::done;
    // The stage may hear of the change before the picture loader has begun the comparison.
    const bool becameDone = shownCase_ != now && now == JobStatus::Case::done;
    shownCase_ = now;
    const bool animated = done && isVisible();
    const int before = shownCardHeight(visibleArea().width());
    if (becameDone)
        awaitingComparison_ = true;
    panel_->refresh(animated);
    refreshVisual(animated);
    if (animated) {
        cardHeight_.jumpTo(before);
        cardHeight_.animateTo(panel_->cardHeight(visibleArea().width()));
    } else {
        cardHeight_.finish();
    }
    placeChildren();
}

QRect JobStage::visualRect() const {
    // Where the picture rests: a picture that comes is laid out there at once, and the card
    // springs to its height below it.
    const QRect area = visibleArea();
    const int cardHeight = panel_->cardHeight(area.width());
    return QRect(area.left(), area.top(), area.width(),
                 std::max(0, area.height() - bottomPadding - cardHeight - spacing));
}

QMargins JobStage::visualRoom() {
    return GlowOverhang::room({ScanPreview::overhang(), BeforeAfterSlider::overhang()});
}

void JobStage::placeChildren() {
    const QRect area = visibleArea();
    const int cardHeight = shownCardHeight(area.width());
    const QRect card(area.left(), area.bottom() + 1 - bottomPadding - cardHeight, area.width(),
                     cardHeight);
    panel_->setGeometry(card.marginsAdded(JobPanel::room()));
    if (holder_) {
        holder_->setGeometry(visualRect().marginsAdded(visualRoom()));
        visual_->setGeometry(holder_->rect().marginsRemoved(visualRoom()));
    }
}

void JobStage::resizeEvent(QResizeEvent* event) {
    // A new size is no motion: the card takes its height at once.
    cardHeight_.finish();
    placeChildren();
    QWidget::resizeEvent(event);
}

void JobStage::refreshVisual(bool crossFade) {
    if (!job_)
        return;
    const Job& job = *job_;
    const Visual wanted =
        visualFor(job, awaitingComparison_ || store_.pictures().isLoadingComparison(job));
    const bool rebuild = !visual_ || wanted != visualKind_;
    if (rebuild) {
        QWidget* oldHolder = holder_;
        const QRect oldVisual = visual_ ? visual_->geometry().translated(holder_->pos()) : QRect();
        holder_ = new QWidget(this);
        visual_ = nullptr;
        visualKind_ = wanted;
        switch (wanted) {
        case Visual::comparison: {
            const UpscaleResult* result = job.status().result();
            const QString label = result ? JobTexts::afterLabel(result->size) : QString();
            visual_ = new BeforeAfterSlider({}, {}, label, holder_);
            break;
        }
        case Visual::scan:
        case Visual::dimmedScan:
            visual_ = new ScanPreview(holder_);
            break;
        case Visual::placeholder:
            visual_ = new StagePlaceholder(holder_);
            break;
        }
        if (wanted == Visual::dimmedScan)
            static_cast<ScanPreview*>(visual_)->setOpacity(dimmedOpacity);
        holder_->lower();
        placeChildren();
        holder_->show();
        if (crossFade && oldHolder)
            crossFadeVisual(oldHolder, oldVisual);
        else
            delete oldHolder;
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
    if (rebuild && crossFade)
        (new Appearance(holder_, enteringStyle_, Theme::spring()))->enter();
}

void JobStage::crossFadeVisual(QWidget* oldHolder, const QRect& oldVisual) {
    // The picture moves and grows from where it was to where it rests, old and new alike, as
    // one picture would: each is drawn at the other's place and size when away.
    const QRect newVisual = visualRect();
    const QSize pixels = job_ ? job_->preview().size() : QSize();
    const QRectF from = pixels.isEmpty() ? QRectF(oldVisual) : aspectFitBox(pixels, oldVisual);
    const QRectF to = pixels.isEmpty() ? QRectF(newVisual) : aspectFitBox(pixels, newVisual);
    const qreal growth = from.width() > 0 && to.width() > 0 ? to.width() / from.width() : 1.0;
    const QPointF move = to.center() - from.center();
    const QSizeF oldSize = oldHolder->size();
    const QSizeF newSize = holder_->size();
    enteringStyle_ = {
        1.0 / growth,
        {-move.x() / std::max(1.0, newSize.width()), -move.y() / std::max(1.0, newSize.height())}};
    oldHolder->setAttribute(Qt::WA_TransparentForMouseEvents);
    oldHolder->stackUnder(holder_);
    auto* leaving = new Appearance(
        oldHolder,
        {growth,
         {move.x() / std::max(1.0, oldSize.width()), move.y() / std::max(1.0, oldSize.height())}},
        Theme::spring());
    leaving->leave([guard = QPointer<QWidget>(oldHolder)] {
        if (guard)
            guard->deleteLater();
    });
}

} // namespace clarivex
