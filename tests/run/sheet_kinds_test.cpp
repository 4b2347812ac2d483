#include "engine/run/sheet_kinds.h"

#include <gtest/gtest.h>

#include <set>

namespace hz {
namespace {

TEST(SheetKinds, NumbersAndRowsAreEachUsedOnce) {
    std::set<QString> captions;
    std::set<int> checkBoxes;
    std::set<int> edits;
    std::set<int> rows;
    for (const SheetKind& kind : SheetKinds()) {
        captions.insert(kind.caption.toString());
        checkBoxes.insert(kind.checkBoxNumber);
        edits.insert(kind.editNumber);
        rows.insert(kind.screenRow);
    }
    ASSERT_EQ(SheetKinds().size(), 21u);
    EXPECT_EQ(captions.size(), 21u);
    EXPECT_EQ(edits.size(), 21u);
    EXPECT_EQ(checkBoxes.size(), 21u);
    EXPECT_EQ(*checkBoxes.begin(), 1);
    EXPECT_EQ(*checkBoxes.rbegin(), 21);
    EXPECT_EQ(*rows.begin(), 1);
    EXPECT_EQ(*rows.rbegin(), 21);
    EXPECT_EQ(rows.size(), 21u);
}

TEST(SheetKinds, CaptionsMatchExactly) {
    const SheetKind* department = FindSheetKind(u"部门");
    ASSERT_NE(department, nullptr);
    EXPECT_EQ(SelectionOrder(*department), 5);
    EXPECT_EQ(department->screenRow, 6);
    EXPECT_EQ(CheckBoxName(*department).toStdString(), "CheckBox14");
    EXPECT_EQ(EditName(*department).toStdString(), "Edit14");
    EXPECT_EQ(FindSheetKind(u"部门 "), nullptr);
    EXPECT_EQ(FindSheetKind(u" 部门"), nullptr);
    EXPECT_EQ(FindSheetKind(u""), nullptr);
}

} // namespace
} // namespace hz
