#include "app/login_dialog.h"
#include "app/main_window.h"
#include "app/widgets/qt_translations.h"
#include "app/widgets/screen_colormap.h"
#include "app/widgets/user_dialogs.h"
#include "engine/database/embedded_erp/embedded_erp.h"
#include "engine/run/import_run.h"
#include "engine/run/importer_registry.h"
#include "engine/run/session.h"
#include "engine/run/sheet_kinds.h"
#include "importers/default_importers.h"
#include "tests/app/screen/screen_grab.h"
#include "tests/support/fresh_erp.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/text_workbook.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <functional>
#include <memory>

namespace hz {
namespace {

// What the screen showed of each window, by name, in the order the windows came up.
using Painted = QList<QPair<QString, test::ScreenShot>>;

// Runs act on the first widget that find returns, once it is visible, polling while the program runs (inside the
// modal loop that shows it). Gives up after ten seconds, so that a window that never comes fails the test instead of
// hanging it.
void WhenShown(const std::function<QWidget*()>& find, const std::function<void(QWidget*)>& act) {
    auto* timer = new QTimer(qApp);
    auto* waited = new QElapsedTimer;
    waited->start();
    QObject::connect(timer, &QTimer::timeout, [=] {
        QWidget* widget = find();
        const bool shown = widget != nullptr && widget->isVisible();
        if (!shown && waited->elapsed() < 10000) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        delete waited;
        if (shown) {
            act(widget);
        }
    });
    timer->start(20);
}

// Grabs each of the next names.size() message boxes that come up over the program, names it after its place in
// names, and closes it.
void GrabEachBox(const QStringList& names, Painted& painted) {
    auto seen = std::make_shared<QList<QPointer<QWidget>>>();
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [=, &painted] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible() || seen->contains(box)) {
            return;
        }
        seen->append(box);
        const QString& name = names[seen->size() - 1];
        painted.append({name, test::GrabWhenPainted(box, name)});
        if (seen->size() == names.size()) {
            timer->stop();
            timer->deleteLater();
        }
        box->accept();
    });
    timer->start(20);
}

// Presses key in the chooser's file name box at a person's pace, the program running in between (typed at once, the
// chooser takes the last keys for a file of its own folder). The window system sends the key to the box's completion
// list while that is open, which passes it on to the box.
void TypeIntoFileName(QWidget* box, char key) {
    QWidget* list = QApplication::activePopupWidget();
    QTest::keyClick(list != nullptr ? list : box, key, Qt::NoModifier, 20);
}

QWidget* ActiveModal() {
    return QApplication::activeModalWidget();
}

// The window over a settings file in a scratch folder, with the desktop's real dialogs and Qt's Chinese texts.
struct Desktop {
    explicit Desktop(const std::string& settings = "")
        : translator(InstallQtTranslations(QLocale(QLocale::Chinese, QLocale::China))) {
        if (!settings.empty()) {
            test::WriteFileBytes(folder.File("ZirurUzavarUriz.ini"), settings);
        }
        window = std::make_unique<TFMain>(
            session, [this](const ImportRequest& request, RunObserver& observer) { return runner(request, observer); },
            dialogs);
        window->show();
        window->activateWindow();
    }
    template <typename Widget> Widget* Find(const char* name) {
        return window->findChild<Widget*>(QString::fromLatin1(name));
    }
    void Click(const char* name) { QTest::mouseClick(Find<QPushButton>(name), Qt::LeftButton); }

    test::ScratchFolder folder;
    Session session{QString::fromStdString(folder.File("ZirurUzavarUriz.ini"))};
    DesktopDialogs dialogs;
    std::unique_ptr<QTranslator> translator;
    ImportRunner runner = [](const ImportRequest&, RunObserver&) { return RunOutcome::Completed; };
    std::unique_ptr<TFMain> window;
};

void ExpectPainted(const Painted& painted, const QStringList& names) {
    QStringList seen;
    for (const auto& [name, shot] : painted) {
        seen << name;
        QVERIFY2(shot.failure.isEmpty(), qPrintable(shot.failure));
        QVERIFY2(shot.Painted(), qPrintable(QStringLiteral("%1 is one uniform colour: %2 colour(s) read from the root "
                                                           "window, %3 as xwd records the screen")
                                                .arg(name)
                                                .arg(shot.rootColours)
                                                .arg(shot.recordedColours)));
    }
    QCOMPARE(seen, names);
}

class ScreenTest : public QObject {
    Q_OBJECT

private slots:
    // A row error during a run, then the final word, and an error box with its icon: each readable on the screen.
    void TheBoxesOfARunArePainted() {
        Desktop desktop;
        QVERIFY(QTest::qWaitForWindowExposed(desktop.window.get()));
        Painted painted;
        painted.append({QStringLiteral("main_window"), test::GrabWhenPainted(desktop.window.get(), "main_window")});
        desktop.runner = [](const ImportRequest&, RunObserver& observer) {
            observer.Progress(QStringLiteral("部门"), 2);
            observer.ShowMessage({QStringLiteral("部门第 2 行 D01 在库中已存在请核实！"), QStringLiteral("部门"), 2});
            observer.StartRowChanged(*FindSheetKind(u"部门"), QStringLiteral("2"));
            observer.ShowMessage({QStringLiteral("中止导入！")});
            return RunOutcome::Aborted;
        };
        const QStringList boxes{"row_error_box", "aborted_box"};
        GrabEachBox(boxes, painted);
        desktop.Click("Button2");
        GrabEachBox({"error_box"}, painted);
        desktop.dialogs.ShowError(desktop.window.get(), QStringLiteral("无法打开工作簿 /data/book.xlsx"));
        ExpectPainted(painted, {"main_window", "row_error_box", "aborted_box", "error_box"});
    }

