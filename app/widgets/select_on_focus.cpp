#include "app/widgets/select_on_focus.h"

#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTimer>

namespace hz {
namespace {

class SelectAllOnFocusFilter final : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        // A popup (the edit's own context menu) gives the focus back without the user moving it.
        if (event->type() == QEvent::FocusIn && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
            auto* edit = static_cast<QLineEdit*>(watched);
            // After the mouse press that gave the focus, which would place the cursor where it was pressed.
            QTimer::singleShot(0, edit, &QLineEdit::selectAll);
        }
        return false;
    }
};

} // namespace

void SelectAllOnFocus(QLineEdit* edit) {
    edit->installEventFilter(new SelectAllOnFocusFilter(edit));
}

} // namespace hz
