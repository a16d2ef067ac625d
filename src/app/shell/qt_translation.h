#pragma once

#include <QLocale>

class QCoreApplication;

namespace clarivex {

// Qt's own texts (the file chooser's labels and buttons, a text field's menu) in Russian, from
// Qt's translations, when `locale` is Russian; the window's own texts are Russian whatever the
// locale and are not touched. Returns whether a translation was installed: none is for other
// languages, or when Qt's translations are missing.
bool installQtTranslation(QCoreApplication& application, const QLocale& locale = QLocale::system());

} // namespace clarivex
