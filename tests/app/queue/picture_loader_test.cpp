// The picture loader with a scripted decoder: which sizes it asks for, and when.
#include "queue_fixture.h"

#include <algorithm>

using namespace clarivex;
using Request = test::ScriptedDecoder::Request;

namespace {

class PictureLoaderTest : public test::QueueFixture {
protected:
    PictureLoader& pictures() { return store().pictures(); }
    Job* doneJob(const std::string& name) {
        const auto source = file(name);
        return queue().addDemonstration(source, MediaKind::image,
                                        JobStatus::done(test::ScriptedPipeline::resultFor(source)));
    }
    // The requests made since the last call, in any order.
    std::vector<Request> newRequests() {
        std::vector<Request> all = decoder.requests();
        std::vector<Request> fresh(all.begin() + std::ptrdiff_t(seen), all.end());
        seen = all.size();
        std::sort(fresh.begin(), fresh.end(), [](const Request& a, const Request& b) {
            return std::tie(a.file, a.fit.box.width) < std::tie(b.file, b.fit.box.width);
        });
        return fresh;
    }
    static Request inside(const std::string& file, int width, int height) {
        return {file, {{width, height}, false}};
    }
    static bool shows(const Job* job) { return !job->before().isNull() && !job->after().isNull(); }

    size_t seen = 0;
};

} // namespace

TEST_F(PictureLoaderTest, DecodesEachPictureAtTheSizeItIsShown) {
    pictures().setSizes({{224, 140}, {800, 600}, {2400, 1800}});
    const auto jobs = queue().add({file("a.png"), file("b.png")}, false);
    // The focused job's preview fits the stage; a card's preview waits until its card is shown,
    // then covers it.
    ASSERT_TRUE(settle([&] { return !jobs[0]->pixelated().isNull() && pictures().isIdle(); }));
    EXPECT_EQ(newRequests(), (std::vector<Request>{inside("a.png", 800, 600)}));
    pictures().cardShown(*jobs[1]);
    ASSERT_TRUE(settle([&] { return !jobs[1]->preview().isNull(); }));
    EXPECT_EQ(newRequests(), (std::vector<Request>{{"b.png", {{224, 140}, true}}}));
    EXPECT_EQ(jobs[0]->preview().size(), QSize(800, 533));
    EXPECT_EQ(jobs[1]->preview().size(), QSize(224, 149));

    // Once done, before and after fit the slider's largest box at its largest zoom.
    jobs[0]->setStatus(JobStatus::done(test::ScriptedPipeline::resultFor(jobs[0]->url())));
    ASSERT_TRUE(settle([&] { return shows(jobs[0]); }));
    EXPECT_EQ(newRequests(),
              (std::vector<Request>{inside("a-2x.png", 2400, 1800), inside("a.png", 2400, 1800)}));
    EXPECT_EQ(jobs[0]->after().size(), QSize(2400, 1600));
}

TEST_F(PictureLoaderTest, OnlyTheLastFocusedJobsKeepTheirLargePictures) {
    picturesKept = 2;
    pictures().setSizes({{224, 140}, {800, 600}, {2400, 1800}});
    Job* a = doneJob("a.png");
    Job* b = doneJob("b.png");
    Job* c = doneJob("c.png");
    ASSERT_TRUE(settle([&] { return shows(c); }));
    for (Job* job : {a, b}) {
        queue().setSelectedID(job->id());
        ASSERT_TRUE(settle([&] { return shows(job); }));
    }
    // c was focused before a and b: it gave its pictures up, its card keeps a small preview.
    EXPECT_FALSE(shows(c));
    EXPECT_EQ(c->preview().size(), QSize(224, 149));
    EXPECT_TRUE(shows(a));
    newRequests();

    queue().setSelectedID(c->id());
    ASSERT_TRUE(settle([&] { return shows(c) && c->preview().width() == 800; }));
    EXPECT_EQ(newRequests(),
              (std::vector<Request>{inside("c-2x.png", 2400, 1800), inside("c.png", 800, 600),
                                    inside("c.png", 2400, 1800)}));
    EXPECT_FALSE(shows(a));
    EXPECT_TRUE(shows(b));
}

TEST_F(PictureLoaderTest, AFocusThatMovesOnAbandonsTheLoadsOfTheJobItLeft) {
    decoder.hold();
    Job* a = doneJob("a.png");
    // a's decodes hold both threads of the focused job's loads.
    ASSERT_TRUE(decoder.waitForRequests(2));
    // The focus moves to the newest done job. a's decodes are stopped, which frees the threads
    // for b's while the decoder still holds everything.
    Job* b = doneJob("b.png");
    ASSERT_TRUE(decoder.waitForRequests(5));
    EXPECT_FALSE(pictures().isLoadingComparison(*a));
    decoder.release();
    ASSERT_TRUE(settle([&] { return shows(b); }));
    EXPECT_EQ(decoder.stopped(), 3);
    EXPECT_FALSE(shows(a));
}

TEST_F(PictureLoaderTest, AnUnreadableResultSettlesWithoutAComparison) {
    int settled = 0;
    QObject::connect(&pictures(), &PictureLoader::comparisonSettled, [&] { ++settled; });
    Job* job = doneJob("unreadable.png");
    ASSERT_TRUE(settle([&] { return settled == 1 && pictures().isIdle(); }));
    EXPECT_FALSE(shows(job));
    EXPECT_FALSE(pictures().isLoadingComparison(*job));
    EXPECT_TRUE(job->preview().isNull());
    // Focused again, it is not asked again: nothing changed.
    Job* other = doneJob("b.png");
    ASSERT_TRUE(settle([&] { return shows(other); }));
    queue().setSelectedID(job->id());
    ASSERT_TRUE(settle([&] { return pictures().isIdle(); }));
    const auto requests = decoder.requests();
    EXPECT_EQ(std::count_if(
                  requests.begin(), requests.end(),
                  [](const Request& request) { return request.file.starts_with("unreadable"); }),
              3);
}
