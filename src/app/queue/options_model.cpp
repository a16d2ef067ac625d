#include "app/queue/options_model.h"

#include "app/queue/settings.h"

#include <QSettings>

namespace clarivex {

OptionsModel::OptionsModel(SettingsStore store, QObject* parent)
    : QObject(parent)
    , store_(std::move(store))
    , options_(Settings::read(*store_())) {}

template <typename Value>
void OptionsModel::assign(Value Options::*field, Value value, void (OptionsModel::*changed)()) {
    options_.*field = value;
    Settings::write(*store_(), options_);
    Q_EMIT settingsChanged();
    Q_EMIT(this->*changed)();
}

void OptionsModel::setModel(ModelChoice model) {
    assign(&Options::model, model, &OptionsModel::modelChanged);
}

void OptionsModel::setTarget(Target target) {
    assign(&Options::target, target, &OptionsModel::targetChanged);
}

void OptionsModel::setSeamlessLoop(bool seamlessLoop) {
    assign(&Options::seamlessLoop, seamlessLoop, &OptionsModel::seamlessLoopChanged);
}

void OptionsModel::setLoopFade(double loopFade) {
    assign(&Options::loopFade, loopFade, &OptionsModel::loopFadeChanged);
}

void OptionsModel::setCopyToPictures(bool copyToPictures) {
    assign(&Options::copyToPictures, copyToPictures, &OptionsModel::copyToPicturesChanged);
}

} // namespace clarivex
