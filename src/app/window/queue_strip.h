#pragma once

#include <QList>
#include <QModelIndex>
#include <QUuid>
#include <QWidget>

#include <vector>

class QLabel;
class QScrollArea;

namespace clarivex {

class CardRow;
class JobQueue;
class QueueCard;
class Store;
class TextButton;

// The band at the bottom of the stage while the queue holds jobs: "ОЧЕРЕДЬ" with the counter,
// "Очистить готовые" while any job has finished, "Отменить всё" while two or more are pending,
// and a horizontally scrolling row with one card per job. A click on a card puts its job on
// the stage. Cards come in growing from 0.8 while fading in and leave the same way. Padded 28
// left and right and 18 below. Main thread only.
class QueueStrip : public QWidget {
    Q_OBJECT
public:
    static constexpr int sidePadding = 28;
    static constexpr int bottomPadding = 18;
    static constexpr int rowSpacing = 10;
    static constexpr int cardSpacing = 10;
    static constexpr int rowPadding = 4;

    explicit QueueStrip(Store& store, QWidget* parent = nullptr);

    QString counterText() const;
    TextButton* clearButton() const { return clearButton_; }
    TextButton* cancelAllButton() const { return cancelAllButton_; }
    // The cards in queue order, leaving ones excluded.
    std::vector<QueueCard*> cards() const;
    // The visible rectangle of a card in this widget's coordinates.
    QRect cardRectInStrip(const QueueCard* card) const;
    // The strip's height for its content.
    static int stripHeight();

    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void insertCards(int first, int last);
    void removeCards(int first, int last);
    void rowsChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles);
    void runBulkAction(void (JobQueue::*action)());
    void refreshCounts();
    void refreshSelection();
    static int headerHeight();

    Store& store_;
    QWidget* header_;
    QLabel* counter_;
    TextButton* clearButton_;
    TextButton* cancelAllButton_;
    QScrollArea* scroll_;
    CardRow* row_;
};

} // namespace clarivex
