#include "app/widgets/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace hz {

QTranslator* InstallQtTranslations(const QLocale& locale) {
    if (locale.language() != QLocale::Chinese) {
        return nullptr;
    }
    auto* translator = new QTranslator(QCoreApplication::instance());
    // Picks the best of the locale's languages: zh_CN, zh_TW, ... as the system holds them.
    if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}

} // namespace hz
