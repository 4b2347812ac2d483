#include "engine/run/import_run_context.h"

#include "engine/run/run_observer.h"
#include "engine/run/sheet_kinds.h"
#include "engine/run/stop_request.h"

namespace hz {

bool ImportRunContext::StopsHere() {
    if (StopRequested()) {
        interrupted = true;
        runOk = false;
    }
    return interrupted;
}

const SheetKind& ImportRunContext::Kind() const {
    Q_ASSERT(kindIndex >= 0 && kindIndex < static_cast<int>(selectedKinds.size()));
    return *selectedKinds[kindIndex];
}

QString ImportRunContext::KindName() const {
    return Kind().caption.toString();
}

void ImportRunContext::WriteStartRow() {
    // A check leaves the boxes as the user set them.
    if (Checking()) {
        return;
    }
    observer.StartRowChanged(Kind(), QString::number(startRows[kindIndex]));
}

void ImportRunContext::ReportProgress() {
    observer.Progress(worksheetName, row);
}

void ImportRunContext::ShowMessageAt(int messageRow, const QString& text) {
    ++rowMessages;
    observer.ShowMessage({text, worksheetName, messageRow});
}

} // namespace hz
