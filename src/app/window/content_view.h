#pragma once

#include "app/queue/picture_loader.h"

#include <QPointer>
#include <QWidget>

namespace clarivex {

class AmbientBackground;
class Appearance;
class CelebrationBurst;
class DropHero;
class DropOverlay;
class Job;
class JobStage;
class QueueStrip;
class Sidebar;
class StageHeader;
class Store;

// The one view of the main window: the stage — backdrop, header, the drop invitation or the
// focused job, the queue strip, the celebration burst and the drop overlay — beside the
// 300-wide settings sidebar. The whole view takes drops of local files and folders and hands
// them to the store, which starts on them at once. Everything it shows follows the store.
// Main thread only.
class ContentView : public QWidget {
    Q_OBJECT
public:
    static constexpr int minimumWidth = 1040;
    static constexpr int minimumHeight = 680;

    explicit ContentView(Store& store, QWidget* parent = nullptr);

    // True while a drag with files hovers over the view. Public so that the snapshot mode and
    // tests can show the drag state without a real drag.
    bool isTargeted() const { return targeted_; }
    void setTargeted(bool targeted);

    // What the stage shows now (the one coming in, while views change).
    DropHero* dropHero() const;
    JobStage* jobStage() const;
    QueueStrip* queueStrip() const { return strip_; }
    StageHeader* header() const { return header_; }
    Sidebar* sidebar() const { return sidebar_; }
    DropOverlay* dropOverlay() const { return overlay_; }
    CelebrationBurst* celebrationBurst() const { return burst_; }

    // The stage's main area between the header and the strip (as the strip will rest), padded 28
    // left and right.
    QRect mainArea() const;
    // How large the pictures are shown in a view of at most `largestView` on a screen of
    // `ratio` device pixels per point: the card, the stage and the slider at its largest zoom.
    static PictureLoader::Sizes pictureSizes(const QSize& largestView, qreal ratio);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void refreshEngine();
    void refreshFocus();
    void refreshStrip();
    void showHero();
    void showStage(Job& job);
    void retire(QWidget* view);
    void layoutStage();
    void stackLayers();
    void tellPictureSizes();
    QRect stageRect() const;

    Store& store_;
    bool targeted_ = false;
    AmbientBackground* background_;
    StageHeader* header_;
    QPointer<DropHero> hero_;
    QPointer<JobStage> stage_;
    QueueStrip* strip_;
    Appearance* stripAppearance_;
    bool stripShown_ = false;
    CelebrationBurst* burst_;
    DropOverlay* overlay_;
    Sidebar* sidebar_;
};

} // namespace clarivex
