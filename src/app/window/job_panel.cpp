#include "app/window/job_panel.h"

#include "app/queue/job.h"
#include "app/queue/store.h"
#include "app/window/file_info.h"
#include "app/window/job_texts.h"
#include "ui/paint/shapes.h"
#include "ui/paint/symbol_font.h"
#include "ui/paint/theme.h"
#include "ui/text/eta_text.h"
#include "ui/widgets/big_progress.h"
#include "ui/widgets/card.h"
#include "ui/widgets/glow_bar.h"
#include "ui/widgets/pill_button.h"
#include "ui/widgets/shine_sweep.h"
#include "ui/widgets/text_label.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace clarivex {

namespace {

constexpr qreal fileInfoWidth = 220.0;
constexpr qreal defaultSpacing = 8.0;
constexpr qreal badgeSide = 46.0;
constexpr qreal warningSide = 22.0;
// The check mark's bounce: it starts small and springs past its size once.
constexpr qreal bounceStart = 0.55;
constexpr SpringParameters bounceSpring{0.42, 0.45};

QMargins maximum(const QMargins& a, const QMargins& b) {
    return {std::max(a.left(), b.left()), std::max(a.top(), b.top()),
            std::max(a.right(), b.right()), std::max(a.bottom(), b.bottom())};
}

// A left-aligned column of labels, `spacing` apart.
QWidget* textStack(std::initializer_list<QLabel*> labels, int spacing) {
    auto* stack = new QWidget;
    auto* layout = new QVBoxLayout(stack);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    for (QLabel* label : labels)
        layout->addWidget(label);
    return stack;
}

double secondsSince(const std::optional<Job::Clock::time_point>& start) {
    if (!start)
        return 0.0;
    return std::chrono::duration<double>(Job::Clock::now() - *start).count();
}

} // namespace

JobPanel::JobPanel(Store& store, Job& job, QWidget* parent)
    : QWidget(parent)
    , store_(store)
    , job_(job)
    , bounce_(
          1.0, bounceSpring, [this] { update(); }, this)
    , lastCelebration_(store.queue().celebration()) {
    setContentsMargins(room());
    shine(this, store.queue().celebration());
    rebuild();
}

QMargins JobPanel::room() {
    return maximum(Card::overhang(), PillButtonStyle::overhang());
}

