#pragma once

#include "app/queue/job_status.h"
#include "ui/paint/glow.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <vector>

class QHBoxLayout;
class QLabel;

namespace clarivex {

class BigProgress;
class PillButton;
class CheckBadge;
class Job;
class Store;

// The card under the stage's picture: names the file and offers what fits the job's status —
// progress with a cancel button while running, the result with "Показать в папке" and
// "Открыть" when done, the failure with "Повторить", "Ждёт очереди", or "Повторить" after a
// cancel. The card is highlighted while the job runs; a light sweeps over it and the check mark
// bounces on every success. Its row is a Qt layout, 18 inside the card; every button asks the
// queue, which makes the transitions. The widget keeps room() around the card for its shadow and
// its buttons' glows (see GlowOverhang); contentsRect() is the card. Main thread only.
class JobPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal cornerRadius = 20.0;
    static constexpr int padding = 18;

    JobPanel(Store& store, Job& job, QWidget* parent = nullptr);

    // Follows the job: rebuilds the row when the status's case changed, else updates values.
    // With `crossFade`, a new row fades in as the old one fades out (a job done rides the
    // spring); the card's height is the stage's to animate.
    void refresh(bool crossFade = false);
    // Plays the success effects (the store's celebration changed).
    void celebrate(int celebration);

    JobStatus::Case shownCase() const { return shown_; }
    QRectF cardRect() const { return QRectF(contentsRect()); }
    // The card's height for the width the stage gives it.
    int cardHeight(int cardWidth) const;
    static QMargins room();

    BigProgress* progress() const { return progress_; }
    // The check mark's size while it bounces, 1 at rest; 1 without a check mark.
    qreal badgeScale() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void makeContent();
    void fadeOutContent();
    void placeContent();
    void rebuild();
    void clearRow();
    void buildRunning();
    void buildDone();
    // The result's detail line, and a second one when its copy into Pictures failed.
    static QString doneDetail(const UpscaleResult& result);
    // Puts a failed reveal's or open's reason in place of the detail for a few seconds.
    static void showBriefly(QLabel* detail, const QString& usual,
                            const std::optional<QString>& refusal);
    void buildFailed();
    void buildWaiting();
    void buildCancelled();
    void updateRunning();
    void add(QWidget* widget, int spacingBefore, int stretch = 0);
    void addPill(const QString& text, bool filled, int spacingBefore,
                 const std::function<void()>& action);

    Store& store_;
    // Null once the job is gone: a panel on its way out keeps what it showed, reading nothing.
    QPointer<Job> job_;
    JobStatus::Case shown_ = JobStatus::Case::waiting;
    // The row of what the card shows, in a widget of its own so that it can fade as a whole.
    QWidget* content_ = nullptr;
    QHBoxLayout* row_ = nullptr;
    std::vector<QPointer<QWidget>> leaving_;
    BigProgress* progress_ = nullptr;
    PillButton* cancelButton_ = nullptr;
    CheckBadge* badge_ = nullptr;
    GlowCache shadowCache_;
    QImage card_;
    bool cardHighlighted_ = false;
    int lastCelebration_ = 0;
};

} // namespace clarivex
