#pragma once

#include "app/queue/recording_desktop_services.h"
#include "app/queue/store.h"
#include "core/process/tools.h"
#include "core/vocabulary/upscale_error.h"
#include "support/temporary_folder.h"
#include "support/test_engine.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QSettings>
#include <QWidget>

#include <cstdlib>
#include <functional>
#include <memory>

namespace clarivex::test {

// A store for view tests: a desktop that only records, settings in a temporary file, and either
// no engine at all or the stand-in engine.
struct WindowFixture {
    enum class Engine { missing, standIn };

    explicit WindowFixture(Engine engine = Engine::missing) {
        Store::Environment environment;
        environment.desktop = desktop;
        const std::filesystem::path settingsFile = folder.path() / "settings.ini";
        environment.settings = [settingsFile] {
            return std::make_unique<QSettings>(QString::fromStdString(settingsFile.string()),
                                               QSettings::IniFormat);
        };
        if (engine == Engine::standIn) {
            standIn = std::make_unique<TestEngine>();
            const std::filesystem::path engineFolder = standIn->folder();
            environment.locateTools = [engineFolder] {
                Tools::Environment where;
                where.realesrganDir = engineFolder.string();
                if (const char* path = std::getenv("PATH"))
                    where.path = path;
                return Tools::locate(Bundle{}, where);
            };
        } else {
            environment.locateTools = []() -> Tools { throw UpscaleError::missingEngine(); };
        }
        store = std::make_unique<Store>(std::move(environment));
        // Results stay in the test's folder, never in the user's Pictures.
        store->setCopyToPictures(false);
    }

    std::filesystem::path file(const std::string& name) const { return folder.path() / name; }

    // Lets the event loop run until `done` holds; false if it never does within a generous
    // limit (a hung pipeline, not a slow machine).
    static bool waitFor(const std::function<bool()>& done) {
        QDeadlineTimer deadline(120'000);
        while (!done()) {
            if (deadline.hasExpired())
                return false;
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }

    TemporaryFolder folder{"clarivex-window"};
    std::shared_ptr<RecordingDesktopServices> desktop =
        std::make_shared<RecordingDesktopServices>();
    std::unique_ptr<TestEngine> standIn;
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
