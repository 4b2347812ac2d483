#include "app/main_window.h"

#include "app/login_dialog.h"
#include "app/main_window_observer.h"
#include "app/widgets/check_result_dialog.h"
#include "app/widgets/form_font.h"
#include "app/widgets/user_dialogs.h"
#include "engine/journal/run_journal.h"
#include "engine/journal/sheet_digest.h"
#include "engine/messages/run_error.h"
#include "engine/run/run_resume.h"
#include "engine/run/session.h"
#include "engine/run/sheet_kinds.h"
#include "engine/run/stop_request.h"
#include "engine/settings/app_settings.h"
#include "engine/workbook/workbook.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>
#include <map>
#include <optional>

namespace hz {
namespace {

constexpr int ClientWidth = 243;
constexpr int ClientHeight = 679;
constexpr int KindRowTop = 24; // first row inside the group box, below its caption and frame
constexpr int KindRowPitch = 23;
constexpr int RepaintMilliseconds = 50;

QString GuidePath() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("docs/guide.html"));
}

// Where the chooser opens before a workbook was chosen: the user's documents, else the home folder. Not the working
// folder, which is "/" for a program started from a menu.
QString FirstChooserFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

// Names a control after its component, so that tests and readers find it, and puts it in its place.
template <typename Widget> Widget* Place(Widget* widget, const QString& name, const QRect& geometry) {
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    return widget;
}

} // namespace

