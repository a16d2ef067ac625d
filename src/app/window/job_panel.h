#pragma once

#include "app/queue/job_status.h"
#include "ui/animation/spring_value.h"
#include "ui/paint/glow.h"

#include <QWidget>

#include <vector>

namespace clarivex {

class BigProgress;
class Job;
class PillButton;
class Store;

// The card under the stage's picture: names the file and offers what fits the job's status —
// progress with a cancel button while running, the result with "Показать в папке" and
// "Открыть" when done, the failure with "Повторить", "Ждёт очереди", or "Повторить" after a
// cancel. The card is highlighted while the job runs; a light sweeps over it and the check mark
// bounces on every success. The widget keeps room() around the card for its shadow and the
// buttons' glow; contentsRect() is the card. Main thread only.
class JobPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal cornerRadius = 20.0;
    static constexpr qreal padding = 18.0;

    JobPanel(Store& store, Job& job, QWidget* parent = nullptr);

    // Follows the job: rebuilds the row when the status's case changed, else updates values.
    void refresh();
    // Plays the success effects (the store's celebration changed).
    void celebrate(int celebration);

    JobStatus::Case shownCase() const { return shown_; }
    QRectF cardRect() const { return QRectF(contentsRect()); }
    // The card's height for the width the stage gives it.
    int cardHeight(int cardWidth) const;
    static QMargins room();

    BigProgress* progress() const { return progress_; }
    qreal badgeScale() const { return bounce_.value(); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // One thing in the row: a widget (or, without one, the painted badge or symbol), how large
    // its visible part is, the room its widget keeps around that, and how it gives or takes
    // space.
    struct Item {
        QWidget* widget = nullptr;
        QSizeF visible;
        QMargins room;
        qreal spacingBefore = 0.0;
        bool flexible = false;
        bool shrinkable = false;
        qreal minimumWidth = 0.0;
    };
    struct Placed {
        QRectF rect;
        Item item;
    };

    void rebuild();
    void clearRow();
    void buildRunning();
    void buildDone();
    void buildFailed();
    void buildWaiting();
    void buildCancelled();
    void updateRunning();
    PillButton* addPill(const QString& text, bool filled, qreal spacingBefore);
    void addGap(qreal spacingBefore);
    std::vector<Placed> arrange(qreal cardWidth) const;
    qreal rowHeight(const std::vector<Placed>& placed) const;
    void place();
    void cancel();
    void retry();

    Store& store_;
    Job& job_;
    JobStatus::Case shown_ = JobStatus::Case::waiting;
    std::vector<Item> items_;
    BigProgress* progress_ = nullptr;
    int paintedItem_ = -1;
    SpringValue bounce_;
    GlowCache shadowCache_;
    GlowCache badgeGlow_;
    int lastCelebration_ = 0;
};

} // namespace clarivex
