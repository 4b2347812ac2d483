#include "app/repaint_on_expose.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace hz {
namespace {

class RepaintOnExpose final : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && watched->isWindowType()) {
            const auto* window = static_cast<QWindow*>(watched);
            if (window->isExposed()) {
                if (QWidget* widget = QWidget::find(window->winId())) {
                    widget->update();
                }
            }
        }
        return false;
    }
};

} // namespace

void RepaintWindowsWhenExposed() {
    QCoreApplication* application = QCoreApplication::instance();
    application->installEventFilter(new RepaintOnExpose(application));
}

} // namespace hz