TFMain::TFMain(Session& session, ImportRunner runner, UserDialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      session(session), runner(std::move(runner)), dialogs(dialogs) {
    setObjectName(QStringLiteral("FMain"));
    setFont(FormFont());
    setFixedSize(ClientWidth, ClientHeight);
    body = new QWidget(this);
    body->setGeometry(0, 0, ClientWidth, ClientHeight);
    BuildInformationBox();
    BuildKindRows();
    BuildBottomControls();
    FormCreate();
    login = new TFLogin(session, dialogs, this);
}

void TFMain::BuildInformationBox() {
    Memo1 = Place(new QPlainTextEdit(body), QStringLiteral("Memo1"), {4, 4, 235, 78});
    Memo1->setReadOnly(true);
    Memo1->setTextInteractionFlags(Qt::NoTextInteraction);
    Memo1->setFocusPolicy(Qt::NoFocus);
    Memo1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->document()->setDocumentMargin(2);
    QPalette colours = Memo1->palette();
    colours.setColor(QPalette::Base, colours.color(QPalette::Window));
    colours.setColor(QPalette::Text, Qt::blue);
    Memo1->setPalette(colours);
    Memo1->viewport()->setCursor(Qt::PointingHandCursor);
    Memo1->viewport()->installEventFilter(this);
    Memo1->setPlainText(QStringLiteral("汇账助手：把一个 Excel 工作簿里的\n"
                                       "期初档案和库存单据批量导入 ERP。\n"
                                       "出错时，起始行数停在出错的那一行。\n"
                                       "点击这里打开使用说明。"));
}

void TFMain::BuildKindRows() {
    GroupBox1 = Place(new QGroupBox(QStringLiteral("  选择导入单据               起始行数  "), body),
                      QStringLiteral("GroupBox1"), {4, 84, 235, KindRowTop + 21 * KindRowPitch + 4});
    std::vector<const SheetKind*> onScreen;
    for (const SheetKind& kind : SheetKinds()) {
        onScreen.push_back(&kind);
    }
    // Created top to bottom, so that the tab key walks the rows as they are seen.
    std::sort(onScreen.begin(), onScreen.end(),
              [](const SheetKind* a, const SheetKind* b) { return a->screenRow < b->screenRow; });
    for (const SheetKind* kind : onScreen) {
        const int top = KindRowTop + (kind->screenRow - 1) * KindRowPitch;
        auto* box = Place(new QCheckBox(kind->caption.toString(), GroupBox1), CheckBoxName(*kind), {12, top, 110, 20});
        auto* edit = Place(new QLineEdit(QStringLiteral("2"), GroupBox1), EditName(*kind), {125, top, 52, 20});
        kindCheckBoxes[SelectionOrder(*kind) - 1] = box;
        startRowEdits[SelectionOrder(*kind) - 1] = edit;
        // A row the user types is the user's choice, not the journal's.
        connect(edit, &QLineEdit::textEdited, this, [this] { resumeAccepted = false; });
        checkBoxesInNameOrder[kind->checkBoxNumber - 1] = box;
    }
}

void TFMain::BuildBottomControls() {
    RzCheckBox1 = Place(new QCheckBox(QStringLiteral("全选"), body), QStringLiteral("RzCheckBox1"), {16, 598, 80, 20});
    // Only as wide as its text, so that the check option fits in the free space beside it.
    RzCheckBox2 = Place(new QCheckBox(QStringLiteral("反选"), body), QStringLiteral("RzCheckBox2"), {129, 598, 49, 20});
    RzCheckBox3 =
        Place(new QCheckBox(QStringLiteral("只检查"), body), QStringLiteral("RzCheckBox3"), {178, 598, 61, 20});
    RzCheckBox3->setToolTip(QStringLiteral("只检查，不导入：逐行检查勾选的单据并列出全部错误，数据库和工作簿都不改变"));
    Label1 = Place(new QLabel(QStringLiteral("Exce文件路径："), body), QStringLiteral("Label1"), {4, 622, 90, 22});
    Edit8 = Place(new QLineEdit(body), QStringLiteral("Edit8"), {94, 622, 120, 22});
    Edit8->setReadOnly(true);
    Button1 = Place(new QPushButton(QStringLiteral("....."), body), QStringLiteral("Button1"), {216, 622, 23, 22});
    Button4 = Place(new QPushButton(QStringLiteral("设置"), body), QStringLiteral("Button4"), {4, 650, 75, 25});
    Button2 = Place(new QPushButton(QStringLiteral("确  定"), body), QStringLiteral("Button2"), {84, 650, 75, 25});
    Button3 = Place(new QPushButton(QStringLiteral("退  出"), body), QStringLiteral("Button3"), {164, 650, 75, 25});

    connect(RzCheckBox1, &QCheckBox::clicked, this, &TFMain::RzCheckBox1Click);
    connect(RzCheckBox2, &QCheckBox::clicked, this, &TFMain::RzCheckBox2Click);
    connect(Button1, &QPushButton::clicked, this, &TFMain::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TFMain::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TFMain::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TFMain::Button4Click);
}

void TFMain::FormCreate() {
    std::optional<QString> failure;
    try {
        const AppSettings settings = LoadAppSettings(session.settingsPath);
        session.settings = settings.connection;
        caption = settings.toolCaption;
    } catch (const RunError& error) {
        caption = DefaultToolCaption();
        failure = QString::fromUtf8(error.what());
    }
    setWindowTitle(caption);
    dialogs.SetCaption(caption);
    if (failure) {
        dialogs.ShowError(this, *failure);
    }
}

QLineEdit& TFMain::StartRowEdit(const SheetKind& kind) {
    return *startRowEdits[SelectionOrder(kind) - 1];
}

ImportRequest TFMain::CollectRequest() const {
    ImportRequest request;
    request.workbookPath = Edit8->text();
    request.mode = RzCheckBox3->isChecked() ? RunMode::Check : RunMode::Import;
    request.resume = resumeAccepted && request.mode == RunMode::Import;
    for (const SheetKind& kind : SheetKinds()) {
        const int index = SelectionOrder(kind) - 1;
        if (kindCheckBoxes[index]->isChecked()) {
            request.selection.push_back({&kind, startRowEdits[index]->text()});
        }
    }
    return request;
}

void TFMain::ShowProgress(const QString& worksheet, int row) {
    if (sinceRepaint.isValid() && sinceRepaint.elapsed() < RepaintMilliseconds) {
        return;
    }
    setWindowTitle(QStringLiteral("%1 第 %2 行").arg(worksheet).arg(row));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    sinceRepaint.start();
}

void TFMain::BeginRun() {
    ClearStopRequest();
    running = true;
    body->setEnabled(false);
    sinceRepaint.invalidate();
}

void TFMain::EndRun() {
    setWindowTitle(caption);
    // Clicks and keys held back during the run arrive now, at disabled controls, and are dropped.
    QCoreApplication::processEvents();
    body->setEnabled(true);
    running = false;
}

void TFMain::closeEvent(QCloseEvent* event) {
    if (running) {
        // The run stops at the next row boundary, and the window closes once it has.
        if (!closeAfterRun &&
            dialogs.Ask(this, QStringLiteral("正在导入。要在当前行或单据完成后停止导入并关闭窗口吗？"))) {
            closeAfterRun = true;
            RequestStop();
        }
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

bool TFMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Memo1->viewport() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Memo1Click();
    }
    return QWidget::eventFilter(watched, event);
}

void TFMain::Button1Click() {
    // After the first choice, the chooser opens on the last workbook, in its folder.
    const QString start = Edit8->text().isEmpty() ? FirstChooserFolder() : Edit8->text();
    const QString path = dialogs.ChooseFileToOpen(this, QStringLiteral("请选择数据文件："),
                                                  QStringLiteral("数据文件 (*.xls *.xlsx *.xlsm)"), start);
    if (!path.isEmpty()) {
        Edit8->setText(QDir::toNativeSeparators(path));
        // The box shows only the end of a long path.
        Edit8->setToolTip(Edit8->text());
        resumeAccepted = false;
        OfferResume();
    }
}

namespace {

// The messages of the kinds whose rows above their resume row read otherwise in the workbook now, which leaves them
// out of entries. A workbook that cannot be opened is left to the run, which says why.
QStringList ChangedKinds(RunJournal& journal, std::map<QString, JournalEntry>& entries, const QString& path) {
    QStringList messages;
    if (entries.empty()) {
        return messages;
    }
    std::unique_ptr<Workbook> workbook;
    try {
        workbook = OpenWorkbook(QDir::fromNativeSeparators(path).toStdString());
    } catch (const RunError&) {
        return messages;
    }
    for (auto entry = entries.begin(); entry != entries.end();) {
        const RowsTaken& rows = entry->second.rows;
        const std::vector<std::uint64_t> now = DigestRows(KindWorksheet(*workbook, entry->first), rows.from, rows.to);
        if (const std::optional<int> row = FirstChangedRow(journal, entry->first, rows, now)) {
            messages.push_back(WorkbookChangedMessage(entry->first, *row));
            entry = entries.erase(entry);
        } else {
            ++entry;
        }
    }
    return messages;
}

} // namespace

void TFMain::OfferResume() {
    std::map<QString, JournalEntry> entries;
    QStringList changed;
    try {
        const QString workbook = JournalWorkbookName(Edit8->text());
        const QString erp = JournalErpName(session.settings);
        RunJournal journal(JournalPath(session.settingsPath, workbook, erp), workbook, erp, false);
        entries = journal.Read();
        changed = ChangedKinds(journal, entries, Edit8->text());
    } catch (const RunError& error) {
        dialogs.ShowError(this, QString::fromUtf8(error.what()));
        return;
    }
    // A kind whose rows above its resume row read otherwise now is not offered: a resumed run would refuse it.
    if (!changed.isEmpty()) {
        dialogs.ShowError(this, changed.join(u'\n'));
    }
    QString rows;
    for (const SheetKind& kind : SheetKinds()) {
        const auto found = entries.find(kind.caption.toString());
        if (found != entries.end()) {
            rows += QStringLiteral("\n%1：第 %2 行").arg(kind.caption).arg(found->second.row);
        }
    }
    if (rows.isEmpty() || !dialogs.Ask(this, QStringLiteral("从上次停止处继续？") + rows)) {
        return;
    }
    for (const SheetKind& kind : SheetKinds()) {
        const auto found = entries.find(kind.caption.toString());
        if (found != entries.end()) {
            StartRowEdit(kind).setText(QString::number(found->second.row));
        }
    }
    resumeAccepted = true;
}

void TFMain::Button2Click() {
    if (running) {
        return;
    }
    const ImportRequest request = CollectRequest();
    MainWindowObserver observer(*this, dialogs, request.mode);
    RunOutcome outcome = RunOutcome::NotConnected;
    std::optional<QString> failure;
    BeginRun();
    try {
        outcome = runner(request, observer);
    } catch (const std::exception& error) {
        failure = QString::fromUtf8(error.what());
    }
    EndRun();
    std::optional<CheckResult> checked = observer.Finish(outcome, failure);
    if (failure) {
        dialogs.ShowError(this, *failure);
    }
    if (checked) {
        ShowCheckResult(std::move(*checked), request.workbookPath);
    }
    // The boxes now show where the run stopped, which is what the journal holds.
    if (closeAfterRun) {
        closeAfterRun = false;
        close();
    }
}

void TFMain::ShowCheckResult(CheckResult result, const QString& workbookPath) {
    CheckResultDialog dialog(std::move(result), SuggestedReportPath(workbookPath), dialogs, this);
    dialogs.ShowModal(dialog);
}

void TFMain::Button3Click() {
    close();
}

void TFMain::Button4Click() {
    login->ExecFor(LoginReason::UserAsked);
}

void TFMain::RzCheckBox1Click(bool checked) {
    for (QCheckBox* box : checkBoxesInNameOrder) {
        box->setChecked(checked);
    }
    // Setting the tick from here does not count as the user's click, so "反选" does not run.
    RzCheckBox2->setChecked(false);
}

void TFMain::RzCheckBox2Click() {
    for (QCheckBox* box : checkBoxesInNameOrder) {
        box->setChecked(!box->isChecked());
    }
    RzCheckBox1->setChecked(false);
}

void TFMain::Memo1Click() {
    const QString guide = GuidePath();
    if (!QFileInfo::exists(guide)) {
        dialogs.ShowMessage(this, QStringLiteral("找不到使用说明：") + QDir::toNativeSeparators(guide));
        return;
    }
    if (!dialogs.OpenUrl(QUrl::fromLocalFile(guide))) {
        dialogs.ShowMessage(this, QStringLiteral("无法打开使用说明：") + QDir::toNativeSeparators(guide));
    }
}

} // namespace hz
