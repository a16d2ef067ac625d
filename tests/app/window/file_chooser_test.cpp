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
    const QString selected = QString::fromStdString(inner.string());
    for (const bool select : {true, false}) {
        FileChooser chooser;
        chooser.setDirectory(QString::fromStdString(folder.path().string()));
        if (select)
            chooser.selectFile(selected);
        chooser.accept();
        EXPECT_EQ(chooser.result() == QDialog::Accepted, select);
        if (select) {
            EXPECT_EQ(chooser.selectedFiles(), QStringList{selected});
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
