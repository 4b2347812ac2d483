#pragma once

#include <QString>
#include <QStringView>

#include <span>

namespace hz {

// One of the 21 importable kinds of worksheet. Its caption is the text of its check box and the exact name of the
// worksheet it imports. The window names its controls after the numbers (CheckBox16, Edit20).
struct SheetKind {
    QStringView caption;
    int checkBoxNumber;
    int editNumber;
    int screenRow; // 1-based place in the window's group box, top to bottom
    // Its failed vouchers go to an error area below the data: an import of the kind writes into the workbook.
    bool errorArea = false;
};

// The 21 kinds in selection order: the order in which a run pairs the ticked captions with their start rows.
std::span<const SheetKind> SheetKinds();
// 1-based place of kind in SheetKinds().
int SelectionOrder(const SheetKind& kind);
// The kind whose caption equals text character for character, or null ("部门 " is not "部门").
const SheetKind* FindSheetKind(QStringView caption);

QString CheckBoxName(const SheetKind& kind);
QString EditName(const SheetKind& kind);

} // namespace hz
