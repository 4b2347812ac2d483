#include "app/widgets/form_font.h"
#include "app/widgets/qt_translations.h"
#include "app/widgets/user_dialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <functional>
#include <memory>

namespace hz {
namespace {

// What a message box showed while it was open: its title, its text and the text of its one button.
QStringList ShownBox(const std::function<void()>& show) {
    QStringList shown;
    QTimer::singleShot(0, [&shown] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        shown << box->windowTitle() << box->text();
        for (QAbstractButton* button : box->buttons()) {
            shown << button->text();
        }
        box->accept();
    });
    show();
    return shown;
}

// The texts of the file chooser's labels and buttons, as it opens.
QStringList ChooserTexts() {
    QFileDialog chooser(nullptr, QStringLiteral("请选择数据文件："));
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    QStringList texts;
    for (const char* name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"}) {
        texts << chooser.findChild<QLabel*>(QString::fromLatin1(name))->text();
    }
    const auto* buttons = chooser.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    texts << buttons->button(QDialogButtonBox::Open)->text() << buttons->button(QDialogButtonBox::Cancel)->text();
    return texts;
}

class DesktopDialogsTest : public QObject {
    Q_OBJECT

private slots:
    // The windows draw in a Chinese font that the system has, whichever system: Noto Sans CJK SC on Linux,
    // Microsoft YaHei or else SimSun on Windows.
    void TheFormFontIsAChineseFontOfTheSystem() {
        const QFont font = FormFont();
        const QString family = QFontInfo(font).family();
        QVERIFY2(QStringList(
                     {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Microsoft YaHei"), QStringLiteral("SimSun")})
                     .contains(family),
                 qPrintable(family));
        QVERIFY(QFontMetrics(font).inFont(QChar(u'汇')));
        QCOMPARE(QFontInfo(font).pixelSize(), 12);
    }

    // The main window's title shows a run's progress; the box takes the program's caption instead.
    void BoxesTakeTheProgramsCaption() {
        DesktopDialogs dialogs;
        dialogs.SetCaption(QStringLiteral("汇账助手 批量导入，轻松实施"));
        QWidget window;
        window.setWindowTitle(QStringLiteral("客户分类 第 2 行"));
        window.show();
        QCOMPARE(ShownBox([&] { dialogs.ShowMessage(&window, QStringLiteral("员工第 8 行部门不存在！")); }),
                 (QStringList{"汇账助手 批量导入，轻松实施", "员工第 8 行部门不存在！", "OK"}));
        QCOMPARE(ShownBox([&] { dialogs.ShowError(&window, QStringLiteral("无法打开工作簿")); }),
                 (QStringList{"汇账助手 批量导入，轻松实施", "无法打开工作簿", "OK"}));
    }

    void QtsOwnTextsFollowAChineseSystem_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QStringList>("chooser");
        QTest::addColumn<QString>("ok");
        const QStringList english{"Look in:", "File &name:", "Files of type:", "&Open", "Cancel"};
        QTest::newRow("simplified Chinese")
            << "zh_CN" << true << QStringList{"查找范围：", "文件名称(&N)：", "文件类型：", "打开(&O)", "取消"}
            << "确定";
        QTest::newRow("English") << "en_US" << false << english << "OK";
        QTest::newRow("German stays English") << "de_DE" << false << english << "OK";
    }

    // Qt's own words in the file chooser and on every OK button are Chinese when the system's language is.
    void QtsOwnTextsFollowAChineseSystem() {
        QFETCH(QString, locale);
        QFETCH(bool, installed);
        QFETCH(QStringList, chooser);
        QFETCH(QString, ok);
        std::unique_ptr<QTranslator> translator(InstallQtTranslations(QLocale(locale)));
        QCOMPARE(translator != nullptr, installed);
        QCOMPARE(ChooserTexts(), chooser);
        DesktopDialogs dialogs;
        QCOMPARE(ShownBox([&] { dialogs.ShowMessage(nullptr, QStringLiteral("导入完成！")); }).value(2), ok);
        // Deleting the translator uninstalls it.
    }
};

} // namespace
} // namespace hz

int RunDesktopDialogsTests(int argc, char** argv) {
    hz::DesktopDialogsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "desktop_dialogs_test.moc"
