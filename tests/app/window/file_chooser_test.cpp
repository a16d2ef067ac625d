#include "app/queue/file_chooser.h"
#include "app/shell/qt_translation.h"
#include "support/temporary_folder.h"

#include <QApplication>
#include <QTranslator>

#include <gtest/gtest.h>

namespace clarivex {
namespace {

TEST(FileChooserTest, TakesASelectedFolderButNotTheOneItMerelyShows) {
    test::TemporaryFolder folder("clarivex-chooser");
    const std::filesystem::path inner = folder.path() / "holiday";
    std::filesystem::create_directory(inner);
    const QString shown = QString::fromStdString(folder.path().string());
    const struct {
        QString selected;
        bool accepted;
    } cases[] = {
        {QString::fromStdString(inner.string()), true},
        {QString(), false},
    };
    for (const auto& c : cases) {
        FileChooser chooser;
        chooser.setDirectory(shown);
        if (!c.selected.isEmpty())
            chooser.selectFile(c.selected);
        chooser.accept();
        EXPECT_EQ(chooser.result() == QDialog::Accepted, c.accepted) << c.selected.toStdString();
        if (c.accepted) {
            EXPECT_EQ(chooser.selectedFiles(), QStringList{c.selected});
        }
    }
}

TEST(FileChooserTest, QtsOwnTextsAreRussianOnlyOnARussianDesktop) {
    auto& application = *QCoreApplication::instance();
    EXPECT_FALSE(installQtTranslation(application, QLocale(QLocale::English)));
    ASSERT_TRUE(installQtTranslation(application, QLocale(QLocale::Russian)));
    EXPECT_NE(QFileDialog::tr("Look in:"), QStringLiteral("Look in:"));
    for (QTranslator* translator : application.findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    EXPECT_EQ(QFileDialog::tr("Look in:"), QStringLiteral("Look in:"));
}

} // namespace
} // namespace clarivex
