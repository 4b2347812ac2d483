#include "cli/import_arguments.h"

#include "engine/report/run_report.h"
#include "engine/run/sheet_kinds.h"

#include <array>

namespace hz::cli {

namespace {

const QString kDefaultStartRow = QStringLiteral("2");

struct Parsed {
    QString workbook;
    QString settings;
    QString report;
    bool all = false;
    bool resume = false;
    bool anyKind = false;
    std::array<std::optional<QString>, 21> startRows; // by selection order
};

bool TickKind(Parsed& parsed, const QString& value, QString& problem) {
    const qsizetype equals = value.indexOf(u'=');
    const QString caption = equals < 0 ? value : value.left(equals);
    const SheetKind* kind = FindSheetKind(caption);
    if (!kind) {
        problem = QStringLiteral("没有名为“%1”的单据种类").arg(caption);
        return false;
    }
    std::optional<QString>& startRow = parsed.startRows[SelectionOrder(*kind) - 1];
    if (startRow) {
        problem = QStringLiteral("单据种类“%1”给了两次").arg(caption);
        return false;
    }
    startRow = equals < 0 ? kDefaultStartRow : value.mid(equals + 1);
    parsed.anyKind = true;
    return true;
}

// Sets a path option given once.
bool SetOnce(QString& target, const QString& option, const QString& value, QString& problem) {
    if (!target.isEmpty()) {
        problem = QStringLiteral("%1 给了两次").arg(option);
        return false;
    }
    target = value;
    return true;
}

// The path that a path option sets; nothing for any other argument.
QString* PathOf(Parsed& parsed, const QString& option) {
    if (option == QLatin1String("--workbook")) {
        return &parsed.workbook;
    }
    if (option == QLatin1String("--settings")) {
        return &parsed.settings;
    }
    if (option == QLatin1String("--report")) {
        return &parsed.report;
    }
    return nullptr;
}

bool ReadOptions(const QStringList& arguments, Parsed& parsed, QString& problem) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& option = arguments[i];
        if (option == QLatin1String("--all") || option == QLatin1String("--resume")) {
            (option == QLatin1String("--all") ? parsed.all : parsed.resume) = true;
            continue;
        }
        QString* path = PathOf(parsed, option);
        if (!path && option != QLatin1String("--kind")) {
            problem = QStringLiteral("无法理解的参数“%1”").arg(option);
            return false;
        }
        if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
            problem = QStringLiteral("%1 后面缺少值").arg(option);
            return false;
        }
        const QString& value = arguments[++i];
        if (!(path ? SetOnce(*path, option, value, problem) : TickKind(parsed, value, problem))) {
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<ImportArguments> ParseImportArguments(const QStringList& arguments, QString& problem) {
    Parsed parsed;
    if (!ReadOptions(arguments, parsed, problem)) {
        return std::nullopt;
    }
    if (parsed.workbook.isEmpty()) {
        problem = QStringLiteral("缺少 --workbook");
        return std::nullopt;
    }
    if (parsed.all == parsed.anyKind) {
        problem = QStringLiteral("请给出 --all 或者一个或多个 --kind，二者只选其一");
        return std::nullopt;
    }
    // Refused before the run, which would otherwise end without the report it was asked for.
    if (!parsed.report.isEmpty() && !ReportFormatOf(parsed.report)) {
        problem = QStringLiteral("报告文件“%1”的扩展名只能是 .csv 或 .xlsx").arg(parsed.report);
        return std::nullopt;
    }
    ImportArguments result;
    result.request.workbookPath = parsed.workbook;
    result.request.resume = parsed.resume;
    result.settingsPath = parsed.settings;
    result.reportPath = parsed.report;
    for (const SheetKind& kind : SheetKinds()) {
        const std::optional<QString>& startRow = parsed.startRows[SelectionOrder(kind) - 1];
        if (parsed.all || startRow) {
            result.request.selection.push_back({&kind, parsed.all ? kDefaultStartRow : *startRow});
        }
    }
    return result;
}

} // namespace hz::cli
