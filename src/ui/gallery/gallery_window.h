#pragma once

#include <QWidget>

namespace clarivex {

class AmbientBackground;
class BeforeAfterSlider;
class BigProgress;
class Card;
class CelebrationBurst;
class GlowBar;
class MiniRing;
class ScanPreview;
class ShineSweep;

namespace gallery {

// Every visual component in its states, over the backdrop, for looking at them without the rest
// of the window: the components on one page, the parts the main window is built from (the drop
// invitation and overlay, the engine indicator, switches, stepper, text buttons, placeholder)
// on another.
class GalleryWindow : public QWidget {
    Q_OBJECT
public:
    enum class Page { components, window };

    explicit GalleryWindow(Page page = Page::components, QWidget* parent = nullptr);

    // Fires the confetti and the card's shine.
    void celebrate();
    // Moves the running job on by a step.
    void advance();
    ShineSweep* shine() const { return shine_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* buildThemeColumn();
    QWidget* buildPictureColumn();
    QWidget* buildProgressColumn();
    QWidget* buildChoiceColumn();
    QWidget* buildWindowPage();
    void setProgress(double fraction);

    AmbientBackground* background_;
    QWidget* content_;
    CelebrationBurst* burst_;
    Card* card_ = nullptr;
    ShineSweep* shine_ = nullptr;
    ScanPreview* scan_ = nullptr;
    BigProgress* progress_ = nullptr;
    MiniRing* ring_ = nullptr;
    int celebrations_ = 0;
    double fraction_ = 0.47;
};

} // namespace gallery

} // namespace clarivex
