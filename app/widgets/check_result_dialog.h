#pragma once

#include "app/widgets/check_result.h"

#include <QDialog>

class QPushButton;

namespace hz {

class UserDialogs;

// The end of a check run: its summary above a table of the errors found (工作表, 行, 消息), a button that writes them
// into a report file (.csv or .xlsx) and one that closes the dialog.
class CheckResultDialog : public QDialog {
    Q_OBJECT

public:
    // reportPath is the file the save button suggests.
    CheckResultDialog(CheckResult result, QString reportPath, UserDialogs& dialogs, QWidget* parent = nullptr);

private:
    void SaveReport();

    CheckResult result;
    QString reportPath;
    UserDialogs& dialogs;
    QPushButton* saveButton;
    QPushButton* closeButton;
};

// The report file suggested for a check of the workbook at workbookPath: "<name>_检查报告.csv" beside it.
QString SuggestedReportPath(const QString& workbookPath);

} // namespace hz
