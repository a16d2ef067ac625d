// What the window adds goes through the store, which lists folders off the main thread.
#include "queue_fixture.h"

#include <QCoreApplication>

using namespace clarivex;

using StoreTest = test::QueueFixture;

TEST_F(StoreTest, AddedLocationsQueueInTheOrderGivenAFolderInAFileManagersOrder) {
    const auto album = folder / "album";
    for (const char* name : {"b.png", "a10.jpg", "A2.jpg", "notes.txt", ".hidden.png", "c.MP4"})
        test::writeFile(album / name);
    test::writeFile(album / "sub" / "inner.png");
    std::filesystem::create_directories(album / "folder.png");
    test::writeFile(folder / "single.webm");
    const auto locked = folder / "locked";
    test::writeFile(locked / "a.png");
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    std::error_code error;
    const bool lockedListable =
        std::filesystem::directory_iterator(locked, error) != std::filesystem::directory_iterator();

    // Two requests in a row: the second's file comes after the whole folder of the first.
    store().add({folder / "missing.png", album, folder / "single.webm", locked}, false);
    store().add({folder / "single.webm"}, false);
    EXPECT_TRUE(queue().jobs().isEmpty()) << "listed on the main thread";
    ASSERT_TRUE(settle([&] { return store().isListed(); }));
    std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
    std::vector<std::string> expected{"A2.jpg", "a10.jpg", "b.png", "c.MP4", "single.webm"};
    if (lockedListable)
        expected.push_back("a.png");
    // The same file twice is two jobs.
    expected.push_back("single.webm");
    EXPECT_EQ(names(), expected);
    EXPECT_EQ(queue().jobs()[3]->kind(), MediaKind::video);
    EXPECT_TRUE(queue().jobs()[0]->url().is_absolute());
    EXPECT_FALSE(queue().isWorking());
}

TEST_F(StoreTest, AFolderOfManyEntriesArrivesInBatchesAndQuittingDropsTheRest) {
    const auto album = folder / "album";
    std::filesystem::create_directories(album);
    for (int index = 0; index < 1000; ++index)
        test::writeFile(album / ("p" + std::to_string(index) + ".png"));
    std::vector<qsizetype> sizes;
    QObject::connect(&queue().model(), &JobListModel::rowsInserted,
                     [&] { sizes.push_back(queue().jobs().size()); });
    store().add({album}, false);
    ASSERT_TRUE(settle([&] { return store().isListed(); }));
    ASSERT_EQ(queue().jobs().size(), 1000);
    EXPECT_GT(sizes.size(), 1u) << "all jobs made in one turn of the event loop";
    EXPECT_EQ(queue().jobs()[999]->fileName(), QStringLiteral("p999.png"));

    store().add({album}, true);
    EXPECT_TRUE(store().cancelAllAndWait(std::chrono::minutes(1)));
    QCoreApplication::processEvents();
    EXPECT_EQ(queue().jobs().size(), 1000);
    EXPECT_TRUE(script.sources().empty());
}

TEST_F(StoreTest, TheFileChooserAddsWhatWasPickedAndStarts) {
    store().openPanel();
    desktop->chosenFiles = {file("a.png")};
    store().openPanel();
    EXPECT_EQ(desktop->chooserShown, 2);
    ASSERT_TRUE(settle([&] { return queue().hasCurrent(); }));
    EXPECT_EQ(names(), std::vector<std::string>{"a.png"});
}

TEST_F(StoreTest, QueueTimeIsLearnedFromFinishedJobsAndKeptForTheNextRun) {
    const auto jobs = queue().add({file("a.png"), file("b.png")}, true);
    // Nothing learned yet and the running job has not moved: no time is shown rather than a guess.
    QueueFixture::flushDeletions();
    EXPECT_FALSE(store().queueTime().seconds());
    UpscaleResult result = test::ScriptedPipeline::resultFor(jobs[0]->url());
    result.model = "realesrgan-x4plus";
    result.seconds = 20;
    script.end(result);
    // A megapixel in 20 s: the second megapixel needs as long.
    ASSERT_TRUE(settle([&] { return store().queueTime().seconds().has_value(); }));
    EXPECT_NEAR(*store().queueTime().seconds(), 20, 1);

    // The next day the first waiting job is estimated at once.
    Store nextRun(environment());
    nextRun.queue().add({file("c.png")}, false);
    ASSERT_TRUE(settle([&] { return nextRun.queueTime().seconds().has_value(); }));
    EXPECT_NEAR(*nextRun.queueTime().seconds(), 20, 1);
}
