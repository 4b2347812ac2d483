#pragma once

#include "app/import_runner.h"

#include <QElapsedTimer>
#include <QWidget>

#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace hz {

struct CheckResult;
struct Session;
struct SheetKind;
class TFLogin;
class UserDialogs;

// The main window: the workbook chooser, the 21 sheet kinds with their start rows, the selection boxes, the
// settings button and the start button, which hands the user's choice to the import runner.
class TFMain : public QWidget {
    Q_OBJECT

public:
    TFMain(Session& session, ImportRunner runner, UserDialogs& dialogs, QWidget* parent = nullptr);

    TFLogin& Login() { return *login; }
    QLineEdit& StartRowEdit(const SheetKind& kind);
    // Shows the worksheet and row in the caption and lets the window repaint, at most every 50 ms; input waits
    // until the run ends and is then dropped.
    void ShowProgress(const QString& worksheet, int row);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildInformationBox();
    void BuildKindRows();
    void BuildBottomControls();
    void FormCreate();
    ImportRequest CollectRequest() const;
    void BeginRun();
    void EndRun();
    void ShowCheckResult(CheckResult result, const QString& workbookPath);
    void OfferResume();

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void RzCheckBox1Click(bool checked);
    void RzCheckBox2Click();
    void Memo1Click();

    Session& session;
    ImportRunner runner;
    UserDialogs& dialogs;
    TFLogin* login;
    QWidget* body;   // every control; disabled while a run goes on
    QString caption; // from the settings file
    bool running = false;
    bool closeAfterRun = false; // the user asked to close during a run, which stops at the next row boundary
    // The user took the run journal's rows into the boxes and has not edited a box since: the next run resumes.
    bool resumeAccepted = false;
    QElapsedTimer sinceRepaint;

    QPlainTextEdit* Memo1;
    QGroupBox* GroupBox1;
    std::array<QCheckBox*, 21> kindCheckBoxes;        // in selection order
    std::array<QLineEdit*, 21> startRowEdits;         // in selection order
    std::array<QCheckBox*, 21> checkBoxesInNameOrder; // CheckBox1 to CheckBox21
    QCheckBox* RzCheckBox1;
    QCheckBox* RzCheckBox2;
    QCheckBox* RzCheckBox3; // 只检查: the start button checks the ticked kinds instead of importing them
    QLabel* Label1;
    QLineEdit* Edit8;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
    QPushButton* Button4;
};

} // namespace hz
