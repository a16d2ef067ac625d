#pragma once

#include "app/queue/store.h"
#include "core/vocabulary/upscale_error.h"
#include "support/recording_desktop_services.h"
#include "support/scripted_decoder.h"
#include "support/scripted_pipeline.h"
#include "support/settle.h"
#include "support/temporary_folder.h"

#include <QSettings>
#include <QWidget>

#include <memory>

namespace clarivex::test {

// A store for view tests: a scripted pipeline and decoder, a desktop that only records,
// settings in a temporary file, and an engine that is either missing or found in
// /opt/realesrgan.
struct WindowFixture {
    enum class Engine { missing, found };

    explicit WindowFixture(Engine engine = Engine::missing) {
        Store::Environment environment;
        environment.desktop = desktop;
        const std::filesystem::path settingsFile = folder.path() / "settings.ini";
        environment.settings = [settingsFile] {
            return std::make_unique<QSettings>(QString::fromStdString(settingsFile.string()),
                                               QSettings::IniFormat);
        };
        if (engine == Engine::found)
            environment.locateTools = [] {
                Tools tools;
                tools.esrgan = "/opt/realesrgan/realesrgan-ncnn-vulkan";
                return tools;
            };
        else
            environment.locateTools = []() -> Tools { throw UpscaleError::missingEngine(); };
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

// Every widget of type T under `root` whose text-like property reads `text`.
template <typename T> T* findByText(QWidget* root, const QString& text) {
    for (T* widget : root->findChildren<T*>()) {
        if (widget->property("text").toString() == text || widget->accessibleName() == text)
            return widget;
    }
    return nullptr;
}

} // namespace clarivex::test
