#include "engine/database/procedures/erp_procedures.h"

namespace hz {
namespace {

constexpr auto kIn = ParameterDirection::Input;
constexpr auto kSmall = ParameterType::SmallInt;

StoredProcedure StockCall(const QString& procedure, const QString& vouchType, const QString& voucherId,
                          const QString& switchName, int switchValue) {
    StoredProcedure call(procedure);
    call.Add(QStringLiteral("@sVouchtype"), ParameterType::String, 0, kIn, vouchType)
        .Add(QStringLiteral("@sID"), ParameterType::String, 0, kIn, voucherId)
        .Add(QStringLiteral("@bUpdateStockWhenVeriy"), kSmall, 0, kIn, 0)
        .Add(switchName, kSmall, 0, kIn, switchValue)
        .Add(QStringLiteral("@bShowQty"), kSmall, 0, kIn, 1);
    return call;
}

} // namespace

StoredProcedure MakeGetIdCall() {
    StoredProcedure call(QStringLiteral("sp_GetId"));
    call.Add(QStringLiteral("@RETURN_VALUE"), ParameterType::Int, 0, ParameterDirection::ReturnValue)
        .Add(QStringLiteral("@RemoteId"), ParameterType::String, 2, kIn, QStringLiteral("00"))
        .Add(QStringLiteral("@cAcc_Id"), ParameterType::String, 3, kIn)
        .Add(QStringLiteral("@cVouchType"), ParameterType::String, 50, kIn)
        .Add(QStringLiteral("@iAmount"), ParameterType::Int, 0, kIn)
        .Add(QStringLiteral("@iFatherId"), ParameterType::Int, 0, ParameterDirection::InputOutput)
        .Add(QStringLiteral("@iChildId"), ParameterType::Int, 0, ParameterDirection::InputOutput);
    return call;
}

void SetGetIdInputs(StoredProcedure& CGetId, const QString& account, const QString& idType, int amount) {
    CGetId.SetValue(QStringLiteral("@cAcc_Id"), account);
    CGetId.SetValue(QStringLiteral("@cVouchType"), idType);
    CGetId.SetValue(QStringLiteral("@iAmount"), amount);
}

StoredProcedure MakeSaveForStockCall(const QString& vouchType, const QString& voucherId) {
    return StockCall(QStringLiteral("ST_SaveForStock"), vouchType, voucherId, QStringLiteral("@BeforeSave"), 0);
}

StoredProcedure MakeVerForStockCall(const QString& vouchType, const QString& voucherId) {
    return StockCall(QStringLiteral("ST_VerForStock"), vouchType, voucherId, QStringLiteral("@bVerify"), 1);
}

StoredProcedure MakeCommitGeneralLedgerCall() {
    StoredProcedure call(QStringLiteral("Usp_SCM_CommitGeneralLedgerWithCheck"));
    call.Add(QStringLiteral("@cSubId"), ParameterType::String, 4, kIn, QStringLiteral("ST"));
    const std::pair<const char*, int> switches[] = {
        {"@bCheck", 1},
        {"@iBatchControlMethod", 1},
        {"@bBatchCheck", 1},
        {"@bBatchDispatch", 1},
        {"@bBatchTransIn", 0},
        {"@bBatchTransOut", 0},
        {"@iNormalControlMethod", 1},
        {"@bNormalCheck", 1},
        {"@bNormalDispatch", 1},
        {"@bNormalTransIn", 0},
        {"@bNormalTransOut", 0},
        {"@bControlTopLow", 0},
        {"@bControlTopLowByWh", 0},
    };
    for (const auto& [parameter, value] : switches) {
        call.Add(QString::fromLatin1(parameter), kSmall, 0, kIn, value);
    }
    call.Add(QStringLiteral("@transactionid"), ParameterType::String, 2, kIn, QString(QLatin1String("")));
    return call;
}

} // namespace hz
