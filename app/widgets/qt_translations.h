#pragma once

class QLocale;
class QTranslator;

namespace hz {

// Installs Qt's own translations for locale (the file chooser's labels, the OK of every message box) when its
// language is Chinese; the program's texts are Chinese already. Returns the installed translator, owned by the
// application, or nullptr when the language is another or the system has no translation for it.
QTranslator* InstallQtTranslations(const QLocale& locale);

} // namespace hz
