#include "app/shell/open_request.h"

#include <gtest/gtest.h>

using namespace clarivex;
using OpenRequest::Paths;

namespace {

const QByteArray header = QByteArrayLiteral("clarivex-open 2\n");

TEST(OpenRequest, ListsSurviveTheRoundTripByteForByte) {
    for (const Paths& paths :
         {Paths{}, Paths{"/home/u/a.jpg"},
          Paths{"/home/u/фото 1.jpg", "/tmp/line\nbreak.mp4", "/\xff\xfe.png"}}) {
        const QByteArray message = OpenRequest::encode(paths);
        EXPECT_TRUE(OpenRequest::isComplete(message));
        EXPECT_FALSE(OpenRequest::isComplete(message.chopped(1)));
        EXPECT_EQ(OpenRequest::decode(message), paths);
    }
}

TEST(OpenRequest, AnythingButACompleteListOfAbsolutePathsIsDroppedWhole) {
    const struct {
        const char* what;
        QByteArray message;
    } cases[] = {
        {"nothing", {}},
        {"no header", QByteArray("/a.jpg\0\0", 8)},
        {"the first version", QByteArray("clarivex-open 1\n/a.jpg\0\0", 24)},
        {"a relative path among absolute ones", header + QByteArray("/a.jpg\0b.jpg\0\0", 14)},
        {"a link", header + QByteArray("file:///a.jpg\0\0", 15)},
        {"no end", header + QByteArray("/a.jpg\0", 7)},
        {"too long", header + QByteArray(OpenRequest::maximumBytes, '/') + QByteArray("\0\0", 2)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OpenRequest::decode(c.message), std::nullopt) << c.what;
}

TEST(OpenRequest, EveryFileArgumentBecomesAnAbsolutePath) {
    const auto request = OpenRequest::fromArguments(
        {"a.jpg", "--verbose", "../clips/b.mp4", "/abs/c.png", "file:///abs/d%20e%FF.png",
         "file:relative.png", "\xff.jpg", "", "-", "--", "-dash.png", "--", "--cli"},
        "/home/u/photos");
    EXPECT_EQ(request.files, (Paths{"/home/u/photos/a.jpg", "/home/u/clips/b.mp4", "/abs/c.png",
                                    "/abs/d e\xff.png", "/home/u/photos/file:relative.png",
                                    "/home/u/photos/\xff.jpg", "/home/u/photos/-dash.png",
                                    "/home/u/photos/--", "/home/u/photos/--cli"}));
    EXPECT_EQ(request.options, (std::vector<std::string>{"--verbose", "-"}));
    EXPECT_TRUE(OpenRequest::fromArguments({}, "/").files.empty());
}

} // namespace
