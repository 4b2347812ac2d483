#include <QApplication>

int RunMainWindowTests(int argc, char** argv);
int RunLoginDialogTests(int argc, char** argv);
int RunCheckRunTests(int argc, char** argv);
int RunDesktopDialogsTests(int argc, char** argv);
int RunResumeOfferTests(int argc, char** argv);

int main(int argc, char** argv) {
    // The widgets are tested without a display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    int failures = 0;
    failures += RunMainWindowTests(argc, argv);
    failures += RunLoginDialogTests(argc, argv);
    failures += RunCheckRunTests(argc, argv);
    failures += RunDesktopDialogsTests(argc, argv);
    failures += RunResumeOfferTests(argc, argv);
    return failures == 0 ? 0 : 1;
}
