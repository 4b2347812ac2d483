#include "app/widgets/check_result_dialog.h"

#include "app/widgets/form_font.h"
#include "app/widgets/run_messages_model.h"
#include "app/widgets/user_dialogs.h"
#include "engine/report/run_report.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <exception>

namespace hz {
namespace {

QString UnlistedNote(int unlisted) {
    return QStringLiteral("只列出前 %1 处错误，另有 %2 处未列出").arg(CheckResult::MaxListedErrors).arg(unlisted);
}

// The report holds what the dialog shows: the errors, the note on errors left out, then the summary.
std::vector<RunMessage> ReportMessages(const CheckResult& result) {
    std::vector<RunMessage> messages = result.errors;
    if (result.unlistedErrors > 0) {
        messages.emplace_back(UnlistedNote(result.unlistedErrors));
    }
    messages.emplace_back(result.summary);
    return messages;
}

QTableView* ErrorTable(const std::vector<RunMessage>& errors, QWidget* parent) {
    auto* table = new QTableView(parent);
    table->setObjectName(QStringLiteral("ErrorTable"));
    table->setModel(new RunMessagesModel(errors, table));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setWordWrap(false);
    table->verticalHeader()->hide();
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

QPushButton* AddButton(const QString& text, const QString& name, QBoxLayout* row, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    row->addWidget(button);
    return button;
}

} // namespace

CheckResultDialog::CheckResultDialog(CheckResult result, QString reportPath, UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), result(std::move(result)), reportPath(std::move(reportPath)), dialogs(dialogs) {
    setObjectName(QStringLiteral("CheckResultDialog"));
    setWindowTitle(QStringLiteral("检查结果"));
    setFont(FormFont());

    auto* layout = new QVBoxLayout(this);
    auto* summary = new QLabel(this->result.summary, this);
    summary->setObjectName(QStringLiteral("SummaryLabel"));
    layout->addWidget(summary);
    if (this->result.unlistedErrors > 0) {
        auto* note = new QLabel(UnlistedNote(this->result.unlistedErrors), this);
        note->setObjectName(QStringLiteral("UnlistedLabel"));
        layout->addWidget(note);
    }
    // With nothing to list, the summary says it all and the dialog stays small.
    if (!this->result.errors.empty()) {
        layout->addWidget(ErrorTable(this->result.errors, this), 1);
        resize(560, 360);
    } else {
        setMinimumWidth(280);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    saveButton = AddButton(QStringLiteral("保存报告…"), QStringLiteral("SaveReportButton"), buttons, this);
    closeButton = AddButton(QStringLiteral("关  闭"), QStringLiteral("CloseButton"), buttons, this);
    closeButton->setDefault(true);
    layout->addLayout(buttons);

    connect(saveButton, &QPushButton::clicked, this, &CheckResultDialog::SaveReport);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
}

void CheckResultDialog::SaveReport() {
    const QString path = dialogs.ChooseFileToSave(this, QStringLiteral("保存检查报告"),
                                                  QStringLiteral("检查报告 (*.csv *.xlsx)"), reportPath);
    if (path.isEmpty()) {
        return;
    }
    try {
        WriteRunReport(path, ReportMessages(result));
        // A second save starts where this one went.
        reportPath = path;
    } catch (const std::exception& error) {
        dialogs.ShowError(this, QString::fromUtf8(error.what()));
    }
}

QString SuggestedReportPath(const QString& workbookPath) {
    const QFileInfo workbook(workbookPath);
    return QDir::toNativeSeparators(
        workbook.dir().filePath(workbook.completeBaseName() + QStringLiteral("_检查报告.csv")));
}

} // namespace hz
