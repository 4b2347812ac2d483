#include "app/repaint_on_expose.h"

#include <QExposeEvent>
#include <QTest>
#include <QWidget>
#include <QWindow>

namespace hz {
namespace {

class PaintCounter final : public QWidget {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
};

// The window system shows the whole window again, as when it maps it.
void Expose(QWidget& widget) {
    QExposeEvent expose(QRegion(QRect(QPoint(), widget.size())));
    QCoreApplication::sendEvent(widget.windowHandle(), &expose);
    QCoreApplication::processEvents();
}

class RepaintOnExposeTest : public QObject {
    Q_OBJECT

private slots:
    // Qt alone copies the frame it holds; with the program's filter the window paints itself again.
    void AnExposedWindowPaintsAfresh() {
        PaintCounter window;
        window.resize(120, 60);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(window.paints > 0);
        const int painted = window.paints;
        Expose(window);
        QCOMPARE(window.paints, painted);

        RepaintWindowsWhenExposed();
        Expose(window);
        QTRY_COMPARE(window.paints, painted + 1);
    }
};

} // namespace
} // namespace hz

int RunRepaintOnExposeTests(int argc, char** argv) {
    hz::RepaintOnExposeTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "repaint_on_expose_test.moc"
