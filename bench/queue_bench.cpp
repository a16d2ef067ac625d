// The queue at scale, with the stand-in engine:
//   queue_bench add [count]     adds a folder of `count` photos (1000 by default): how long
//                               add() holds the main thread, how long the previews take, and
//                               the memory they leave.
//   queue_bench finish [count]  runs `count` photos (200 by default) to 4K results: peak
//                               memory, then refocuses the oldest job and waits until its
//                               pictures are back.
//   queue_bench slider [count]  the window with one 4000 × 3000 photo enlarged ×4 and shown in
//                               the slider, then `count` (4 by default) such jobs focused one
//                               after the other: resident memory; and the time from each
//                               job's pipeline returning to the next one's start. Runs on the
//                               display when there is one (its screen decides the picture
//                               sizes), else offscreen.
//   queue_bench folder [count]  adds a folder of `count` (100000 by default) entries, one in a
//                               hundred a photo, to a shown window: how long until every job
//                               is there, and the longest the window's event loop went
//                               unanswered meanwhile.
// Everything happens in a private temporary folder. Run by hand; not part of the tests.
#include <vips/vips8>

#include "app/queue/file_expansion.h"
#include "app/queue/pipeline.h"
#include "app/queue/store.h"
#include "app/window/content_view.h"
#include "support/recording_desktop_services.h"
#include "support/temporary_folder.h"
#include "support/test_engine.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QTimer>

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

using namespace clarivex;

namespace {

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

double residentMegabytes() {
    long pages = 0;
    long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024 * 1024);
}

void spinUntil(const std::function<bool()>& done) {
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

// `count` copies of one photo of `width` × `height` in `folder`.
void makePhotos(const std::filesystem::path& folder, int count, int width, int height) {
    std::filesystem::create_directories(folder);
    const auto first = folder / "photo-0001.jpg";
    // Gradients rather than noise, so that a thousand copies stay small on disk.
    const auto position = vips::VImage::xyz(width, height);
    const auto x = position[0];
    const auto y = position[1];
    vips::VImage::bandjoin({x % 256, y % 256, (x + y) % 256})
        .cast(VIPS_FORMAT_UCHAR)
        .jpegsave(first.c_str(), vips::VImage::option()->set("Q", 90));
    for (int index = 2; index <= count; ++index) {
        char name[32];
        std::snprintf(name, sizeof name, "photo-%04d.jpg", index);
        std::filesystem::copy_file(first, folder / name);
    }
}

Store::Environment environment(const test::TestEngine& engine,
                               const std::filesystem::path& folder) {
    Store::Environment environment;
    environment.desktop = std::make_shared<RecordingDesktopServices>();
    environment.settings = [folder] {
        return std::make_unique<QSettings>(
            QString::fromStdString((folder / "settings.ini").string()), QSettings::IniFormat);
    };
    environment.locateTools = [&engine] {
        return Tools{engine.executable(), engine.models(), std::nullopt, std::nullopt};
    };
    return environment;
}

int benchAdd(int count) {
    test::TemporaryFolder folder{"clarivex-bench"};
    test::TestEngine engine;
    makePhotos(folder / "photos", count, 4000, 3000);
    Store store(environment(engine, folder.path()));
    const double before = residentMegabytes();

    QElapsedTimer clock;
    clock.start();
    store.add({folder / "photos"}, false);
    const qint64 addMs = clock.elapsed();
    spinUntil([&] { return store.isListed(); });
    const QList<Job*> jobs = store.queue().jobs();
    spinUntil([&] {
        return std::all_of(jobs.begin(), jobs.end(),
                           [](const Job* job) { return !job->pixelated().isNull(); });
    });
    const qint64 previewsMs = clock.elapsed();
    std::printf("add: %lld jobs (4000×3000 JPEG) in %lld ms; all previews after %lld ms\n",
                static_cast<long long>(jobs.size()), static_cast<long long>(addMs),
                static_cast<long long>(previewsMs));
    std::printf("memory: %.0f MB resident before, %.0f MB after, peak %.0f MB\n", before,
                residentMegabytes(), peakMegabytes());
    return 0;
}

// The longest the main thread went without turning its event loop while `done` was awaited.
qint64 longestStall(const std::function<bool()>& done) {
    QElapsedTimer since;
    since.start();
    qint64 longest = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout,
                     [&] { longest = std::max(longest, since.restart()); });
    tick.start(5);
    spinUntil(done);
    return longest;
}

int benchFolder(int count) {
    test::TemporaryFolder folder{"clarivex-bench"};
    test::TestEngine engine;
    const auto album = folder / "album";
    std::filesystem::create_directories(album);
    // Mostly other files, as in a folder of documents: one entry in a hundred is a photo.
    for (int index = 0; index < count; ++index)
        std::ofstream(album / ("entry-" + std::to_string(index) + (index % 100 ? ".txt" : ".jpg")));
    Store store(environment(engine, folder.path()));
    ContentView view(store);
    view.resize(1180, 760);
    view.show();
    QElapsedTimer clock;
    clock.start();
    store.add({album}, false);
    const qint64 addMs = clock.elapsed();
    const qint64 stall = longestStall([&] { return store.isListed(); });
    std::printf("folder of %d entries: add() returned after %lld ms, all %lld jobs after %lld ms; "
                "longest the window went unanswered: %lld ms\n",
                count, static_cast<long long>(addMs),
                static_cast<long long>(store.queue().jobs().size()),
                static_cast<long long>(clock.elapsed()), static_cast<long long>(stall));
    // What the main thread was held for when it listed the folder itself.
    clock.restart();
    const auto files = queueableFiles({album});
    std::printf("listing and sorting alone: %lld ms for %zu files\n",
                static_cast<long long>(clock.elapsed()), files.size());
    return 0;
}

