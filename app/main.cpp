#include "app/main_window.h"
#include "app/widgets/qt_translations.h"
#include "app/widgets/screen_colormap.h"
#include "app/widgets/user_dialogs.h"
#include "engine/database/embedded_erp/embedded_erp.h"
#include "engine/run/import_run.h"
#include "engine/run/importer_registry.h"
#include "engine/run/session.h"
#include "engine/settings/app_settings.h"
#include "importers/default_importers.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLocale>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    hz::InstallQtTranslations(QLocale::system());
    hz::UseScreenColormapForWindows();
    QCommandLineParser parser;
    const QCommandLineOption settingsOption(QStringLiteral("settings"),
                                            QStringLiteral("The settings file (default: ZirurUzavarUriz.ini beside "
                                                           "the program)."),
                                            QStringLiteral("FILE"));
    parser.addOption(settingsOption);
    parser.addHelpOption();
    parser.process(application);

    hz::Session session(parser.isSet(settingsOption) ? parser.value(settingsOption) : hz::DefaultSettingsPath());
    // Acts only on connections to an embedded ERP's file, so it holds whatever server the settings dialog names.
    hz::InstallEmbeddedErp(session.Con);
    const hz::ImporterRegistry importers = hz::DefaultImporters();
    hz::DesktopDialogs dialogs;
    const hz::ImportRunner runner = [&session, &importers](const hz::ImportRequest& request,
                                                           hz::RunObserver& observer) {
        return hz::RunImport(session, request, observer, importers);
    };
    hz::TFMain window(session, runner, dialogs);
    window.show();
    return application.exec();
}
