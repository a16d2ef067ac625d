#include "app/window/job_panel.h"

#include "app/queue/job.h"
#include "app/queue/store.h"
#include "app/texts/pipeline_text.h"
#include "app/window/file_info.h"
#include "app/window/job_texts.h"
#include "ui/animation/appearance.h"
#include "ui/paint/glow_overhang.h"
#include "ui/paint/shapes.h"
#include "ui/paint/theme.h"
#include "ui/text/eta_text.h"
#include "ui/widgets/big_progress.h"
#include "ui/widgets/card.h"
#include "ui/widgets/check_badge.h"
#include "ui/widgets/clamped_label.h"
#include "ui/widgets/glow_bar.h"
#include "ui/widgets/pill_button.h"
#include "ui/widgets/shine_sweep.h"
#include "ui/widgets/symbol_mark.h"
#include "ui/widgets/text_label.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

namespace clarivex {

namespace {

constexpr int fileInfoWidth = 220;
constexpr int defaultSpacing = 8;
// How long a failed "Открыть" or "Показать в папке" shows its reason.
constexpr int refusalMilliseconds = 5000;
constexpr qreal warningSide = 22.0;

// A left-aligned column of labels, `spacing` apart, that gives way down to `minimumWidth`.
QWidget* textStack(std::initializer_list<QLabel*> labels, int spacing, int minimumWidth) {
    auto* stack = new QWidget;
    auto* layout = new QVBoxLayout(stack);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    for (QLabel* label : labels)
        layout->addWidget(label);
    stack->setMinimumWidth(minimumWidth);
    stack->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return stack;
}

} // namespace

JobPanel::JobPanel(Store& store, Job& job, QWidget* parent)
    : QWidget(parent)
    , store_(store)
    , job_(&job)
    , lastCelebration_(store.queue().celebration()) {
    setContentsMargins(room());
    makeContent();
    shine(this, store.queue().celebration());
    connect(&store.queue(), &JobQueue::stopRequested, this, [this] { refresh(); });
    connect(&store.queueTime(), &QueueTime::changed, this, [this] { refresh(); });
    rebuild();
}

QMargins JobPanel::room() {
    return GlowOverhang::room(
        {Card::overhang(), PillButtonStyle::overhang(), CheckBadge::overhang()});
}

void JobPanel::makeContent() {
    content_ = new QWidget(this);
    row_ = new QHBoxLayout(content_);
    // The content spans the whole widget, room included, so that its buttons' glows keep it.
    row_->setContentsMargins(room() + QMargins(padding, padding, padding, padding));
    row_->setSpacing(0);
}

void JobPanel::refresh(bool crossFade) {
    if (!job_)
        return;
    if (job_->status().which() != shown_) {
        if (crossFade && isVisible())
            fadeOutContent();
        rebuild();
        if (crossFade && isVisible())
            (new Appearance(content_, {}, Theme::spring()))->enter();
        return;
    }
    if (shown_ == JobStatus::Case::running)
        updateRunning();
}

void JobPanel::celebrate(int celebration) {
    shine(this, celebration);
    if (celebration == lastCelebration_)
        return;
    lastCelebration_ = celebration;
    if (badge_)
        badge_->bounce();
}

qreal JobPanel::badgeScale() const {
    return badge_ ? badge_->scale() : 1.0;
}

void JobPanel::fadeOutContent() {
    // The row as it was fades out where it is, at its own size, while the new one fades in.
    QWidget* old = content_;
    old->setAttribute(Qt::WA_TransparentForMouseEvents);
    if (old->hasFocus() || old->isAncestorOf(QApplication::focusWidget()))
        setFocus(Qt::OtherFocusReason);
    leaving_.push_back(old);
    auto* appearance = new Appearance(old, {}, Theme::spring());
    appearance->leave([guard = QPointer<QWidget>(old)] {
        if (guard)
            guard->deleteLater();
    });
    progress_ = nullptr;
    cancelButton_ = nullptr;
    badge_ = nullptr;
    makeContent();
    content_->show();
}

void JobPanel::placeContent() {
    // Each row keeps the size of the card it was made for, centred on the card as it is: a row
    // pictured for its fade would be stretched by any other size.
    const auto place = [this](QWidget* content, int height) {
        content->setGeometry(0, (this->height() - height) / 2, width(), height);
    };
    const QMargins margins = room();
    place(content_, cardHeight(width() - margins.left() - margins.right()) + margins.top() +
                        margins.bottom());
    std::erase_if(leaving_, [](const QPointer<QWidget>& old) { return old.isNull(); });
    for (const QPointer<QWidget>& old : leaving_)
        place(old, old->height());
}

void JobPanel::resizeEvent(QResizeEvent* event) {
    placeContent();
    QWidget::resizeEvent(event);
}

void JobPanel::clearRow() {
    while (QLayoutItem* item = row_->takeAt(0)) {
        if (QWidget* widget = item->widget()) {
            widget->hide();
            widget->deleteLater();
        }
        delete item;
    }
    progress_ = nullptr;
    cancelButton_ = nullptr;
    badge_ = nullptr;
}

void JobPanel::rebuild() {
    clearRow();
    shown_ = job_->status().which();
    switch (shown_) {
    case JobStatus::Case::running:
        buildRunning();
        break;
    case JobStatus::Case::done:
        buildDone();
        break;
    case JobStatus::Case::failed:
        buildFailed();
        break;
    case JobStatus::Case::waiting:
        buildWaiting();
        break;
    case JobStatus::Case::cancelled:
        buildCancelled();
        break;
    }
    updateGeometry();
    placeContent();
    update();
}

void JobPanel::add(QWidget* widget, int spacingBefore, int stretch) {
    if (spacingBefore > 0)
        row_->addSpacing(spacingBefore);
    row_->addWidget(widget, stretch, Qt::AlignVCenter);
    // Shown now rather than when the layout gets to it, so that the card's height counts it.
    widget->show();
}

void JobPanel::addPill(const QString& text, bool filled, int spacingBefore,
                       const std::function<void()>& action) {
    auto* button = new PillButton(text, {filled, false}, content_);
    button->setFocusPolicy(Qt::StrongFocus);
    connect(button, &QAbstractButton::clicked, this, action);
    add(button, spacingBefore);
}

void JobPanel::buildRunning() {
    auto* info = new FileInfo(job_->fileName(), job_->kind(), content_);
    info->setFixedWidth(fileInfoWidth);
    add(info, 0);
    progress_ = new BigProgress(content_);
    add(progress_, 22, 1);

    cancelButton_ = new PillButton(QString(), {false, false}, content_);
    cancelButton_->setSymbol("xmark");
    cancelButton_->setToolTip(QStringLiteral("Отменить"));
    cancelButton_->setAccessibleName(QStringLiteral("Отменить"));
    cancelButton_->setFocusPolicy(Qt::StrongFocus);
    connect(cancelButton_, &QAbstractButton::clicked, this,
            [this] { store_.queue().cancel(job_); });
    add(cancelButton_, 22);
    updateRunning();
    progress_->bar()->setValueImmediately(progress_->bar()->value());
}

void JobPanel::updateRunning() {
    const UpscaleProgress* progress = job_->status().progress();
    if (!progress || !progress_)
        return;
    progress_->setFraction(progress->fraction);
    progress_->setDetail(QString::fromStdString(PipelineText::detail(progress->detail)));
    // A stopping pipeline may report a few more steps before it ends; the panel shows at once
    // that the stop was taken, and the cancel button can no longer be pressed.
    if (store_.queue().isStopping(*job_)) {
        progress_->setStage(QStringLiteral("Останавливается"));
        progress_->setEta(std::nullopt);
        // Qt would hand the focus of a disabled button on, perhaps to "Отменить всё".
        if (cancelButton_->hasFocus())
            setFocus(Qt::OtherFocusReason);
        cancelButton_->setEnabled(false);
        return;
    }
    progress_->setStage(JobTexts::stageTitle(progress->stage));
    // The queue's estimate, read at the same moment as the strip's counter reads it: two
    // estimates, or one read at two moments, once showed "~1 с" beside "осталось ~8 с".
    const std::optional<double> remaining = store_.queueTime().runningSeconds();
    progress_->setEta(remaining ? std::optional(remainingText(*remaining)) : std::nullopt);
}

void JobPanel::buildDone() {
    const UpscaleResult* result = job_->status().result();
    badge_ = new CheckBadge(content_);
    add(badge_, 0);

    const QString title = result ? JobTexts::doneTitle(result->size) : QString();
    const QString detail = result ? doneDetail(*result) : QString();
    auto* detailLabel = textLabel(detail, Theme::digits(12, QFont::Medium), Theme::muted());
    add(textStack({textLabel(title, Theme::title(20), Theme::text()), detailLabel}, 0, 80), 16);
    row_->addSpacing(16);
    row_->addStretch(1);

    const std::filesystem::path output = result ? result->output : std::filesystem::path();
    addPill(QStringLiteral("Показать в папке"), false, 16, [this, output, detailLabel, detail] {
        if (!output.empty())
            showBriefly(detailLabel, detail, store_.desktop().revealInFileManager(output));
    });
    addPill(QStringLiteral("Открыть"), true, 16, [this, output, detailLabel, detail] {
        if (!output.empty())
            showBriefly(detailLabel, detail, store_.desktop().openWithDefaultApplication(output));
    });
}

QString JobPanel::doneDetail(const UpscaleResult& result) {
    const QString detail = JobTexts::doneDetail(result);
    if (!result.picturesCopyFailure)
        return detail;
    return detail + "\nКопия не сделана: " +
           QString::fromStdString(PipelineText::error(*result.picturesCopyFailure));
}

void JobPanel::showBriefly(QLabel* detail, const QString& usual,
                           const std::optional<QString>& refusal) {
    if (!refusal)
        return;
    // The detail comes back once the reason has been read; a newer reason keeps its own time.
    detail->setText(*refusal);
    QTimer::singleShot(refusalMilliseconds, detail, [detail, shown = *refusal, usual] {
        if (detail->text() == shown)
            detail->setText(usual);
    });
}

void JobPanel::buildFailed() {
    add(new SymbolMark("exclamationmark.triangle.fill", warningSide, Theme::accent()), 0);
    const std::string* failure = job_->status().failure();
    // The failure takes the free width, in at most three whole lines.
    auto* message = new ClampedLabel(failure ? QString::fromStdString(*failure) : QString(), 3,
                                     Theme::body(12), Theme::muted());
    add(textStack(
            {textLabel(QStringLiteral("Не получилось"), Theme::title(17), Theme::text()), message},
            3, 120),
        14, 1);
    row_->addSpacing(14);
    addPill(QStringLiteral("Повторить"), true, 14, [this] { store_.queue().retry(job_); });
}

void JobPanel::buildWaiting() {
    auto* info = new FileInfo(job_->fileName(), job_->kind(), content_);
    add(info, 0);
    row_->addSpacing(defaultSpacing);
    row_->addStretch(1);
    add(textLabel(QStringLiteral("Ждёт очереди"), Theme::body(13), Theme::muted()), defaultSpacing);
}

void JobPanel::buildCancelled() {
    add(new FileInfo(job_->fileName(), job_->kind(), content_), 0);
    row_->addSpacing(defaultSpacing);
    row_->addStretch(1);
    addPill(QStringLiteral("Повторить"), false, defaultSpacing,
            [this] { store_.queue().retry(job_); });
}

int JobPanel::cardHeight(int cardWidth) const {
    const QMargins margins = room();
    const int width = cardWidth + margins.left() + margins.right();
    const int height =
        row_->hasHeightForWidth() ? row_->heightForWidth(width) : row_->sizeHint().height();
    return height - margins.top() - margins.bottom();
}

QSize JobPanel::sizeHint() const {
    const QMargins margins = room();
    return {600 + margins.left() + margins.right(),
            cardHeight(600) + margins.top() + margins.bottom()};
}

void JobPanel::paintEvent(QPaintEvent* event) {
    // The progress bar's shimmer has the card repainted under it on every frame; the card only
    // changes with its size and highlight, so it is drawn once for each and copied after.
    const qreal ratio = devicePixelRatioF();
    const bool highlighted = shown_ == JobStatus::Case::running;
    if (card_.isNull() || card_.size() != (QSizeF(size()) * ratio).toSize() ||
        card_.devicePixelRatio() != ratio || cardHighlighted_ != highlighted) {
        card_ = QImage((QSizeF(size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
        card_.setDevicePixelRatio(ratio);
        card_.fill(Qt::transparent);
        QPainter canvas(&card_);
        paintCard(canvas, cardRect(), cornerRadius, highlighted, shadowCache_);
        cardHighlighted_ = highlighted;
    }
    QPainter painter(this);
    for (const QRect& part : event->region())
        painter.drawImage(part, card_,
                          QRectF(QPointF(part.topLeft()) * ratio, QSizeF(part.size()) * ratio));
}

} // namespace clarivex
