#include "cli/sample_command.h"

#include "cli/exit_status.h"
#include "cli/sample_workbook.h"
#include "cli/usage.h"
#include "engine/run_error.h"

#include <QDir>
#include <QFileInfo>

#include <optional>

namespace hz::cli {

namespace {

constexpr int kDefaultRows = 5;
// Far beyond any real company's archives, and well inside a worksheet's rows.
constexpr int kMaxSampleRows = 1000000;

struct SampleArguments {
    QString path;
    int rows = kDefaultRows;
};

std::optional<int> ParseRows(const QString& text) {
    if (text.isEmpty() || text.size() > 7) {
        return std::nullopt;
    }
    for (const QChar character : text) {
        if (character < u'0' || character > u'9') {
            return std::nullopt;
        }
    }
    const int rows = text.toInt();
    if (rows < 1 || rows > kMaxSampleRows) {
        return std::nullopt;
    }
    return rows;
}

std::optional<SampleArguments> ParseSampleArguments(const QStringList& arguments, QString& problem) {
    SampleArguments parsed;
    bool rowsGiven = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--rows")) {
            if (rowsGiven) {
                problem = QStringLiteral("--rows 给了两次");
                return std::nullopt;
            }
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
                problem = QStringLiteral("--rows 后面缺少值");
                return std::nullopt;
            }
            const std::optional<int> rows = ParseRows(arguments[++i]);
            if (!rows) {
                problem = QStringLiteral("行数“%1”不是 1 到 %2 之间的整数").arg(arguments[i]).arg(kMaxSampleRows);
                return std::nullopt;
            }
            parsed.rows = *rows;
            rowsGiven = true;
        } else if (argument.isEmpty() || argument.startsWith(QLatin1String("--")) || !parsed.path.isEmpty()) {
            problem = QStringLiteral("无法理解的参数“%1”").arg(argument);
            return std::nullopt;
        } else {
            parsed.path = argument;
        }
    }
    if (parsed.path.isEmpty()) {
        problem = QStringLiteral("缺少工作簿文件名");
        return std::nullopt;
    }
    return parsed;
}

} // namespace

int SampleCommand(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    QString problem;
    const std::optional<SampleArguments> parsed = ParseSampleArguments(arguments, problem);
    if (!parsed) {
        err << problem << Qt::endl << SampleUsage() << Qt::endl;
        return kExitUsage;
    }
    const QString path = QFileInfo(parsed->path).absoluteFilePath();
    try {
        WriteSampleWorkbook(path, parsed->rows);
    } catch (const RunError& error) {
        err << QString::fromUtf8(error.what()) << Qt::endl;
        return kExitFailed;
    }
    out << QStringLiteral("已写入示例工作簿：%1（每个工作表 %2 行）")
               .arg(QDir::toNativeSeparators(path))
               .arg(parsed->rows)
        << Qt::endl;
    return kExitCompleted;
}

} // namespace hz::cli
