#include "app/queue/store.h"

#include "app/queue/system_desktop_services.h"

#include <QSettings>

namespace clarivex {

namespace {

// Fills in what the caller left out with the real thing.
Store::Environment completed(Store::Environment environment) {
    if (!environment.desktop)
        environment.desktop = std::make_shared<SystemDesktopServices>();
    if (!environment.settings)
        environment.settings = [] { return std::make_unique<QSettings>("Clarivex", "Clarivex"); };
    if (!environment.locateTools)
        environment.locateTools = [] { return Tools::locate(Bundle::current()); };
    if (!environment.pipeline)
        environment.pipeline = upscale;
    if (!environment.decode)
        environment.decode = PictureLoader::decodeForWindow;
    return environment;
}

} // namespace

Store::Environment Store::Environment::system() {
    return completed({});
}

Store::Store(Environment environment, QObject* parent)
    : QObject(parent)
    , environment_(completed(std::move(environment)))
    , settings_(environment_.settings, this)
    , queue_({environment_.locateTools, environment_.pipeline,
              [this] { return settings_.options(); }, environment_.desktop.get()},
             this)
    , pictures_(queue_, environment_.decode, environment_.picturesKept, environment_.pictureThreads,
                this) {
    try {
        const Tools tools = environment_.locateTools();
        engineFolder_ = QString::fromStdString(tools.esrgan.parent_path().string());
    } catch (...) {
        engineError_ = QString::fromStdString(failureMessage(std::current_exception()));
    }
    connect(&queue_, &JobQueue::badgeChanged, this, &Store::badgeChanged);
}

Store::~Store() {
    cancelAllAndWait(std::chrono::seconds(5));
}

QList<Job*> Store::add(const std::vector<std::filesystem::path>& paths, bool start) {
    return queue_.add(paths, start);
}

QList<Job*> Store::add(const QList<QUrl>& urls, bool start) {
    std::vector<std::filesystem::path> paths;
    for (const QUrl& url : urls)
        if (url.isLocalFile())
            paths.emplace_back(url.toLocalFile().toStdString());
    return queue_.add(paths, start);
}

void Store::openPanel(QWidget* parent) {
    const auto chosen = environment_.desktop->chooseFiles(parent);
    if (!chosen.empty())
        queue_.add(chosen, true);
}

bool Store::cancelAllAndWait(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    const bool pipelineEnded = queue_.cancelAllAndWait(deadline);
    return pictures_.stopAll(deadline) && pipelineEnded;
}

} // namespace clarivex
