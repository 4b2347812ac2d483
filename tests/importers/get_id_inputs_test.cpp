// The id allocator through whole runs: what one allocation returned in @iFatherId and @iChildId goes along as the
// next one's input, and a run's first allocation sends none.
#include "engine/database/embedded_erp/erp_procedure_set.h"
#include "engine/database/procedures/stored_procedure.h"
#include "tests/support/import_fixture.h"

#include <string>
#include <vector>

namespace hz {
namespace {

using namespace std::string_literals;
using test::DateCell;
using test::TypedSheet;
using Texts = std::vector<std::string>;

const char* const kSheet = "存货期初";

std::string Shown(const QVariant& value) {
    return value.isNull() ? "NULL" : value.toString().toStdString();
}

// The ERP's allocator, watched: each call as "father,child in -> father,child out".
class GetIdInputsTest : public test::ImportFixture {
protected:
    void SetUp() override {
        test::ExecuteAll(Con(), {
                                    "Insert Into Warehouse (cWhCode, cWhName) Values ('W1', '原料库')",
                                    "Insert Into Inventory (cInvCode, cInvName) Values ('A001', '钢板')",
                                    "Insert Into Department (cDepCode, cDepName) Values ('1', '采购部')",
                                });
        Con().RegisterProcedure(QStringLiteral("sp_GetId"), [this](Connection& connection, StoredProcedure& call) {
            const std::string inputs = Ids(call);
            GetIdProcedure(connection, call);
            calls.push_back(inputs + " -> " + Ids(call));
        });
    }

    static std::string Ids(const StoredProcedure& call) {
        return Shown(call.Value(QStringLiteral("@iFatherId"))) + "," + Shown(call.Value(QStringLiteral("@iChildId")));
    }

    // Opening stock of A001 in W1, one voucher of one line per row.
    static TypedSheet Sheet(int vouchers) {
        TypedSheet sheet{kSheet, {{"header"s}}};
        for (int i = 0; i < vouchers; ++i) {
            sheet.rows.push_back({{},
                                  "原料库"s,
                                  "W1"s,
                                  "A001"s,
                                  "钢板"s,
                                  "吨"s,
                                  10.0,
                                  2.5,
                                  25.0,
                                  DateCell{2023, 1, 31},
                                  "1"s,
                                  "采购部"s});
        }
        return sheet;
    }

    Texts calls;
};

TEST_F(GetIdInputsTest, EachAllocationSendsWhatThePreviousOneOfItsRunReturned) {
    ASSERT_EQ(Import({Sheet(3)}, Texts{kSheet}), RunOutcome::Completed) << testing::PrintToString(Messages());
    ASSERT_EQ(Import({Sheet(1)}, Texts{kSheet}), RunOutcome::Completed) << testing::PrintToString(Messages());
    EXPECT_EQ(calls, (Texts{"NULL,NULL -> 1,1", "1,1 -> 2,2", "2,2 -> 3,3", "NULL,NULL -> 4,4"}));
}

} // namespace
} // namespace hz
