// huizhang-cli: the import and its helper commands from a terminal or a script.

#include "cli/exit_status.h"
#include "cli/init_demo_command.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    const QString settingsPath =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("ZirurUzavarUriz.ini"));

    QString command = arguments.isEmpty() ? QString() : arguments.takeFirst();
    if (command == QLatin1String("init-demo"))
        return hz::cli::InitDemoCommand(arguments, settingsPath, out, err);
    err << QStringLiteral("用法：huizhang-cli init-demo [--settings FILE]") << Qt::endl;
    return hz::cli::kExitUsage;
}
