#include "queue_fixture.h"

#include "core/vocabulary/upscale_error.h"

#include <QCoreApplication>
#include <QSettings>

namespace clarivex::test {

QueueFixture::~QueueFixture() {
    script.shutDown();
    decoder.release();
    store_.reset();
    flushDeletions();
}

Store::Environment QueueFixture::environment() {
    Store::Environment environment;
    environment.desktop = desktop;
    environment.settings = [this] {
        return std::make_unique<QSettings>(
            QString::fromStdString((folder / "settings.ini").string()), QSettings::IniFormat);
    };
    environment.locateTools = [this] {
        if (toolsMissing)
            throw UpscaleError::missingEngine();
        return Tools{};
    };
    environment.pipeline = script.pipeline();
    environment.decode = decoder.decode();
    // Every file a megapixel photo, for the queue's time.
    environment.measureSource = [](const std::filesystem::path&, MediaKind, std::stop_token) {
        return std::optional(SourceExtent{{1000, 1000}, 1});
    };
    environment.picturesKept = picturesKept;
    return environment;
}

Store& QueueFixture::store() {
    if (!store_)
        store_ = std::make_unique<Store>(environment());
    return *store_;
}

std::filesystem::path QueueFixture::file(const std::string& name) const {
    writeFile(folder / name);
    return folder / name;
}

std::vector<std::string> QueueFixture::names() {
    std::vector<std::string> result;
    for (const Job* job : queue().jobs())
        result.push_back(job->fileName().toStdString());
    return result;
}

void QueueFixture::flushDeletions() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace clarivex::test
