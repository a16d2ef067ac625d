#pragma once

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
// celebrations, and removes itself when its job is gone. The widget keeps room() around the
// visible area for the shadows and glows of the picture and the card. Main thread only.
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
    void refreshVisual();
    void placeChildren();

    Store& store_;
    QPointer<Job> job_;
    JobPanel* panel_;
    QWidget* visual_ = nullptr;
    Visual visualKind_ = Visual::placeholder;
};

} // namespace clarivex
