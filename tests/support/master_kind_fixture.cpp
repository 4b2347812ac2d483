#include "tests/support/master_kind_fixture.h"

namespace hz::test {

void PrintTo(const MasterKindCase& kind, std::ostream* out) {
    *out << kind.caption;
}

TypedSheet MasterKindTest::Sheet(const std::vector<std::string>& codes) const {
    TypedSheet sheet{GetParam().caption, {{std::string("header")}}};
    for (const std::string& code : codes) {
        sheet.rows.push_back(GetParam().row(code, "名" + code));
    }
    return sheet;
}

void MasterKindTest::ExpectRepeatedCodeStopsThenResumes() {
    const MasterKindCase& kind = GetParam();
    const int before = Count(kind.table);
    EXPECT_EQ(Import({Sheet({"A1", "A2", "A1", "A3"})}, {kind.caption}), RunOutcome::Aborted);
    EXPECT_EQ(Messages(), (std::vector<std::string>{kind.caption + "第 4 行 A1 在库中已存在请核实！", "中止导入！"}));
    EXPECT_EQ(StartRowBox(kind.caption), "4");
    EXPECT_EQ(Count(kind.table), before + 2);

    const std::string startRow = StartRowBox(kind.caption);
    observer.events.clear();
    EXPECT_EQ(Import({Sheet({"A1", "A2", "A4", "A3"})},
                     std::vector<std::pair<std::string, std::string>>{{kind.caption, startRow}}),
              RunOutcome::Completed);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"导入完成！"}));
    EXPECT_EQ(StartRowBox(kind.caption), "6");
    EXPECT_EQ(Count(kind.table), before + 4);
    EXPECT_FALSE(Row(kind.table, kind.codeField, QStringLiteral("A4")).isEmpty());
}

void MasterKindTest::ExpectRefusedRowIsSkipped() {
    const MasterKindCase& kind = GetParam();
    const int before = Count(kind.table);
    FailInsertOf(Con(), kind.table, kind.codeField, QStringLiteral("A2"));
    EXPECT_EQ(Import({Sheet({"A1", "A2", "A3", "", "A4"})}, {kind.caption}), RunOutcome::CompletedLeavingRowsOut);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"编号为 名A2 的" + kind.caption + "保存失败！", "导入完成！"}));
    EXPECT_EQ(StartRowBox(kind.caption), "5");
    for (const char* saved : {"A1", "A3"}) {
        EXPECT_FALSE(Row(kind.table, kind.codeField, QString::fromUtf8(saved)).isEmpty()) << saved;
    }
    EXPECT_EQ(Count(kind.table), before + 2);
}

} // namespace hz::test
