#include "app/window/queue_strip.h"

#include "app/queue/job.h"
#include "app/queue/store.h"
#include "app/window/job_texts.h"
#include "app/window/queue_card.h"
#include "ui/animation/appearance.h"
#include "ui/paint/theme.h"
#include "ui/widgets/text_button.h"
#include "ui/widgets/text_label.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

namespace clarivex {

// The scrolling row of cards. It lays the cards out itself, their glow rooms overlapping, and
// maps clicks to the card whose visible rectangle holds the pointer.
class CardRow : public QWidget {
public:
    CardRow(Store& store, QScrollArea* scroll)
        : store_(store)
        , scroll_(scroll) {}

    struct Entry {
        QPointer<QueueCard> card;
        // Belongs to the card; valid while `card` is.
        Appearance* appearance;
        // The card's left edge, which slides on the spring when cards before it come or go.
        std::shared_ptr<std::optional<SpringValue>> left;

        bool gone() const { return !card || (appearance->isLeaving() && card->isHidden()); }
        bool live() const { return card && !appearance->isLeaving(); }
    };
    std::vector<Entry> entries;

    static QPoint visibleOrigin(int index) {
        const QMargins room = QueueCard::room();
        return {QueueStrip::sidePadding + QueueStrip::rowPadding +
                    index * (int(QueueCard::cardWidth) + QueueStrip::cardSpacing),
                room.top()};
    }

    void arrange() {
        const QMargins room = QueueCard::room();
        int index = 0;
        for (const Entry& entry : entries) {
            if (!entry.live())
                continue;
            const QPoint origin = visibleOrigin(index++);
            const int left = origin.x() - room.left();
            SpringValue& slide = **entry.left;
            if (entry.card->size() != entry.card->sizeHint()) {
                entry.card->setGeometry(left, origin.y() - room.top(),
                                        entry.card->sizeHint().width(),
                                        entry.card->sizeHint().height());
                slide.jumpTo(left);
            } else {
                slide.animateTo(left);
            }
        }
        int width = visibleOrigin(index).x() - QueueStrip::cardSpacing + QueueStrip::rowPadding +
                    QueueStrip::sidePadding;
        // Cards that leave, and cards that slide from further right, are drawn whole until they
        // are gone or in place: the row shrinks only when they are.
        for (const Entry& entry : entries) {
            if (entry.card && !entry.card->isHidden())
                width = std::max({width, entry.card->geometry().right() + 1,
                                  int(std::lround((*entry.left)->value())) + entry.card->width()});
        }
        width = std::max(width, scroll_->viewport()->width());
        setFixedSize(std::max(width, 0), QueueCard::room().top() + int(QueueCard::cardHeight) +
                                             QueueCard::room().bottom());
        clipToPadding();
        showPictures();
    }

    // The row spans the whole strip so that the cards' glows keep their room, but nothing of a
    // card may show in the strip's side padding: a card that reaches into it is cut at its
    // edge, glow included, while one within keeps its whole glow, which may reach into it.
    void clipToPadding() {
        for (const Entry& entry : entries)
            if (entry.card)
                clipToPadding(entry.card);
    }

    void clipToPadding(QueueCard* card) {
        const QRect window = paddedWindow();
        // As large as it is drawn, selected.
        const qreal growth = QueueCard::cardWidth * (QueueCard::selectedScale - 1.0) / 2.0;
        const QRectF drawn =
            card->cardRect().translated(card->pos()).adjusted(-growth, 0, growth, 0);
        if (drawn.left() >= window.left() && drawn.right() <= window.right() + 1) {
            card->clearMask();
            return;
        }
        const QRect shown = window.intersected(card->geometry());
        // An empty mask would be none at all: a region off the card hides it whole.
        card->setMask(shown.isEmpty() ? QRegion(-1, -1, 1, 1)
                                      : QRegion(shown.translated(-card->pos())));
    }

    // The strip less its side padding, in the row's coordinates.
    QRect paddedWindow() const {
        const QWidget* strip = scroll_->parentWidget();
        return {QueueStrip::sidePadding - mapTo(strip, QPoint()).x(), 0,
                strip->width() - 2 * QueueStrip::sidePadding, height()};
    }

    // Asks for the pictures of the cards the strip shows once they rest where arrange() put
    // them; the others get theirs when they come into view.
    void showPictures() {
        const QRect window = paddedWindow();
        int index = 0;
        for (const Entry& entry : entries) {
            if (!entry.live())
                continue;
            const QRect card(visibleOrigin(index++),
                             QSize(int(QueueCard::cardWidth), int(QueueCard::cardHeight)));
            if (card.intersects(window) && entry.card->job())
                store_.pictures().cardShown(*entry.card->job());
        }
    }

