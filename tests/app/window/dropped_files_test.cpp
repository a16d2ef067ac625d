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
                  QUrl(QStringLiteral("ftp://host/c.png")),
                  // A name that is not UTF-8 keeps its bytes.
                  QUrl::fromEncoded("file:///home/me/%FFe%20x.jpg")});
    data.setText(QStringLiteral("/home/me/d.jpg"));
    const std::vector<std::filesystem::path> files = droppedFiles(&data);
    EXPECT_EQ(files, (std::vector<std::filesystem::path>{"/home/me/b.jpg", "/home/me/Фото",
                                                         "/home/me/\xFF"
                                                         "e x.jpg"}));
    // Text alone gives nothing.
    QMimeData text;
    text.setText(QStringLiteral("/home/me/a.jpg"));
    EXPECT_TRUE(droppedFiles(&text).empty());
    EXPECT_TRUE(droppedFiles(nullptr).empty());
}

} // namespace
} // namespace clarivex
