#include "app/main_window.h"
#include "app/user_dialogs.h"
#include "engine/session.h"
#include "engine/settings/app_settings.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption settingsOption(QStringLiteral("settings"),
                                            QStringLiteral("The settings file (default: ZirurUzavarUriz.ini beside "
                                                           "the program)."),
                                            QStringLiteral("FILE"));
    parser.addOption(settingsOption);
    parser.addHelpOption();
    parser.process(application);

    hz::Session session(parser.isSet(settingsOption) ? parser.value(settingsOption) : hz::DefaultSettingsPath());
    hz::DesktopDialogs dialogs;
    // The import run itself is not part of this build yet: the start button connects to the database, as a run
    // begins, and says that nothing more happens.
    const hz::ImportRunner runner = [&session](const hz::ImportRequest&, hz::RunObserver& observer) {
        hz::ConnectDatabase(session, observer);
        if (session.connected) {
            observer.ShowMessage(QStringLiteral("数据库已连接。这个版本还不能导入工作簿。"));
        }
    };
    hz::TFMain window(session, runner, dialogs);
    window.show();
    return application.exec();
}
