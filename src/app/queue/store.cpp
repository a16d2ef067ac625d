#include "app/queue/store.h"

#include "app/queue/settings.h"
#include "app/queue/system_desktop_services.h"

#include <QSettings>

namespace clarivex {

struct Store::Run {};
struct Store::PictureLoads {};

Store::Environment Store::Environment::system() {
    Environment environment;
    environment.desktop = std::make_shared<SystemDesktopServices>();
    environment.settings = [] { return std::make_unique<QSettings>("Clarivex", "Clarivex"); };
    environment.locateTools = [] { return Tools::locate(Bundle::current()); };
    return environment;
}

Store::Store(Environment environment, QObject* parent)
    : QObject(parent)
    , environment_(std::move(environment)) {}

Store::~Store() = default;

Store& Store::shared() {
    static Store* instance = new Store(Environment::system());
    return *instance;
}

Job* Store::job(const QUuid&) const {
    return nullptr;
}
void Store::setModel(ModelChoice) {}
void Store::setTarget(Target) {}
void Store::setSeamlessLoop(bool) {}
void Store::setLoopFade(double) {}
void Store::setCopyToPictures(bool) {}
void Store::setSelectedID(const QUuid&) {}
Job* Store::focused() const {
    return nullptr;
}
int Store::pendingCount() const {
    return 0;
}
bool Store::hasFinished() const {
    return false;
}
bool Store::hasCurrent() const {
    return false;
}
QList<Job*> Store::add(const std::vector<std::filesystem::path>&, bool) {
    return {};
}
QList<Job*> Store::add(const QList<QUrl>&, bool) {
    return {};
}
Job* Store::addDemonstration(const std::filesystem::path&, MediaKind, JobStatus) {
    return nullptr;
}
void Store::openPanel(QWidget*) {}
void Store::startIfNeeded() {}
void Store::cancelAll() {}
void Store::cancelCurrent() {}
bool Store::cancelAllAndWait(std::chrono::milliseconds) {
    return true;
}
void Store::clearFinished() {}
void Store::retry(Job*) {}

} // namespace clarivex
