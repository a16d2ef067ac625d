#pragma once

#include "app/queue/store.h"
#include "core/vocabulary/upscale_error.h"
#include "support/recording_desktop_services.h"
#include "support/scripted_decoder.h"
#include "support/scripted_pipeline.h"
#include "support/settle.h"
#include "support/temporary_folder.h"
#include "ui/animation/reduce_motion.h"

#include <QCoreApplication>
#include <QSettings>
#include <QWidget>

#include <memory>

namespace clarivex::test {

// A store for view tests: scripted pipeline and decoder, a recording desktop, private settings,
// and an engine missing or found with the models in `models` and the devices `devices`.
struct WindowFixture {
    enum class Engine { missing, found };

    explicit WindowFixture(Engine engine = Engine::missing,
                           const std::filesystem::path& models = "/nonexistent",
                           const EngineDevices& devices = {}) {
        Store::Environment environment;
        environment.desktop = desktop;
        const std::filesystem::path settingsFile = folder.path() / "settings.ini";
        environment.settings = [settingsFile] {
            return std::make_unique<QSettings>(QString::fromStdString(settingsFile.string()),
                                               QSettings::IniFormat);
        };
        if (engine == Engine::found)
            environment.locateTools = [models] {
                Tools tools;
                tools.esrgan = "/opt/realesrgan/realesrgan-ncnn-vulkan";
                tools.models = models;
                return tools;
            };
        else
            environment.locateTools = []() -> Tools { throw UpscaleError::missingEngine(); };
        environment.probeDevices = [devices](const Tools&, std::stop_token) { return devices; };
        environment.measureSource = [](const std::filesystem::path&, MediaKind, std::stop_token) {
            return std::optional(SourceExtent{{1000, 1000}, 1});
        };
        environment.pipeline = script.pipeline();
        environment.decode = decoder.decode();
        store = std::make_unique<Store>(std::move(environment));
    }
    ~WindowFixture() { script.shutDown(); }

    std::filesystem::path file(const std::string& name) const { return folder.path() / name; }
    JobQueue& queue() const { return store->queue(); }

    TemporaryFolder folder{"clarivex-window"};
    std::shared_ptr<RecordingDesktopServices> desktop =
        std::make_shared<RecordingDesktopServices>();
    ScriptedPipeline script;
    ScriptedDecoder decoder;
    std::unique_ptr<Store> store;
};

// Views animate while it lives (the tests run with reduce motion on), on the frozen clock.
struct MotionOn {
    MotionOn() { ReduceMotion::setOverride(false); }
    ~MotionOn() { ReduceMotion::setOverride(true); }
};

// Deletes what was deleted later.
inline void flushDeletions() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Every widget of type T under `root` whose text-like property reads `text`.
template <typename T> T* findByText(QWidget* root, const QString& text) {
    for (T* widget : root->findChildren<T*>()) {
        if (widget->property("text").toString() == text || widget->accessibleName() == text)
            return widget;
    }
    return nullptr;
}

} // namespace clarivex::test
