#include "app/snapshot/snapshot_request.h"

#include <gtest/gtest.h>

using namespace clarivex;
using State = SnapshotRequest::State;

namespace {

TEST(SnapshotRequest, StateOptionAndFiles) {
    const struct {
        QStringList arguments;
        State state;
        QStringList files;
    } cases[] = {
        {{}, State::running, {}},
        {{u"a.jpg"_qs, u"b.jpg"_qs}, State::running, {u"/w/a.jpg"_qs, u"/w/b.jpg"_qs}},
        {{u"--state"_qs, u"empty"_qs}, State::empty, {}},
        {{u"a.jpg"_qs, u"--state"_qs, u"done"_qs, u"/x/b.jpg"_qs},
         State::done,
         {u"/w/a.jpg"_qs, u"/x/b.jpg"_qs}},
        // Only the first option counts, a later one is two paths.
        {{u"--state"_qs, u"empty"_qs, u"--state"_qs, u"done"_qs},
         State::empty,
         {u"/w/--state"_qs, u"/w/done"_qs}},
        // Last, it names no state and stays in the list as a path.
        {{u"a.jpg"_qs, u"--state"_qs}, State::running, {u"/w/a.jpg"_qs, u"/w/--state"_qs}},
    };
    for (const auto& c : cases) {
        const SnapshotRequest request = SnapshotRequest::parse(c.arguments, u"/w"_qs);
        EXPECT_EQ(request.state, c.state) << c.arguments.join(u' ').toStdString();
        EXPECT_EQ(request.files, c.files) << c.arguments.join(u' ').toStdString();
    }
}

} // namespace
