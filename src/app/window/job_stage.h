#pragma once

#include "app/queue/job_status.h"
#include "ui/animation/appearance.h"
#include "ui/animation/spring_value.h"

#include <QList>
#include <QModelIndex>
#include <QPointer>
#include <QWidget>

namespace clarivex {

class Job;
class JobPanel;
class Store;

// The focused job on the stage: its picture above — the scanning preview while it runs, the
// before/after comparison once done (showing the preview on both sides until the pictures have
// come), the dimmed preview otherwise, or a placeholder while no picture exists — and the panel
// card below (JobPanel). It follows the job and the store's
// celebrations, and removes itself when its job is gone. A job done rides the spring: the card
// takes its new height, and the picture and the card's row cross-fade, the picture moving and
// growing into its new place. The widget keeps room() around the visible area for the shadows
// and glows of the picture and the card. Main thread only.
class JobStage : public QWidget {
    Q_OBJECT
public:
    enum class Visual { scan, dimmedScan, comparison, placeholder };

    static constexpr int spacing = 20;
    static constexpr int bottomPadding = 16;
    static constexpr qreal dimmedOpacity = 0.7;

    JobStage(Store& store, Job& job, QWidget* parent = nullptr);

    // Which picture a job in its current state shows, its comparison pictures still loading or
    // not.
    static Visual visualFor(const Job& job, bool loadingComparison);

    Job* job() const { return job_; }
    JobPanel* panel() const { return panel_; }
    QWidget* visual() const { return visual_; }
    Visual visualKind() const { return visualKind_; }

    // The visible area inside the widget: the picture and the card, with 16 below.
    QRect visibleArea() const;
    QRect visualRect() const;
    static QMargins room();
    // The largest picture a stage in `area` may show: with the smallest card below it.
    static QSize largestVisual(const QSize& area);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // The stage follows its job's row: its status, and its pictures.
    void rowsChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles);
    void statusChanged();
    void refreshVisual(bool crossFade = false);
    void crossFadeVisual(QWidget* oldHolder, const QRect& oldVisual);
    void placeChildren();
    int shownCardHeight(int cardWidth) const;
    // Around the picture, for its glows.
    static QMargins visualRoom();

    Store& store_;
    QPointer<Job> job_;
    JobPanel* panel_;
    // The picture sits in a holder with room for its glows, since the picture's own graphics
    // effect draws them and a fade needs one of its own.
    QWidget* holder_ = nullptr;
    QWidget* visual_ = nullptr;
    Visual visualKind_ = Visual::placeholder;
    JobStatus::Case shownCase_;
    // The card's height while it springs to a new one.
    SpringValue cardHeight_;
    // Just done: the comparison shows the preview until the pictures come, even before their
    // loading has begun.
    bool awaitingComparison_ = false;
    // How the picture that comes in looks while away: where the one it replaces was.
    AppearanceStyle enteringStyle_;
};

} // namespace clarivex