    QueueCard* cardAt(const QPoint& point) const {
        if (!paddedWindow().contains(point))
            return nullptr;
        for (const Entry& entry : entries) {
            if (!entry.live())
                continue;
            if (entry.card->cardRect().translated(entry.card->pos()).contains(point))
                return entry.card;
        }
        return nullptr;
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        QueueCard* card = cardAt(event->position().toPoint());
        if (card && card->job()) {
            store_.queue().setSelectedID(card->job()->id());
            event->accept();
            return;
        }
        QWidget::mousePressEvent(event);
    }

    void wheelEvent(QWheelEvent* event) override {
        // Most mice only turn vertically; the row scrolls sideways either way.
        const QPoint delta = event->angleDelta();
        const int step = std::abs(delta.x()) > std::abs(delta.y()) ? delta.x() : delta.y();
        QScrollBar* bar = scroll_->horizontalScrollBar();
        bar->setValue(bar->value() - step / 2);
        event->accept();
    }

private:
    Store& store_;
    QScrollArea* scroll_;
};

QueueStrip::QueueStrip(Store& store, QWidget* parent)
    : QWidget(parent)
    , store_(store)
    , header_(new QWidget(this))
    , counter_(textLabel(QString(), Theme::digits(11, QFont::Medium),
                         Theme::withOpacity(Theme::muted(), 0.8)))
    , clearButton_(new TextButton(QStringLiteral("Очистить готовые"), Theme::text()))
    , cancelAllButton_(new TextButton(QStringLiteral("Отменить всё"), Theme::accent()))
    , scroll_(new QScrollArea(this))
    , row_(new CardRow(store, scroll_)) {
    auto* header = new QHBoxLayout(header_);
    header->setContentsMargins(sidePadding, 0, sidePadding, 0);
    header->setSpacing(8);
    header->addWidget(capsLabel(QStringLiteral("ОЧЕРЕДЬ"), 9.5, 1.6));
    header->addWidget(counter_);
    header->addStretch(1);
    header->addWidget(clearButton_);
    header->addSpacing(8);
    header->addWidget(cancelAllButton_);
    JobQueue& queue = store_.queue();
    connect(clearButton_, &QAbstractButton::clicked, this,
            [this] { runBulkAction(&JobQueue::clearFinished); });
    connect(cancelAllButton_, &QAbstractButton::clicked, this,
            [this] { runBulkAction(&JobQueue::cancelAll); });

    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setStyleSheet(QStringLiteral("QScrollArea { background: transparent; }"));
    scroll_->viewport()->setAutoFillBackground(false);
    scroll_->setWidget(row_);
    // setWidget() turns the background on; the row lies over the stage's backdrop.
    row_->setAutoFillBackground(false);
    header_->raise();
    connect(scroll_->horizontalScrollBar(), &QScrollBar::valueChanged, row_, [this] {
        row_->clipToPadding();
        row_->showPictures();
    });

    const JobListModel& model = queue.model();
    connect(&model, &JobListModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { insertCards(first, last); });
    connect(&model, &JobListModel::rowsRemoved, this,
            [this](const QModelIndex&, int first, int last) { removeCards(first, last); });
    connect(&model, &JobListModel::dataChanged, this, &QueueStrip::rowsChanged);
    connect(&store_.queueTime(), &QueueTime::changed, this, &QueueStrip::refreshCounts);
    connect(&queue, &JobQueue::focusedChanged, this, &QueueStrip::refreshSelection);
    connect(&queue, &JobQueue::selectedIDChanged, this, &QueueStrip::refreshSelection);
    if (model.rowCount() > 0)
        insertCards(0, model.rowCount() - 1);
    refreshCounts();
}

int QueueStrip::headerHeight() {
    return int(std::ceil(std::max(QFontMetricsF(Theme::caps(9.5)).height(),
                                  QFontMetricsF(Theme::system(11, QFont::DemiBold)).height())));
}

int QueueStrip::stripHeight() {
    return headerHeight() + rowSpacing + 2 * rowPadding + int(QueueCard::cardHeight) +
           bottomPadding;
}

QSize QueueStrip::sizeHint() const {
    return {600, stripHeight()};
}

void QueueStrip::resizeEvent(QResizeEvent* event) {
    header_->setGeometry(0, 0, width(), headerHeight());
    const QMargins room = QueueCard::room();
    const int cardsTop = headerHeight() + rowSpacing + rowPadding;
    scroll_->setGeometry(0, cardsTop - room.top(), width(),
                         room.top() + int(QueueCard::cardHeight) + room.bottom());
    row_->clipToPadding();
    row_->showPictures();
    QWidget::resizeEvent(event);
}

QString QueueStrip::counterText() const {
    return counter_->text();
}

std::vector<QueueCard*> QueueStrip::cards() const {
    std::vector<QueueCard*> result;
    for (const CardRow::Entry& entry : row_->entries) {
        if (entry.live())
            result.push_back(entry.card);
    }
    return result;
}

QRect QueueStrip::cardRectInStrip(const QueueCard* card) const {
    const QRect local = card->cardRect().toAlignedRect();
    return QRect(card->mapTo(this, local.topLeft()), local.size());
}

void QueueStrip::insertCards(int first, int last) {
    std::erase_if(row_->entries, [](const CardRow::Entry& entry) { return entry.gone(); });
    // The live cards come first, in row order; leaving ones follow until they are gone.
    std::vector<CardRow::Entry> added;
    for (int row = first; row <= last; ++row) {
        Job* job = store_.queue().model().jobAt(row);
        auto* card = new QueueCard(*job, row_);
        connect(card, &QueueCard::activated, this, [this, card] {
            if (card->job())
                store_.queue().setSelectedID(card->job()->id());
        });
        auto* appearance = new Appearance(card, {0.8, {}}, Theme::spring());
        auto left = std::make_shared<std::optional<SpringValue>>();
        left->emplace(
            0.0, Theme::spring(),
            [guard = QPointer<QueueCard>(card), slide = left.get(), row = row_] {
                if (!guard)
                    return;
                guard->move(int(std::lround((*slide)->value())), guard->y());
                row->clipToPadding(guard);
            },
            card);
        card->show();
        appearance->enter();
        added.push_back({card, appearance, left});
    }
    row_->entries.insert(row_->entries.begin() + first, added.begin(), added.end());
    row_->arrange();
    refreshSelection();
    // The counts follow only after the list: the strip coming in with these cards is pictured
    // before then, and would read "всё готово" beside waiting cards all the way in.
    refreshCounts();
}

void QueueStrip::removeCards(int first, int last) {
    std::erase_if(row_->entries, [](const CardRow::Entry& entry) { return entry.gone(); });
    const auto begin = row_->entries.begin() + first;
    const auto end = row_->entries.begin() + last + 1;
    std::vector<CardRow::Entry> leaving(begin, end);
    row_->entries.erase(begin, end);
    const QUuid selected = store_.queue().selectedID();
    for (const CardRow::Entry& entry : leaving) {
        // A card whose job was the one selected lets its selection go as it leaves; the
        // selection itself is let go only after the rows have left.
        if (entry.card->job() && entry.card->job()->id() == selected)
            entry.card->setSelected(false);
        // A card whose job is gone stays where it was while it fades, then goes.
        row_->entries.push_back(entry);
        QPointer<QueueCard> card = entry.card;
        entry.appearance->leave([card, row = QPointer<CardRow>(row_)] {
            if (!card)
                return;
            card->hide();
            card->deleteLater();
            if (row)
                row->arrange();
        });
    }
    row_->arrange();
    // The selection waits for the focus: a clear takes its rows out in runs, and the focus
    // between them is no one's to show.
    refreshCounts();
}

void QueueStrip::rowsChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                             const QList<int>& roles) {
    const bool status = roles.contains(JobListModel::StatusRole);
    for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
        QueueCard* card = row_->entries[std::size_t(row)].card;
        if (status)
            card->refresh();
        if (roles.contains(JobListModel::PreviewRole))
            card->update();
    }
    if (status)
        refreshCounts();
}

