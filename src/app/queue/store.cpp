#include "app/queue/store.h"

#include "app/queue/system_desktop_services.h"
#include "core/engine/device_probe.h"

#include <QGuiApplication>
#include <QSettings>

namespace clarivex {

namespace {

// The rate this machine enlarges at, learned from finished jobs, beside the five settings.
constexpr auto rateKey = "workRate";

// Fills in what the caller left out with the real thing.
Store::Environment completed(Store::Environment environment) {
    if (!environment.desktop)
        environment.desktop = std::make_shared<SystemDesktopServices>();
    if (!environment.settings)
        environment.settings = [] { return std::make_unique<QSettings>("Clarivex", "Clarivex"); };
    if (!environment.locateTools)
        environment.locateTools = [] { return Tools::locate(Bundle::current()); };
    if (!environment.probeDevices)
        environment.probeDevices = DeviceProbe::run;
    if (!environment.measureSource)
        environment.measureSource = [](const std::filesystem::path& source, MediaKind kind,
                                       std::stop_token stopToken) {
            return SourceExtent::measure(
                source, kind, Tools::locateProgram("ffprobe", Tools::Environment::current()),
                std::move(stopToken));
        };
    if (!environment.decode)
        environment.decode = PictureLoader::decodeForWindow;
    return environment;
}

QueueTime::RateStore rateStore(const OptionsModel::SettingsStore& settings) {
    return {[settings]() -> std::optional<double> {
                bool ok = false;
                const double rate = settings()->value(rateKey).toDouble(&ok);
                return ok ? std::optional(rate) : std::nullopt;
            },
            [settings](double rate) { settings()->setValue(rateKey, rate); }};
}

} // namespace

Store::Environment Store::Environment::system() {
    return completed({});
}

Store::Store(Environment environment, QObject* parent)
    : QObject(parent)
    , environment_(completed(std::move(environment)))
    , engine_(environment_.locateTools, environment_.probeDevices, this)
    , settings_(environment_.settings, this)
    , queue_({[this](UpscaleJob job) { return engine_.equip(std::move(job)); },
              environment_.pipeline ? environment_.pipeline : Pipeline(runUpscale),
              [this] { return settings_.options(); }, environment_.desktop.get(),
              [this] { engine_.stopSharedRuns(); }},
             this)
    , pictures_(queue_, environment_.decode, environment_.picturesKept, environment_.pictureThreads,
                this)
    , lister_([this](const std::vector<std::filesystem::path>& files,
                     bool start) { queue_.addFiles(files, start); },
              this)
    , queueTime_(
          queue_, environment_.measureSource, [this](MediaKind kind) { return modelFor(kind); },
          rateStore(environment_.settings), this) {
    // Back from a terminal where the engine was installed or changed, the window says so.
    if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(application, &QGuiApplication::applicationStateChanged, this,
                [this](Qt::ApplicationState state) {
                    if (state == Qt::ApplicationActive)
                        engine_.refresh();
                });
}

Store::~Store() {
    cancelAllAndWait(std::chrono::seconds(5));
}

void Store::add(const std::vector<std::filesystem::path>& paths, bool start) {
    lister_.list(paths, start);
}

void Store::openPanel(QWidget* parent) {
    const auto chosen = environment_.desktop->chooseFiles(parent);
    if (!chosen.empty())
        add(chosen, true);
}

std::string Store::modelFor(MediaKind kind) const {
    const ModelChoice choice = settings_.options().model;
    try {
        return engine_.models().pick(choice, kind).model.name;
    } catch (...) {
        // Such a job fails at once; its time hardly matters.
        return resolved(choice, kind).name;
    }
}

bool Store::cancelAllAndWait(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    // What is still being listed would only be cancelled.
    lister_.stop();
    engine_.stop();
    const bool pipelineEnded = queue_.cancelAllAndWait(deadline);
    const bool picturesEnded = pictures_.stopAll(deadline);
    const bool probesEnded = engine_.waitForProbes(deadline);
    return pipelineEnded && picturesEnded && probesEnded;
}

} // namespace clarivex