int benchFinish(int count) {
    test::TemporaryFolder folder{"clarivex-bench"};
    test::TestEngine engine;
    // 1280 × 720 enlarged three times by the video model is exactly 3840 × 2160.
    makePhotos(folder / "photos", count, 1280, 720);
    Store store(environment(engine, folder.path()));
    store.settings().setModel(ModelChoice::video);
    store.settings().setTarget(Target::uhd4k);
    store.settings().setCopyToPictures(false);

    QElapsedTimer clock;
    clock.start();
    const auto jobs = store.queue().add({folder / "photos"}, true);
    spinUntil([&] { return !store.queue().isWorking() && store.queue().pendingCount() == 0; });
    const auto done = std::count_if(jobs.begin(), jobs.end(), [](const Job* job) {
        return job->status().is(JobStatus::Case::done);
    });
    const auto withPictures = std::count_if(jobs.begin(), jobs.end(),
                                            [](const Job* job) { return !job->after().isNull(); });
    std::printf("finish: %lld of %lld jobs done (3840×2160 results) in %.1f s; %lld hold "
                "their pictures\n",
                static_cast<long long>(done), static_cast<long long>(jobs.size()),
                clock.elapsed() / 1000.0, static_cast<long long>(withPictures));
    std::printf("memory: %.0f MB resident, peak %.0f MB\n", residentMegabytes(), peakMegabytes());

    Job* oldest = jobs.front();
    clock.restart();
    store.queue().setSelectedID(oldest->id());
    spinUntil([&] { return !oldest->after().isNull() && !oldest->before().isNull(); });
    std::printf("refocus: the oldest job shows %d×%d before and %d×%d after again in %lld ms\n",
                oldest->before().width(), oldest->before().height(), oldest->after().width(),
                oldest->after().height(), static_cast<long long>(clock.elapsed()));
    std::printf("memory: %.0f MB resident, peak %.0f MB\n", residentMegabytes(), peakMegabytes());
    return 0;
}

void settleFor(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

int benchSlider(int count) {
    test::TemporaryFolder folder{"clarivex-bench"};
    test::TestEngine engine;
    makePhotos(folder / "photos", count, 4000, 3000);
    std::vector<std::filesystem::path> photos;
    for (const auto& entry : std::filesystem::directory_iterator(folder / "photos"))
        photos.push_back(entry.path());
    std::sort(photos.begin(), photos.end());

    // The real pipeline, with the moments it starts and returns written down.
    using Clock = std::chrono::steady_clock;
    std::mutex lock;
    std::vector<Clock::time_point> starts;
    std::vector<Clock::time_point> returns;
    Store::Environment setup = environment(engine, folder.path());
    setup.pipeline = [&](UpscaleJob job) {
        {
            const std::lock_guard guard(lock);
            starts.push_back(Clock::now());
        }
        UpscaleOutcome outcome = runUpscale(std::move(job));
        const std::lock_guard guard(lock);
        returns.push_back(Clock::now());
        return outcome;
    };
    Store store(std::move(setup));
    store.settings().setModel(ModelChoice::photo);
    store.settings().setTarget(Target::x4);
    store.settings().setCopyToPictures(false);
    ContentView view(store);
    view.resize(1180, 760);
    view.show();
    const PictureLoader::Sizes sizes = store.pictures().sizes();
    std::printf("screen: slider pictures decoded within %d×%d, stage within %d×%d\n",
                sizes.comparison.width(), sizes.comparison.height(), sizes.stage.width(),
                sizes.stage.height());

    const auto shown = [](const Job* job) { return !job->after().isNull(); };
    QList<Job*> jobs = store.queue().add({photos[0]}, true);
    spinUntil([&] { return shown(jobs[0]); });
    settleFor(2000);
    std::printf("one job in the slider: %.0f MB resident, peak %.0f MB (after %d×%d, before "
                "%d×%d)\n",
                residentMegabytes(), peakMegabytes(), jobs[0]->after().width(),
                jobs[0]->after().height(), jobs[0]->before().width(), jobs[0]->before().height());

    jobs.append(store.queue().add(
        std::vector<std::filesystem::path>(photos.begin() + 1, photos.end()), true));
    spinUntil([&] { return !store.queue().isWorking() && store.queue().pendingCount() == 0; });
    for (size_t index = 2; index < starts.size(); ++index)
        std::printf(
            "pipeline %zu returned, pipeline %zu started %.1f ms later\n", index, index + 1,
            std::chrono::duration<double, std::milli>(starts[index] - returns[index - 1]).count());
    for (Job* job : jobs) {
        store.queue().setSelectedID(job->id());
        spinUntil([&] { return shown(job); });
        settleFor(1000);
    }
    settleFor(2000);
    std::printf("%lld jobs focused in turn: %.0f MB resident, peak %.0f MB\n",
                static_cast<long long>(jobs.size()), residentMegabytes(), peakMegabytes());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const std::string what = argc > 1 ? argv[1] : "";
    const int count = argc > 2 ? std::stoi(argv[2]) : (what == "add" ? 1000 : 200);
    if (what == "add")
        return benchAdd(count);
    if (what == "finish")
        return benchFinish(count);
    if (what == "folder")
        return benchFolder(argc > 2 ? count : 100000);
    if (what == "slider")
        return benchSlider(argc > 2 ? count : 4);
    std::fprintf(stderr, "usage: queue_bench add|finish|slider|folder [count]\n");
    return 2;
}
