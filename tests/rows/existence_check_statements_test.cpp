// The statements of the existence checks. SQL Server gets them as written: their lock hints keep what a check
// found, or the gap where a new code goes, from other programs until the row's transaction ends. The embedded ERP
// answers them without the hints.
#include "engine/database/embedded_erp/embedded_erp.h"
#include "engine/rows/row_primitives.h"
#include "engine/run/erp_components.h"
#include "engine/run/import_run_context.h"
#include "engine/run/session.h"
#include "engine/run/sheet_kinds.h"
#include "tests/support/fresh_erp.h"
#include "tests/support/recording_observer.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace hz {
namespace {

class ExistenceCheckStatementsTest : public ::testing::Test {
protected:
    void SetUp() override {
        InstallEmbeddedErp(session.Con);
        session.Con.OpenSqliteFile(erp.Path());
        test::Execute(session.Con,
                      QStringLiteral("Insert Into Department (cDepCode, cDepName) Values ('01', '财务部')"));
        context.selectedKinds = {FindSheetKind(QStringLiteral("部门"))};
    }

    test::FreshErp erp;
    Session session{QString::fromStdString(erp.Folder().File("ZirurUzavarUriz.ini"))};
    ErpComponents components{session.Con};
    test::RecordingObserver observer;
    ImportRunContext context{session, components, observer};
};

TEST_F(ExistenceCheckStatementsTest, ChecksLockWhatTheyLookAt) {
    const QString department = QStringLiteral("Department");
    const QString code = QStringLiteral("cDepCode");
    const QString name = QStringLiteral("cDepName");
    const auto isNew = [&](const char* value) {
        return [&, value] { return CheckCodeIsNew(context, department, code, QString::fromUtf8(value)); };
    };
    const auto hasName = [&](const char* value) {
        return [&, value] {
            return CheckCodeAndName(context, department, code, name, QString::fromUtf8(value), QStringLiteral("财务部"),
                                    QStringLiteral("部门"));
        };
    };
    // Another program inserting the same code must wait rather than both failing on each other's lock.
    const std::string newCode = "Select 1 From Department WITH (UPDLOCK, HOLDLOCK) Where cDepCode = :Value";
    // A row that was found only has to stay as it is: shared, so that rows referring to it are not queued.
    const std::string codeAndName = "Select cDepName From Department WITH (HOLDLOCK) Where cDepCode = :Value";
    struct Case {
        const char* name;
        std::function<bool()> check;
        bool passes;
        std::string statement;
    };
    const Case cases[] = {
        {"new code", isNew("02"), true, newCode},
        {"code taken", isNew("01"), false, newCode},
        {"code with its name", hasName("01"), true, codeAndName},
        {"unknown code", hasName("02"), false, codeAndName},
    };
    for (const Case& c : cases) {
        session.Con.BeginTransaction();
        EXPECT_EQ(c.check(), c.passes) << c.name;
        EXPECT_EQ(components.QGongYong.Text().toStdString(), c.statement) << c.name;
        session.Con.Rollback();
    }
}

} // namespace
} // namespace hz