    // The real runs on an embedded ERP as a user drives them: the workbook's path typed into the chooser's file name
    // box and taken with Enter, 确定 with nothing ticked ("导入完成！"), a run of 部门 ("导入完成！"), and a run of
    // 部门 from row 2 again, which the ERP holds now: its row error, then "中止导入！". Each box lies wholly over the
    // main window, where a screenshot by xwd found them black.
    void TheBoxesOfAUsersRunsArePainted() {
        test::FreshErp erp;
        Desktop desktop("[DB]\nGServer=sqlite\nGDBName=" + erp.Path().toStdString() + "\nGUser=demo\n");
        const QString book = QString::fromStdString(desktop.folder.File("book.xlsx"));
        test::WriteTextWorkbook(book.toStdString(),
                                {{"部门", {{"header"}, {"", "D01", "财务部"}, {"", "D02", "人事部"}}}});
        InstallEmbeddedErp(desktop.session.Con);
        const ImporterRegistry importers = DefaultImporters();
        desktop.runner = [&](const ImportRequest& request, RunObserver& observer) {
            return RunImport(desktop.session, request, observer, importers);
        };
        QVERIFY(QTest::qWaitForWindowExposed(desktop.window.get()));
        WhenShown(ActiveModal, [&](QWidget* chooser) {
            auto* fileName = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            for (const QChar c : book) {
                TypeIntoFileName(fileName, c.toLatin1());
            }
            QTest::qWait(500);
            TypeIntoFileName(fileName, '\r');
        });
        desktop.Click("Button1");
        QCOMPARE(desktop.Find<QLineEdit>("Edit8")->text(), book);
        Painted painted;
        GrabEachBox({"nothing_ticked_completed_box"}, painted);
        desktop.Click("Button2");
        QTest::mouseClick(desktop.Find<QCheckBox>("CheckBox14"), Qt::LeftButton, {}, QPoint(7, 10));
        GrabEachBox({"dept_completed_box"}, painted);
        desktop.Click("Button2");
        desktop.Find<QLineEdit>("Edit14")->setText(QStringLiteral("2"));
        GrabEachBox({"dept_row_error_box", "dept_aborted_box"}, painted);
        desktop.Click("Button2");
        ExpectPainted(painted,
                      {"nothing_ticked_completed_box", "dept_completed_box", "dept_row_error_box", "dept_aborted_box"});
    }

    // The settings dialog, and the box it shows over itself for empty settings.
    void TheSettingsDialogIsPainted() {
        Desktop desktop;
        Painted painted;
        WhenShown(ActiveModal, [&](QWidget* dialog) {
            painted.append({QStringLiteral("settings_dialog"), test::GrabWhenPainted(dialog, "settings_dialog")});
            GrabEachBox({"empty_settings_box"}, painted);
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("RzButton1")), Qt::LeftButton);
            static_cast<QDialog*>(dialog)->reject();
        });
        desktop.Click("Button4");
        ExpectPainted(painted, {"settings_dialog", "empty_settings_box"});
    }

    // The file chooser, the completion list under its file name box (a popup that takes the mouse and keyboard:
    // unpainted, the chooser looks frozen), and Qt's own warning for a file that does not exist.
    void TheFileChooserIsPainted() {
        Desktop desktop;
        for (const char* name : {"book.xlsx", "book2.xlsx", "boxes.xls"}) {
            test::WriteFileBytes(desktop.folder.File(name), "");
        }
        const QString prefix = QString::fromStdString(desktop.folder.File("bo"));
        Painted painted;
        WhenShown(ActiveModal, [&](QWidget* chooser) {
            painted.append({QStringLiteral("file_dialog"), test::GrabWhenPainted(chooser, "file_dialog")});
            auto* fileName = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QTest::keyClicks(fileName, prefix);
            WhenShown(QApplication::activePopupWidget, [&, chooser, fileName](QWidget* popup) {
                painted.append(
                    {QStringLiteral("file_dialog_completion"), test::GrabWhenPainted(popup, "file_dialog_completion")});
                popup->hide();
                fileName->setText(prefix + QStringLiteral("_missing.xlsx"));
                GrabEachBox({"file_dialog_warning"}, painted);
                QTest::keyClick(fileName, Qt::Key_Return);
                static_cast<QDialog*>(chooser)->reject();
            });
        });
        desktop.Click("Button1");
        ExpectPainted(painted, {"file_dialog", "file_dialog_completion", "file_dialog_warning"});
    }
};

} // namespace
} // namespace hz

int main(int argc, char** argv) {
    // On the X server that xvfb-run starts: the point is what reaches a real screen.
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication application(argc, argv);
    // As the program does.
    hz::UseScreenColormapForWindows();
    hz::ScreenTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "screen_test.moc"
