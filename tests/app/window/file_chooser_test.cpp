#include "app/queue/file_chooser.h"
#include "app/shell/qt_translation.h"
#include "support/temporary_folder.h"

#include <QApplication>
#include <QRegularExpression>
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

TEST(FileChooserTest, QtsOwnTextsAreRussianWhateverTheDesktopsLocale) {
    auto& application = *QCoreApplication::instance();
    // The tests run under C or English, where the chooser once came up in English.
    ASSERT_TRUE(installQtTranslation(application));
    const QString lookIn = QFileDialog::tr("Look in:");
    EXPECT_NE(lookIn, QStringLiteral("Look in:"));
    EXPECT_TRUE(lookIn.contains(QRegularExpression(QStringLiteral("[а-я]"))))
        << lookIn.toStdString();
    for (QTranslator* translator : application.findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    EXPECT_EQ(QFileDialog::tr("Look in:"), QStringLiteral("Look in:"));
}

} // namespace
} // namespace clarivex
