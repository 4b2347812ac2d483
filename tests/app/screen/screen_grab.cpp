#include "tests/app/screen/screen_grab.h"

#include "tests/app/screen/xwd_screen.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QSet>
#include <QTest>
#include <QWidget>

namespace hz::test {
namespace {

int DistinctColours(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            colours.insert(image.pixel(x, y));
        }
    }
    return static_cast<int>(colours.size());
}

} // namespace

ScreenShot GrabWhenPainted(QWidget* window, const QString& name, int timeoutMs) {
    ScreenShot shot;
    QImage root;
    QElapsedTimer waited;
    waited.start();
    do {
        QTest::qWait(50);
        // The client area only: a window manager's frame has colours of its own.
        const QRect area = window->geometry();
        root =
            QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();
        const XwdReading recorded = ReadScreenWithXwd();
        shot.failure = recorded.failure;
        shot.image = recorded.screen.copy(area);
        shot.rootColours = DistinctColours(root);
        shot.recordedColours = DistinctColours(shot.image);
    } while (shot.failure.isEmpty() && !shot.Painted() && waited.elapsed() < timeoutMs);
    const QString folder = qEnvironmentVariable("HZ_SCREENSHOT_DIR");
    if (!folder.isEmpty() && QDir().mkpath(folder)) {
        shot.image.save(QDir(folder).filePath(name + QStringLiteral(".png")));
        root.save(QDir(folder).filePath(name + QStringLiteral("_root.png")));
    }
    return shot;
}

} // namespace hz::test
