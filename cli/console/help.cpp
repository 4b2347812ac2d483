#include "cli/console/help.h"

#include "cli/console/exit_status.h"
#include "cli/console/help_translator.h"
#include "cli/console/usage.h"
#include "engine/platform/console_interrupt.h"
#include "engine/settings/app_settings.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <vector>

namespace hz::cli {

namespace {

// What a command's help says beside the options.
struct CommandText {
    QLatin1String name;
    QString (*usage)();
    QString summary;     // its line in the program's list of commands
    QString description; // what it does, below its synopsis
    std::vector<QCommandLineOption> options;
    QString file; // what its FILE.xlsx argument is; empty for a command without one
};

QCommandLineOption HelpOption() {
    return {{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("显示帮助")};
}

QCommandLineOption VersionOption() {
    return {{QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("显示版本")};
}

QCommandLineOption SettingsOption() {
    return {QStringLiteral("settings"),
            QStringLiteral("设置文件，默认为 %1").arg(QDir::toNativeSeparators(DefaultSettingsPath())),
            QStringLiteral("FILE")};
}

// The options of import and check, which read the same arguments.
std::vector<QCommandLineOption> RunOptions() {
    return {
        {QStringLiteral("workbook"), QStringLiteral("工作簿（.xlsx、.xlsm 或 .xls）"), QStringLiteral("FILE")},
        SettingsOption(),
        {QStringLiteral("all"), QStringLiteral("勾选全部 21 种单据，起始行都是 2")},
        {QStringLiteral("kind"), QStringLiteral("按名称勾选一种单据，ROW 是它的起始行（默认 2）；可以给多次"),
         QStringLiteral("NAME[=ROW]")},
        {QStringLiteral("report"), QStringLiteral("运行结束后把运行的消息写入这个报告（.csv 或 .xlsx）"),
         QStringLiteral("FILE")},
    };
}

std::vector<QCommandLineOption> ImportOptions() {
    std::vector<QCommandLineOption> options = RunOptions();
    options.emplace_back(
        QStringLiteral("resume"),
        QStringLiteral("从运行记录接着导入：每种勾选的单据从上次停止处开始（没有记录时用给出的起始行），"
                       "已保存未过账的单据先过账"));
    return options;
}

std::vector<CommandText> Commands() {
    const QString newWorkbook = QStringLiteral("要写入的工作簿；已有的文件不会被覆盖");
    return {
        {QLatin1String("import"),
         ImportUsage,
         QStringLiteral("把工作簿导入 ERP，与窗口的导入相同"),
         QStringLiteral("运行与窗口相同的导入。\n标准输出：窗口会显示的每条消息，每条一行，然后是“导入完成！”或"
                        "“中止导入！”，再为每种勾选的单据写一行：名称、制表符、下次接着导入的起始行。\n"
                        "导入把每种单据接着导入的行记在设置文件旁边的运行记录文件夹 huizhang-journal 里；%1 "
                        "让导入在当前行或单据之后停止。")
             .arg(ConsoleInterruptNames()),
         ImportOptions(),
         {}},
        {QLatin1String("check"),
         CheckUsage,
         QStringLiteral("检查工作簿，ERP 和工作簿都不改动"),
         QStringLiteral("在一个最后回滚的事务里运行同样的导入，不写工作簿，遇到错误也继续检查。\n标准输出：每处错误"
                        "一行（工作表、制表符、行号、制表符、消息），然后是“检查完成：N 处错误”或"
                        "“检查完成：没有发现错误”。"),
         RunOptions(),
         {}},
        {QLatin1String("status"),
         StatusUsage,
         QStringLiteral("显示运行记录：工作簿的每种单据从哪一行接着导入"),
         QStringLiteral("显示设置文件旁边的运行记录里，这个工作簿对设置所指的 ERP 的记录。\n标准输出：每种有记录的单据"
                        "一行：名称、制表符、接着导入的起始行。"),
         {{QStringLiteral("workbook"), QStringLiteral("工作簿"), QStringLiteral("FILE")}, SettingsOption()},
         {}},
        {QLatin1String("init-demo"),
         InitDemoUsage,
         QStringLiteral("创建内置 ERP 和它的设置文件"),
         QStringLiteral("设置文件不存在时写入内置 ERP 的设置，然后创建设置所指的内置 ERP；已有的数据库文件不会被"
                        "覆盖。"),
         {SettingsOption()},
         {}},
        {QLatin1String("template"),
         TemplateUsage,
         QStringLiteral("写入空白的导入模板工作簿"),
         QStringLiteral("写入一个空白工作簿：21 个工作表，每个的第 1 行是所读各列的标题，数据从第 2 行开始。"),
         {},
         newWorkbook},
        {QLatin1String("sample"),
         SampleUsage,
         QStringLiteral("写入演示用的示例工作簿"),
         QStringLiteral("为内置 ERP 写入一个一致的示例工作簿：全部 21 种单据，一次 import --all 就能全部导入。"),
         {{QStringLiteral("rows"), QStringLiteral("每种档案和存货期初的行数、每种单据的张数（1 到 1000000，默认 5）"),
           QStringLiteral("N")},
          {QStringLiteral("lines"), QStringLiteral("每张单据的行数（1 到 100；不给时 2 行和 3 行交替）"),
           QStringLiteral("N")},
          {QStringLiteral("settings"),
           QStringLiteral("同时给这个设置文件所指的内置 ERP 写入销售出库单和调拨单的成本价"), QStringLiteral("FILE")}},
         newWorkbook},
    };
}

// Qt's help below the synopsis. Qt's own first line names the program by the path it was started with and puts
// the options before any command; the synopsis says how each command is called.
QString HelpText(const QString& synopsis, const QCommandLineParser& parser) {
    HelpTranslator translator;
    QCoreApplication::installTranslator(&translator);
    const QString text = parser.helpText();
    QCoreApplication::removeTranslator(&translator);
    return synopsis + text.mid(text.indexOf(u'\n') + 1);
}

QString ExitStatuses() {
    QString table = QStringLiteral("退出状态：\n");
    for (const ExitStatusMeaning& exit : ExitStatusMeanings()) {
        table += QStringLiteral("  %1%2\n").arg(exit.status, -5).arg(exit.meaning);
    }
    return table;
}

// Where the files that the program makes by default go: beside the program, or where the user's data lives when
// the program's folder cannot be written (installed under Program Files).
QString FileLocations() {
    return QStringLiteral("文件位置：\n  设置文件 %1、init-demo 创建的内置 ERP 和运行记录文件夹 huizhang-journal "
                          "默认都在\n  %2\n  程序所在的文件夹可以写入时就是它，否则是用户的应用数据文件夹。\n")
        .arg(QString::fromLatin1(SettingsFileName), QDir::toNativeSeparators(UserFilesFolder()));
}

} // namespace

QString ProgramHelp() {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("把 Excel 工作簿里的期初数据导入 ERP 的数据库，每个工作表一种单据。\n"
                       "“huizhang-cli 命令 --help”说明一个命令的选项。"));
    parser.addOption(HelpOption());
    parser.addOption(VersionOption());
    for (const CommandText& command : Commands()) {
        parser.addPositionalArgument(command.name.toString(), command.summary);
    }
    return HelpText(Usage() + QStringLiteral("用法：huizhang-cli --help | --version\n"), parser) + u'\n' +
           ExitStatuses() + u'\n' + FileLocations();
}

std::optional<QString> CommandHelp(const QString& name) {
    for (const CommandText& command : Commands()) {
        if (name != command.name) {
            continue;
        }
        QCommandLineParser parser;
        parser.setApplicationDescription(command.description);
        parser.addOptions(QList<QCommandLineOption>(command.options.begin(), command.options.end()));
        parser.addOption(HelpOption());
        if (!command.file.isEmpty()) {
            parser.addPositionalArgument(QStringLiteral("FILE.xlsx"), command.file);
        }
        return HelpText(command.usage() + u'\n', parser);
    }
    return std::nullopt;
}

bool AsksForHelp(const QStringList& arguments) {
    return arguments.contains(QLatin1String("--help")) || arguments.contains(QLatin1String("-h"));
}

} // namespace hz::cli
