#pragma once

#include <QWidget>

#include <vector>

class QGridLayout;
class QLabel;
class QLayout;
class QScrollArea;
class QVBoxLayout;

namespace clarivex {

class LoopFadeStepper;
class OptionTile;
class OptionsModel;
class PillButton;
class RevealBox;
class SizeTile;
class Store;
class ToggleSwitch;

// The settings column at the window's right, exactly 300 wide: the model tiles, the size grid,
// the seamless loop with its seam length, the Pictures copy with the naming hint, and
// "Выбрать файлы". Every control writes the store at once (which saves the settings), and the
// controls follow the store when it changes elsewhere. Main thread only.
class Sidebar : public QWidget {
    Q_OBJECT
public:
    static constexpr int columnWidth = 300;

    explicit Sidebar(Store& store, QWidget* parent = nullptr);

    // "Результат кладётся рядом с исходником: имя-4k" for the store's target.
    QString namingHint() const;
    bool showsLoopFade() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* buildColumn();
    QWidget* section(const QString& title, QWidget* content);
    // A section whose content lies straight in the column: the size tiles' shadows reach past
    // the grid on every side, and a box around it would cut them at its edges. The column's
    // padding and the spacing between sections keep their room (SizeTile::overhang()).
    QLayout* section(const QString& title, QLayout* content);
    QWidget* modelSection();
    QGridLayout* sizeSection();
    QWidget* videoSection();
    QWidget* savingSection();
    QWidget* toggleRow(const QString& title, const QString& hint, ToggleSwitch* toggle);
    void refresh();
    // The model tiles follow what the engine has installed.
    void refreshModels();

    Store& store_;
    OptionsModel& settings_;
    QScrollArea* scroll_;
    std::vector<OptionTile*> modelTiles_;
    std::vector<SizeTile*> sizeTiles_;
    ToggleSwitch* loopToggle_ = nullptr;
    RevealBox* fadeBox_ = nullptr;
    LoopFadeStepper* fadeStepper_ = nullptr;
    ToggleSwitch* picturesToggle_ = nullptr;
    QLabel* namingHint_ = nullptr;
    PillButton* chooseButton_ = nullptr;
};

} // namespace clarivex
