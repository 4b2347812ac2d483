#pragma once

#include <QImage>
#include <QString>

class QWidget;

namespace hz::test {

// What the X server shows of a window, read back from the screen itself rather than from the widget, so that a
// window that never reached the screen shows as it looks to the user.
struct ScreenShot {
    QImage image;            // as xwd records it
    int rootColours = 0;     // distinct colours read from the root window: 1 for a uniform window, solid black say
    int recordedColours = 0; // distinct colours as xwd records them
    QString failure;         // why the screen could not be read

    bool Painted() const { return rootColours > 1 && recordedColours > 1; }
};

// Reads window's place on the screen until it shows more than one colour or timeoutMs have passed, letting the program
// run meanwhile, in two ways: in one piece, as Qt reads the root window, and as xwd records the screen, which reads a
// window lying wholly over another window of the program through that window. Saves the last readings as <name>.png
// (xwd's) and <name>_root.png in the folder that HZ_SCREENSHOT_DIR names, if it names one.
ScreenShot GrabWhenPainted(QWidget* window, const QString& name, int timeoutMs = 5000);

} // namespace hz::test
