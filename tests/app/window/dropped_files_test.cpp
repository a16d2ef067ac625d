#include "app/window/dropped_files.h"

#include <QMimeData>
#include <QUrl>

#include <gtest/gtest.h>

namespace clarivex {
namespace {

TEST(DroppedFiles, KeepsLocalFilesInDropOrderAndNothingElse) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QStringLiteral("/home/me/b.jpg")),
                  QUrl(QStringLiteral("https://example.org/a.jpg")),
                  QUrl::fromLocalFile(QStringLiteral("/home/me/Фото")),
                  QUrl(QStringLiteral("ftp://host/c.png"))});
    data.setText(QStringLiteral("/home/me/d.jpg"));
    // A name that is not UTF-8 keeps its bytes.
    data.setUrls(data.urls() << QUrl::fromEncoded("file:///home/me/%FFe%20x.jpg"));
    const std::vector<std::filesystem::path> files = droppedFiles(&data);
    EXPECT_EQ(files, (std::vector<std::filesystem::path>{"/home/me/b.jpg", "/home/me/Фото",
                                                         "/home/me/\xFF"
                                                         "e x.jpg"}));
}

TEST(DroppedFiles, TextAndLinksAloneGiveNothing) {
    QMimeData text;
    text.setText(QStringLiteral("/home/me/a.jpg"));
    EXPECT_TRUE(droppedFiles(&text).empty());
    QMimeData link;
    link.setUrls({QUrl(QStringLiteral("https://example.org/a.jpg"))});
    EXPECT_TRUE(droppedFiles(&link).empty());
    EXPECT_TRUE(droppedFiles(nullptr).empty());
}

} // namespace
} // namespace clarivex
