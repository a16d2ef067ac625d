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
    const std::vector<std::filesystem::path> files = droppedFiles(&data);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0], std::filesystem::path("/home/me/b.jpg"));
    EXPECT_EQ(files[1], std::filesystem::path("/home/me/Фото"));
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
