#include "cli/sample_command.h"

#include "cli/exit_status.h"
#include "cli/sample_workbook.h"
#include "cli/usage.h"
#include "engine/run_error.h"
#include "engine/workbook/workbook.h"

#include <QDir>
#include <QFileInfo>

#include <optional>

namespace hz::cli {

namespace {

// A whole-number option of the command: its flag, what its value counts, its largest value and where it goes.
struct CountOption {
    QLatin1String flag;
    const char16_t* what;
    int max;
    int SampleSize::*field;
};

// Rows: far beyond any real company's archives, and well inside a worksheet's rows.
constexpr CountOption kOptions[] = {
    {QLatin1String("--rows"), u"行数", 1000000, &SampleSize::rows},
    {QLatin1String("--lines"), u"每张入库单的行数", 100, &SampleSize::lines},
};

// The worksheet rows below the header.
constexpr std::int64_t kDataRows = kMaxRows - 1;

struct SampleArguments {
    QString path;
    SampleSize size{5, 0};
};

std::optional<int> ParseCount(const QString& text, int max) {
    if (text.isEmpty() || text.size() > 7) {
        return std::nullopt;
    }
    for (const QChar character : text) {
        if (character < u'0' || character > u'9') {
            return std::nullopt;
        }
    }
    const int count = text.toInt();
    if (count < 1 || count > max) {
        return std::nullopt;
    }
    return count;
}

const CountOption* FindOption(const QString& argument) {
    for (const CountOption& option : kOptions) {
        if (argument == option.flag) {
            return &option;
        }
    }
    return nullptr;
}

std::optional<SampleArguments> ParseSampleArguments(const QStringList& arguments, QString& problem) {
    SampleArguments parsed;
    bool given[std::size(kOptions)] = {};
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (const CountOption* option = FindOption(argument)) {
            bool& optionGiven = given[option - kOptions];
            if (optionGiven) {
                problem = argument + QStringLiteral(" 给了两次");
                return std::nullopt;
            }
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
                problem = argument + QStringLiteral(" 后面缺少值");
                return std::nullopt;
            }
            const std::optional<int> count = ParseCount(arguments[++i], option->max);
            if (!count) {
                problem = QStringLiteral("%1“%2”不是 1 到 %3 之间的整数")
                              .arg(QStringView(option->what), arguments[i])
                              .arg(option->max);
                return std::nullopt;
            }
            parsed.size.*option->field = *count;
            optionGiven = true;
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
    if (const std::int64_t rows = VoucherSheetRows(parsed.size); rows > kDataRows) {
        problem = QStringLiteral("每个入库单工作表要写 %1 行，超过工作表的 %2 行").arg(rows).arg(kDataRows);
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
        WriteSampleWorkbook(path, parsed->size);
    } catch (const RunError& error) {
        err << QString::fromUtf8(error.what()) << Qt::endl;
        return kExitFailed;
    }
    out << QStringLiteral("已写入示例工作簿：%1（每个档案工作表 %2 行，存货期初 %2 行，每种入库单 %2 张）")
               .arg(QDir::toNativeSeparators(path))
               .arg(parsed->size.rows)
        << Qt::endl;
    return kExitCompleted;
}

} // namespace hz::cli
