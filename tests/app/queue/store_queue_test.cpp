#include "store_fixture.h"

#include "support/temporary_folder.h"

#include <set>

using namespace clarivex;

namespace {

class StoreQueue : public test::StoreFixture {
protected:
    std::vector<std::string> names() {
        std::vector<std::string> result;
        for (const Job* job : store().jobs())
            result.push_back(job->fileName().toStdString());
        return result;
    }
};

JobStatus done() {
    return JobStatus::done(UpscaleResult{"/out.png", std::nullopt, {64, 48}, "m", 1});
}

} // namespace

TEST_F(StoreQueue, AddingAFolderTakesItsMediaInAFileManagersOrder) {
    const auto album = folder / "album";
    for (const char* name : {"b.png", "a10.jpg", "A2.jpg", "notes.txt", ".hidden.png", "c.MP4"})
        test::writeFile(album / name);
    test::writeFile(album / "sub" / "inner.png");
    std::filesystem::create_directories(album / "folder.png");
    test::writeFile(folder / "single.webm");

    const auto added = store().add({album, folder / "missing.png", folder / "single.webm",
                                    folder / "notes.txt", folder / "single.webm"},
                                   false);
    // The same file twice is two jobs.
    EXPECT_EQ(names(), (std::vector<std::string>{"A2.jpg", "a10.jpg", "b.png", "c.MP4",
                                                 "single.webm", "single.webm"}));
    EXPECT_EQ(added.size(), 6);
    EXPECT_NE(added[4]->id(), added[5]->id());
    EXPECT_EQ(store().jobs()[3]->kind(), MediaKind::video);
    EXPECT_TRUE(store().jobs()[0]->url().is_absolute());
    for (const Job* job : store().jobs())
        EXPECT_TRUE(job->status().is(JobStatus::Case::waiting));
    EXPECT_FALSE(store().isWorking());
}

TEST_F(StoreQueue, AFolderThatCannotBeListedGivesNothing) {
    const auto locked = folder / "locked";
    test::writeFile(locked / "a.png");
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    const bool listable = [&] {
        std::error_code error;
        std::filesystem::directory_iterator probe(locked, error);
        return !error;
    }();
    store().add({locked, photo("b.png")}, false);
    std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
    if (listable)
        GTEST_SKIP() << "permissions do not hold for this user";
    EXPECT_EQ(names(), std::vector<std::string>{"b.png"});
}

TEST_F(StoreQueue, FocusFollowsTheRule) {
    struct Case {
        std::vector<JobStatus> statuses;
        int selected; // index, or -1 for none, or 9 for a job that is gone
        int focused;  // index, or -1 for none
    };
    const JobStatus running = JobStatus::running({});
    const JobStatus waiting = JobStatus::waiting();
    const JobStatus failed = JobStatus::failed("x");
    const Case cases[] = {
        {{}, -1, -1},
        {{waiting, waiting}, -1, 0},
        {{done(), waiting, running, running}, -1, 2},
        {{done(), failed, done(), waiting}, -1, 2},
        {{done(), running}, 0, 0},
        {{done(), failed, running}, 9, 2},
        {{failed, JobStatus::cancelled()}, -1, 0},
    };
    for (const auto& [statuses, selected, expected] : cases) {
        Store store(environment());
        QList<Job*> jobs;
        for (const auto& status : statuses)
            jobs.push_back(store.addDemonstration(folder / "x.png", MediaKind::image, status));
        if (selected == 9)
            store.setSelectedID(QUuid::createUuid());
        else if (selected >= 0)
            store.setSelectedID(jobs[selected]->id());
        EXPECT_EQ(store.focused(), expected < 0 ? nullptr : jobs[expected])
            << statuses.size() << " jobs, selected " << selected;
    }
}

TEST_F(StoreQueue, ClearingFinishedKeepsPendingJobsAndDropsAStaleSelection) {
    const auto jobs = store().add(
        {photo("a.png"), photo("b.png"), photo("c.png"), photo("d.png"), photo("e.png")}, false);
    jobs[0]->setStatus(done());
    jobs[1]->setStatus(JobStatus::running({}));
    jobs[2]->setStatus(JobStatus::failed("x"));
    jobs[4]->setStatus(JobStatus::cancelled());
    store().setSelectedID(jobs[0]->id());
    EXPECT_EQ(store().pendingCount(), 2);
    EXPECT_TRUE(store().hasFinished());

    int focusChanges = 0;
    QObject::connect(&store(), &Store::focusedChanged, [&] { ++focusChanges; });
    store().clearFinished();
    EXPECT_EQ(names(), (std::vector<std::string>{"b.png", "d.png"}));
    EXPECT_TRUE(store().selectedID().isNull());
    EXPECT_EQ(store().focused(), jobs[1]);
    EXPECT_EQ(focusChanges, 1);
    EXPECT_FALSE(store().hasFinished());

    // A selection that still exists stays.
    store().setSelectedID(jobs[3]->id());
    store().clearFinished();
    EXPECT_EQ(store().selectedID(), jobs[3]->id());
}

TEST_F(StoreQueue, PreviewsArriveWithTheirPlaceholders) {
    const auto jobs = store().add({photo("a.png", 300, 200), photo("b.png", 3000, 2000)}, false);
    waitUntil([&] { return !jobs[0]->pixelated().isNull() && !jobs[1]->pixelated().isNull(); });
    // The focused job keeps the large preview; the other one gets a card-sized copy.
    EXPECT_EQ(jobs[0]->preview().size(), QSize(300, 200));
    EXPECT_EQ(jobs[0]->pixelated().size(), QSize(48, 32));
    // Made from the 1400 × 933 preview: 48 × 933 / 1400 is 31.99, truncated.
    EXPECT_EQ(jobs[1]->pixelated().size(), QSize(48, 31));
    EXPECT_EQ(jobs[1]->preview().size(), QSize(224, 149));

    store().setSelectedID(jobs[1]->id());
    waitUntil([&] { return jobs[1]->preview().width() == 1400; });
    EXPECT_EQ(jobs[1]->preview().height(), 933);
}

TEST_F(StoreQueue, TheFileChooserAddsWhatWasPickedAndStarts) {
    store().openPanel();
    EXPECT_TRUE(store().jobs().isEmpty());
    toolsMissing = true;
    desktop->chosenFiles = {photo("a.png")};
    store().openPanel();
    EXPECT_EQ(desktop->chooserShown, 2);
    EXPECT_EQ(names(), std::vector<std::string>{"a.png"});
    EXPECT_TRUE(store().isWorking());
    waitUntil([&] { return !store().isWorking(); });
}
