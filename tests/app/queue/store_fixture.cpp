// libvips' GLib headers must come before Qt's "signals" keyword macro.
#include <vips/vips8>

#include "store_fixture.h"

#include "core/vocabulary/upscale_error.h"

#include <QCoreApplication>
#include <QSettings>

#include <chrono>
#include <thread>

namespace clarivex::test {

StoreFixture::StoreFixture()
    : tmpdir_("TMPDIR", (folder / "tmp").string())
    , home_("HOME", (folder / "home").string()) {
    std::filesystem::create_directories(temporary());
}

StoreFixture::~StoreFixture() {
    store_.reset();
    // Jobs removed by clearFinished are deleted later; let that happen inside the test.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

Store::Environment StoreFixture::environment() {
    Store::Environment environment;
    environment.desktop = desktop;
    environment.settings = [this] {
        return std::make_unique<QSettings>(
            QString::fromStdString((folder / "settings.ini").string()), QSettings::IniFormat);
    };
    environment.locateTools = [this] {
        if (toolsMissing)
            throw UpscaleError::missingEngine();
        const auto environment = Tools::Environment::current();
        return Tools{engine.executable(), engine.models(),
                     Tools::locateProgram("ffmpeg", environment),
                     Tools::locateProgram("ffprobe", environment)};
    };
    environment.picturesKept = picturesKept;
    return environment;
}

Store& StoreFixture::store() {
    if (!store_) {
        store_ = std::make_unique<Store>(environment());
        store_->setTarget(Target::x2);
        store_->setCopyToPictures(false);
    }
    return *store_;
}

std::filesystem::path StoreFixture::photo(const std::string& name, int width, int height) {
    const auto path = folder / name;
    std::filesystem::create_directories(path.parent_path());
    vips::VImage::black(width, height, vips::VImage::option()->set("bands", 3))
        .pngsave(path.c_str());
    return path;
}

void StoreFixture::waitUntil(const std::function<bool()>& done) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (!done()) {
        ASSERT_LT(std::chrono::steady_clock::now(), giveUp) << "waited too long";
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

} // namespace clarivex::test