void QueueStrip::runBulkAction(void (JobQueue::*action)()) {
    const bool hadFocus = clearButton_->hasFocus() || cancelAllButton_->hasFocus();
    (store_.queue().*action)();
    if (!hadFocus)
        return;
    // The button may go with the action, and Qt would hand the focus on to the next one, where
    // Enter or Space would cancel every waiting job. It goes to the shown job's card instead,
    // or the row itself.
    const std::vector<QueueCard*> live = cards();
    auto shown = std::find_if(live.begin(), live.end(),
                              [](const QueueCard* card) { return card->isSelected(); });
    if (shown != live.end())
        (*shown)->setFocus(Qt::OtherFocusReason);
    else
        row_->setFocus(Qt::OtherFocusReason);
}

void QueueStrip::refreshCounts() {
    const int pending = store_.queue().pendingCount();
    counter_->setText(JobTexts::counter(pending, store_.queueTime().seconds()));
    clearButton_->setVisible(store_.queue().hasFinished());
    cancelAllButton_->setVisible(pending >= 2);
}

void QueueStrip::refreshSelection() {
    const Job* focused = store_.queue().focused();
    for (const CardRow::Entry& entry : row_->entries) {
        if (entry.live())
            entry.card->setSelected(entry.card->job() && entry.card->job() == focused);
    }
}

} // namespace clarivex
