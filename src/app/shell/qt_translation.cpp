#include "app/shell/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace clarivex {

bool installQtTranslation(QCoreApplication& application) {
    // Loading by the system's locale would find nothing under C or English, which is how the
    // chooser came to be English in a Russian window.
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    auto* translator = new QTranslator(&application);
    if (!translator->load(russian, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace clarivex
