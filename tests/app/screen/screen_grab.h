#pragma once

#include <QImage>
#include <QString>

class QWidget;

namespace hz::test {

// What the X server shows of a window, read back from the screen itself rather than from the widget, so that a
// window that never reached the screen shows as it looks to the user.
struct ScreenShot {
    QImage image;
    int colours = 0; // distinct colours: 1 for a window that is one uniform colour, solid black say
};

// Grabs window from the screen until it shows more than one colour or timeoutMs have passed, letting the program
// run meanwhile; saves the last grab as <name>.png in the folder that HZ_SCREENSHOT_DIR names, if it names one.
ScreenShot GrabWhenPainted(QWidget* window, const QString& name, int timeoutMs = 5000);

} // namespace hz::test
