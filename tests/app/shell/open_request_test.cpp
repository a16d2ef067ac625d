#include "app/shell/open_request.h"

#include <gtest/gtest.h>

using namespace clarivex;

namespace {

const QByteArray header = QByteArrayLiteral("clarivex-open 1\n");

TEST(OpenRequest, ListsSurviveTheRoundTrip) {
    for (const QStringList& paths :
         {QStringList{}, QStringList{u"/home/u/a.jpg"_qs},
          QStringList{u"/home/u/фото 1.jpg"_qs, u"/tmp/line\nbreak.mp4"_qs, u"/"_qs}})
        EXPECT_EQ(OpenRequest::decode(OpenRequest::encode(paths)), paths);
}

TEST(OpenRequest, AnythingButAListOfAbsolutePathsIsDroppedWhole) {
    const struct {
        const char* what;
        QByteArray message;
    } cases[] = {
        {"nothing", {}},
        {"no header", QByteArrayLiteral("/a.jpg\0")},
        {"another header", QByteArrayLiteral("clarivex-open 2\n/a.jpg\0")},
        {"a relative path among absolute ones", header + QByteArray("/a.jpg\0b.jpg\0", 13)},
        {"a link", header + QByteArray("file:///a.jpg\0", 14)},
        {"an empty path", header + QByteArray("/a.jpg\0\0", 8)},
        {"cut after a path", header + QByteArray("/a.jpg\0/b.j", 11)},
        {"not UTF-8", header + QByteArray("/a\xff\xfe.jpg\0", 10)},
        {"too long", header + QByteArray(OpenRequest::maximumBytes, '/')},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OpenRequest::decode(c.message), std::nullopt) << c.what;
}

TEST(OpenRequest, FileArgumentsBecomeAbsolute) {
    const QStringList arguments{
        u"clarivex"_qs,           u"a.jpg"_qs,      u"--verbose"_qs,
        u"../clips/b.mp4"_qs,     u"/abs/c.png"_qs, u"file:///abs/d%20e.png"_qs,
        u"https://host/x.jpg"_qs, u""_qs,           u"-"_qs};
    EXPECT_EQ(OpenRequest::fromArguments(arguments, u"/home/u/photos"_qs),
              (QStringList{u"/home/u/photos/a.jpg"_qs, u"/home/u/clips/b.mp4"_qs, u"/abs/c.png"_qs,
                           u"/abs/d e.png"_qs}));
    EXPECT_TRUE(OpenRequest::fromArguments({u"clarivex"_qs}, u"/"_qs).isEmpty());
}

} // namespace
