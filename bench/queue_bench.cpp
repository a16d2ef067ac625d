// The queue at scale, with the stand-in engine:
//   queue_bench add [count]     adds a folder of `count` photos (1000 by default): how long
//                               add() holds the main thread, how long the previews take, and
//                               the memory they leave.
//   queue_bench finish [count]  runs `count` photos (200 by default) to 4K results: peak
//                               memory, then refocuses the oldest job and waits until its
//                               pictures are back.
// Everything happens in a private temporary folder. Run by hand; not part of the tests.
#include <vips/vips8>

#include "app/queue/store.h"
#include "support/recording_desktop_services.h"
#include "support/temporary_folder.h"
#include "support/test_engine.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

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
    const auto jobs = store.add({folder / "photos"}, false);
    const qint64 addMs = clock.elapsed();
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
    const auto jobs = store.add({folder / "photos"}, true);
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

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const std::string what = argc > 1 ? argv[1] : "";
    const int count = argc > 2 ? std::stoi(argv[2]) : (what == "add" ? 1000 : 200);
    if (what == "add")
        return benchAdd(count);
    if (what == "finish")
        return benchFinish(count);
    std::fprintf(stderr, "usage: queue_bench add|finish [count]\n");
    return 2;
}
