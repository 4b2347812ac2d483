#pragma once

#include "app/main_window.h"

#include "engine/run/session.h"
#include "tests/app/recording_dialogs.h"
#include "tests/support/scratch_folder.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QTest>

#include <functional>
#include <memory>
#include <string>

namespace hz::test {

// A window over a settings file in a scratch folder, whose start button calls runner and returns outcome, and whose
// dialogs record.
struct MainWindowFixture {
    explicit MainWindowFixture(const std::string& settings = "") {
        if (!settings.empty()) {
            WriteFileBytes(folder.File("ZirurUzavarUriz.ini"), settings);
        }
        window = std::make_unique<TFMain>(
            session,
            [this](const ImportRequest& request, RunObserver& observer) {
                runner(request, observer);
                return outcome;
            },
            dialogs);
        window->show();
    }
    template <typename Widget = QWidget> Widget* Find(const char* name) {
        auto* widget = window->findChild<Widget*>(QString::fromLatin1(name));
        if (widget == nullptr) {
            qFatal("no widget %s", name);
        }
        return widget;
    }
    void Click(const char* name) { QTest::mouseClick(Find<QAbstractButton>(name), Qt::LeftButton); }
    // A check box is ticked by clicking its box, as a user does.
    void Tick(const char* name) {
        auto* box = Find<QCheckBox>(name);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(7, box->height() / 2));
    }

    ScratchFolder folder;
    Session session{QString::fromStdString(folder.File("ZirurUzavarUriz.ini"))};
    RecordingDialogs dialogs;
    // Returns void, so that QtTest's checks can stop it.
    std::function<void(const ImportRequest&, RunObserver&)> runner = [](const ImportRequest&, RunObserver&) {};
    RunOutcome outcome = RunOutcome::Completed;
    std::unique_ptr<TFMain> window;
};

} // namespace hz::test
