#include "cli/sample_command.h"

#include "cli/console/exit_status.h"
#include "cli/console/usage.h"
#include "cli/demo/sample_cost_prices.h"
#include "cli/demo/sample_erp.h"
#include "cli/demo/sample_workbook.h"
#include "engine/messages/run_error.h"
#include "engine/workbook/workbook.h"

#include <QDir>
#include <QFile>
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
    {QLatin1String("--lines"), u"每张单据的行数", 100, &SampleSize::lines},
};

const QLatin1String kSettingsFlag("--settings");

// The worksheet rows below the header.
constexpr std::int64_t kDataRows = kMaxRows - 1;

struct SampleArguments {
    QString path;
    SampleSize size{5, 0};
    QString settingsPath; // empty without --settings
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

// The value after the option at i, which moves on to it; an option given twice or without a value is a problem.
std::optional<QString> TakeValue(const QStringList& arguments, qsizetype& i, bool& given, QString& problem) {
    const QString& flag = arguments[i];
    if (given) {
        problem = flag + QStringLiteral(" 给了两次");
        return std::nullopt;
    }
    if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
        problem = flag + QStringLiteral(" 后面缺少值");
        return std::nullopt;
    }
    given = true;
    return arguments[++i];
}

std::optional<SampleArguments> ParseSampleArguments(const QStringList& arguments, QString& problem) {
    SampleArguments parsed;
    bool given[std::size(kOptions)] = {};
    bool settingsGiven = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (const CountOption* option = FindOption(argument)) {
            const std::optional<QString> value = TakeValue(arguments, i, given[option - kOptions], problem);
            if (!value) {
                return std::nullopt;
            }
            const std::optional<int> count = ParseCount(*value, option->max);
            if (!count) {
                problem = QStringLiteral("%1“%2”不是 1 到 %3 之间的整数")
                              .arg(QStringView(option->what), *value)
                              .arg(option->max);
                return std::nullopt;
            }
            parsed.size.*option->field = *count;
        } else if (argument == kSettingsFlag) {
            const std::optional<QString> value = TakeValue(arguments, i, settingsGiven, problem);
            if (!value) {
                return std::nullopt;
            }
            parsed.settingsPath = QFileInfo(*value).absoluteFilePath();
        } else if (argument.isEmpty() || argument.startsWith(QLatin1String("--")) || !parsed.path.isEmpty()) {
            problem = QStringLiteral("无法理解的参数“%1”").arg(argument);
            return std::nullopt;
        } else {
            parsed.path = QFileInfo(argument).absoluteFilePath();
        }
    }
    if (parsed.path.isEmpty()) {
        problem = QStringLiteral("缺少工作簿文件名");
        return std::nullopt;
    }
    if (const std::int64_t rows = VoucherSheetRows(parsed.size); rows > kDataRows) {
        problem = QStringLiteral("每个单据工作表要写 %1 行，超过工作表的 %2 行").arg(rows).arg(kDataRows);
        return std::nullopt;
    }
    return parsed;
}

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// Writes the workbook, then the cost prices into the ERP when one is given; when these fail, the new workbook
// goes again, so that the two never disagree. Answers what it did for the user.
QString WriteSample(const SampleArguments& arguments, SampleErp* erp) {
    WriteSampleWorkbook(arguments.path, arguments.size);
    QString done = QStringLiteral("已写入示例工作簿：%1（每个档案工作表 %2 行，存货期初 %2 行，每种单据 %2 张）")
                       .arg(Native(arguments.path))
                       .arg(arguments.size.rows);
    if (!erp) {
        return done;
    }
    CostPricesAdded added{};
    try {
        added = erp->AddCostPrices(arguments.size);
    } catch (const RunError&) {
        QFile::remove(arguments.path);
        throw;
    }
    done += QStringLiteral("\n已向内置 ERP 数据库“%1”的 IA_Summary 写入 %2 行成本价（%3 对仓库和存货，各 %4 个月")
                .arg(Native(erp->DatabasePath()))
                .arg(added.added)
                .arg(added.pairs)
                .arg(kCostPriceMonths);
    if (added.kept > 0) {
        done += QStringLiteral("；已有的 %1 行保持不变").arg(added.kept);
    }
    return done + QStringLiteral("）");
}

} // namespace

int SampleCommand(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    QString problem;
    const std::optional<SampleArguments> parsed = ParseSampleArguments(arguments, problem);
    if (!parsed) {
        err << problem << Qt::endl << SampleUsage() << Qt::endl;
        return kExitUsage;
    }
    try {
        // The ERP is checked before anything is written.
        std::optional<SampleErp> erp;
        if (!parsed->settingsPath.isEmpty()) {
            erp.emplace(parsed->settingsPath);
        }
        out << WriteSample(*parsed, erp ? &*erp : nullptr) << Qt::endl;
    } catch (const RunError& error) {
        err << QString::fromUtf8(error.what()) << Qt::endl;
        return kExitFailed;
    }
    return kExitCompleted;
}

} // namespace hz::cli