void JobPanel::refresh() {
    if (job_.status().which() != shown_) {
        rebuild();
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
    if (shown_ == JobStatus::Case::done) {
        bounce_.jumpTo(bounceStart);
        bounce_.animateTo(1.0);
    }
}

void JobPanel::clearRow() {
    for (const Item& item : items_) {
        if (item.widget)
            item.widget->deleteLater();
    }
    items_.clear();
    progress_ = nullptr;
    paintedItem_ = -1;
}

void JobPanel::rebuild() {
    clearRow();
    shown_ = job_.status().which();
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
    for (const Item& item : items_) {
        if (item.widget)
            item.widget->show();
    }
    updateGeometry();
    place();
    update();
}

PillButton* JobPanel::addPill(const QString& text, bool filled, qreal spacingBefore) {
    auto* button = new PillButton(text, {filled, false}, this);
    button->setFocusPolicy(Qt::StrongFocus);
    items_.push_back({button, QSizeF(button->sizeHint()), {}, spacingBefore});
    return button;
}

void JobPanel::addGap(qreal spacingBefore) {
    Item gap;
    gap.spacingBefore = spacingBefore;
    gap.flexible = true;
    items_.push_back(gap);
}

void JobPanel::buildRunning() {
    auto* info = new FileInfo(job_.fileName(), job_.kind(), this);
    items_.push_back({info, QSizeF(fileInfoWidth, info->sizeHint().height()), {}, 0.0});

    progress_ = new BigProgress(this);
    Item progress{progress_, QSizeF(0, progress_->sizeHint().height()), {}, 22.0};
    progress.flexible = true;
    items_.push_back(progress);

    PillButton* cancelButton = addPill(QString(), false, 22.0);
    cancelButton->setSymbol("xmark");
    // The symbol alone makes a narrower capsule than the empty text did.
    items_.back().visible = QSizeF(cancelButton->sizeHint());
    cancelButton->setToolTip(QStringLiteral("Отменить"));
    cancelButton->setAccessibleName(QStringLiteral("Отменить"));
    connect(cancelButton, &QAbstractButton::clicked, this, &JobPanel::cancel);
    updateRunning();
    progress_->bar()->setValueImmediately(progress_->bar()->value());
}

void JobPanel::updateRunning() {
    const UpscaleProgress* progress = job_.status().progress();
    if (!progress || !progress_)
        return;
    progress_->setFraction(progress->fraction);
    progress_->setStage(JobTexts::stageTitle(progress->stage));
    progress_->setDetail(QString::fromStdString(progress->detail));
    if (job_.startedAt())
        progress_->setEta(etaText(progress->fraction, secondsSince(job_.startedAt())));
    else
        progress_->setEta(std::nullopt);
}

void JobPanel::buildDone() {
    const UpscaleResult* result = job_.status().result();
    Item badge;
    badge.visible = QSizeF(badgeSide, badgeSide);
    paintedItem_ = int(items_.size());
    items_.push_back(badge);

    const QString title = result ? JobTexts::doneTitle(result->size) : QString();
    const QString detail = result ? JobTexts::doneDetail(*result) : QString();
    auto* detailLabel = textLabel(detail, Theme::digits(12, QFont::Medium), Theme::muted());
    detailLabel->setTextFormat(Qt::PlainText);
    QWidget* stack = textStack({textLabel(title, Theme::title(20), Theme::text()), detailLabel}, 0);
    stack->setParent(this);
    Item texts{stack, QSizeF(stack->sizeHint()), {}, 16.0};
    texts.shrinkable = true;
    texts.minimumWidth = 80;
    items_.push_back(texts);
    addGap(16.0);

    PillButton* reveal = addPill(QStringLiteral("Показать в папке"), false, 16.0);
    PillButton* open = addPill(QStringLiteral("Открыть"), true, 16.0);
    if (result) {
        const std::filesystem::path output = result->output;
        connect(reveal, &QAbstractButton::clicked, this,
                [this, output] { store_.desktop().revealInFileManager(output); });
        connect(open, &QAbstractButton::clicked, this,
                [this, output] { store_.desktop().openWithDefaultApplication(output); });
    }
}

void JobPanel::buildFailed() {
    Item warning;
    warning.visible = QSizeF(warningSide, warningSide);
    paintedItem_ = int(items_.size());
    items_.push_back(warning);

    const std::string* failure = job_.status().failure();
    auto* message = textLabel(failure ? QString::fromStdString(*failure) : QString(),
                              Theme::body(12), Theme::muted());
    message->setWordWrap(true);
    const int lineHeight = message->fontMetrics().lineSpacing();
    message->setMaximumHeight(3 * lineHeight + 1);
    QWidget* stack = textStack(
        {textLabel(QStringLiteral("Не получилось"), Theme::title(17), Theme::text()), message}, 3);
    stack->setParent(this);
    Item texts{stack, QSizeF(stack->sizeHint()), {}, 14.0};
    texts.shrinkable = true;
    texts.minimumWidth = 120;
    items_.push_back(texts);
    addGap(14.0);
    PillButton* retryButton = addPill(QStringLiteral("Повторить"), true, 14.0);
    connect(retryButton, &QAbstractButton::clicked, this, &JobPanel::retry);
}

void JobPanel::buildWaiting() {
    auto* info = new FileInfo(job_.fileName(), job_.kind(), this);
    Item file{info, QSizeF(info->sizeHint()), {}, 0.0};
    file.shrinkable = true;
    file.minimumWidth = 60;
    items_.push_back(file);
    addGap(defaultSpacing);
    QLabel* waiting = textLabel(QStringLiteral("Ждёт очереди"), Theme::body(13), Theme::muted());
    waiting->setParent(this);
    items_.push_back({waiting, QSizeF(waiting->sizeHint()), {}, defaultSpacing});
}

void JobPanel::buildCancelled() {
    auto* info = new FileInfo(job_.fileName(), job_.kind(), this);
    Item file{info, QSizeF(info->sizeHint()), {}, 0.0};
    file.shrinkable = true;
    file.minimumWidth = 60;
    items_.push_back(file);
    addGap(defaultSpacing);
    PillButton* retryButton = addPill(QStringLiteral("Повторить"), false, defaultSpacing);
    connect(retryButton, &QAbstractButton::clicked, this, &JobPanel::retry);
}

void JobPanel::cancel() {
    store_.queue().cancel(&job_);
}

void JobPanel::retry() {
    store_.queue().retry(&job_);
}

std::vector<JobPanel::Placed> JobPanel::arrange(qreal cardWidth) const {
    const qreal available = std::max(0.0, cardWidth - 2 * padding);
    std::vector<qreal> widths;
    qreal used = 0.0;
    int flexibleCount = 0;
    for (const Item& item : items_) {
        widths.push_back(item.flexible ? 0.0 : item.visible.width());
        used += widths.back() + item.spacingBefore;
        flexibleCount += item.flexible ? 1 : 0;
    }
    qreal leftover = available - used;
    if (leftover < 0) {
        for (size_t index = 0; index < items_.size() && leftover < 0; ++index) {
            if (!items_[index].shrinkable)
                continue;
            const qreal give = std::min(widths[index] - items_[index].minimumWidth, -leftover);
            if (give > 0) {
                widths[index] -= give;
                leftover += give;
            }
        }
    } else if (flexibleCount > 0) {
        for (size_t index = 0; index < items_.size(); ++index) {
            if (items_[index].flexible)
                widths[index] = leftover / flexibleCount;
        }
    }

    std::vector<Placed> placed;
    qreal x = padding;
    for (size_t index = 0; index < items_.size(); ++index) {
        const Item& item = items_[index];
        x += item.spacingBefore;
        qreal height = item.visible.height();
        if (item.widget && item.widget->hasHeightForWidth())
            height = item.widget->heightForWidth(int(widths[index]));
        else if (item.widget && item.widget->layout() && item.widget->layout()->hasHeightForWidth())
            height = item.widget->layout()->totalHeightForWidth(int(widths[index]));
        placed.push_back({QRectF(x, 0, widths[index], height), item});
        x += widths[index];
    }
    return placed;
}

qreal JobPanel::rowHeight(const std::vector<Placed>& placed) const {
    qreal height = 0.0;
    for (const Placed& entry : placed)
        height = std::max(height, entry.rect.height());
    return height;
}

int JobPanel::cardHeight(int cardWidth) const {
    return int(std::ceil(rowHeight(arrange(cardWidth)) + 2 * padding));
}

QSize JobPanel::sizeHint() const {
    const QMargins margins = room();
    const int width = 600;
    return {width + margins.left() + margins.right(),
            cardHeight(width) + margins.top() + margins.bottom()};
}

void JobPanel::place() {
    const QRectF card = cardRect();
    std::vector<Placed> placed = arrange(card.width());
    const qreal centre = card.center().y();
    for (const Placed& entry : placed) {
        if (!entry.item.widget)
            continue;
        const QRectF visible(card.left() + entry.rect.left(), centre - entry.rect.height() / 2.0,
                             entry.rect.width(), entry.rect.height());
        entry.item.widget->setGeometry(visible.toAlignedRect().marginsAdded(entry.item.room));
    }
}

void JobPanel::resizeEvent(QResizeEvent* event) {
    place();
    QWidget::resizeEvent(event);
}

void JobPanel::hideEvent(QHideEvent* event) {
    bounce_.finish();
    QWidget::hideEvent(event);
}

void JobPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = cardRect();
    paintCard(painter, card, cornerRadius, shown_ == JobStatus::Case::running, shadowCache_);
    if (paintedItem_ < 0)
        return;
    const std::vector<Placed> placed = arrange(card.width());
    const QRectF slot = placed[size_t(paintedItem_)].rect;
    const QRectF area(card.left() + slot.left(), card.center().y() - slot.height() / 2.0,
                      slot.width(), slot.height());
    if (shown_ == JobStatus::Case::done) {
        QPainterPath circle;
        circle.addEllipse(area);
        badgeGlow_.paint(painter, circle, {Theme::withOpacity(Theme::accent(), 0.6), 14.0, {}});
        painter.fillPath(circle, Theme::accentGradient(area));
        const qreal scale = bounce_.value();
        painter.save();
        painter.translate(area.center());
        painter.scale(scale, scale);
        painter.translate(-area.center());
        painter.setFont(Theme::system(20, QFont::Bold));
        SymbolFont::paint(painter, area, "checkmark", 20, Qt::white);
        painter.restore();
    } else if (shown_ == JobStatus::Case::failed) {
        SymbolFont::paint(painter, area, "exclamationmark.triangle.fill", 22, Theme::accent());
    }
}

} // namespace clarivex
