#pragma once

#include "core/vocabulary/options.h"

#include <QObject>

#include <functional>
#include <memory>

class QSettings;

Q_DECLARE_METATYPE(clarivex::ModelChoice)
Q_DECLARE_METATYPE(clarivex::Target)

namespace clarivex {

// The five user settings the sidebar edits and every new job takes: read from the settings
// store at creation, written back whole after every assignment. Main thread.
class OptionsModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(clarivex::ModelChoice model READ model WRITE setModel NOTIFY modelChanged)
    Q_PROPERTY(clarivex::Target target READ target WRITE setTarget NOTIFY targetChanged)
    Q_PROPERTY(bool seamlessLoop READ seamlessLoop WRITE setSeamlessLoop NOTIFY seamlessLoopChanged)
    Q_PROPERTY(double loopFade READ loopFade WRITE setLoopFade NOTIFY loopFadeChanged)
    Q_PROPERTY(bool copyToPictures READ copyToPictures WRITE setCopyToPictures NOTIFY
                   copyToPicturesChanged)

public:
    // Opens the settings store each time it is read or written.
    using SettingsStore = std::function<std::unique_ptr<QSettings>()>;

    explicit OptionsModel(SettingsStore store, QObject* parent = nullptr);

    ModelChoice model() const { return options_.model; }
    void setModel(ModelChoice model);
    Target target() const { return options_.target; }
    void setTarget(Target target);
    bool seamlessLoop() const { return options_.seamlessLoop; }
    void setSeamlessLoop(bool seamlessLoop);
    double loopFade() const { return options_.loopFade; }
    void setLoopFade(double loopFade);
    bool copyToPictures() const { return options_.copyToPictures; }
    void setCopyToPictures(bool copyToPictures);

    // The five as they are now: what a job starting now takes.
    Options options() const { return options_; }

Q_SIGNALS:
    void modelChanged();
    void targetChanged();
    void seamlessLoopChanged();
    void loopFadeChanged();
    void copyToPicturesChanged();
    // After any of the five changed.
    void settingsChanged();

private:
    template <typename Value>
    void assign(Value Options::*field, Value value, void (OptionsModel::*changed)());

    SettingsStore store_;
    Options options_;
};

} // namespace clarivex
