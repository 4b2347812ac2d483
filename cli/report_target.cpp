#include "cli/report_target.h"

#include "engine/database/connection_settings.h"
#include "engine/journal/run_journal.h"
#include "engine/settings/app_settings.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace hz::cli {

namespace {

// The absolute path through links, as far as the file or its folder exists.
QString Resolved(const QString& path) {
    const QFileInfo file(path);
    if (file.exists()) {
        return file.canonicalFilePath();
    }
    const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? file.absoluteFilePath() : QDir(folder).filePath(file.fileName());
}

bool SameFile(const QString& first, const QString& second) {
    return Resolved(first) == Resolved(second);
}

// Whether report is one of the copies that a run writes its set-aside vouchers into, beside the workbook.
bool IsErrorsCopy(const QString& report, const QString& workbook) {
    const QFileInfo reportFile(Resolved(report));
    const QFileInfo workbookFile(Resolved(workbook));
    if (reportFile.absolutePath() != workbookFile.absolutePath()) {
        return false;
    }
    // Named without regard to case: on some systems the case alone does not tell two files apart.
    const QRegularExpression copyName(QStringLiteral("^%1\\.errors(-[0-9]+)?\\.xlsx$")
                                          .arg(QRegularExpression::escape(workbookFile.completeBaseName())),
                                      QRegularExpression::CaseInsensitiveOption);
    return copyName.match(reportFile.fileName()).hasMatch();
}

// The embedded ERP's file that the settings name, if they can be read and name one.
QString EmbeddedErpFile(const QString& settingsPath) {
    try {
        const ConnectionSettings settings = LoadAppSettings(settingsPath).connection;
        return IsEmbedded(settings) ? EmbeddedDatabasePath(settings) : QString();
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace

QString ReportTargetProblem(const QString& report, const QString& workbook, const QString& settingsPath) {
    if (SameFile(report, workbook)) {
        return QStringLiteral("报告文件“%1”就是要导入的工作簿").arg(report);
    }
    if (IsErrorsCopy(report, workbook)) {
        return QStringLiteral("报告文件“%1”是导入时存放出错单据的工作簿副本").arg(report);
    }
    if (SameFile(report, settingsPath)) {
        return QStringLiteral("报告文件“%1”就是设置文件").arg(report);
    }
    const QString erpFile = EmbeddedErpFile(settingsPath);
    if (!erpFile.isEmpty() && SameFile(report, erpFile)) {
        return QStringLiteral("报告文件“%1”就是账套的数据库文件").arg(report);
    }
    if (SameFile(QFileInfo(report).absolutePath(), JournalFolderBeside(settingsPath))) {
        return QStringLiteral("报告文件“%1”在运行记录的文件夹中").arg(report);
    }
    return {};
}

} // namespace hz::cli
