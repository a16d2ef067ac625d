#pragma once

class QCoreApplication;

namespace clarivex {

// Qt's own texts (the file chooser's labels and buttons, a message box's buttons, a text
// field's menu) in Russian, from Qt's translations, whatever the desktop's locale: the program
// speaks Russian, and a chooser in the locale's language beside a Russian window reads as two
// programs. Returns whether a translation was installed: none when Qt's translations are
// missing.
bool installQtTranslation(QCoreApplication& application);

} // namespace clarivex
