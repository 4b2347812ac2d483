// A second program on one embedded ERP file: saves and posts receipt vouchers as the voucher saving does,
// so that a test can run two of them at once.
// Usage: hz_erp_worker FILE MAKER VOUCHERS LINES START
// Once its connection is open it writes START.MAKER and waits until the file START exists, so that the test
// can start two of them at the same moment.

#include "engine/database/batch_dataset.h"
#include "engine/database/connection.h"
#include "engine/database/embedded_erp/embedded_erp.h"
#include "engine/database/procedures/erp_procedures.h"
#include "engine/database/query.h"
#include "engine/messages/run_error.h"

#include <QFile>
#include <QString>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

void SaveVoucher(hz::Connection& connection, hz::BatchDataset& header, hz::BatchDataset& details, const QString& maker,
                 int lines) {
    hz::TransactionGuard transaction(connection);
    hz::StoredProcedure getId = hz::MakeGetIdCall();
    hz::SetGetIdInputs(getId, QStringLiteral("001"), QStringLiteral("rd"), lines);
    getId.Execute(connection);
    int headerId = getId.IntValue(QStringLiteral("@iFatherId"));
    int lastDetailId = getId.IntValue(QStringLiteral("@iChildId"));
    header.Append();
    header.SetField(QStringLiteral("ID"), headerId);
    header.SetField(QStringLiteral("bRdFlag"), 1);
    header.SetField(QStringLiteral("cVouchType"), QStringLiteral("01"));
    header.SetField(QStringLiteral("cWhCode"), QStringLiteral("01"));
    header.SetField(QStringLiteral("ccode"), QStringLiteral("%1").arg(headerId, 9, 10, QLatin1Char('0')));
    header.SetField(QStringLiteral("cMaker"), maker);
    for (int i = 0; i < lines; ++i) {
        details.Append();
        details.SetField(QStringLiteral("AutoID"), lastDetailId - (lines - 1) + i);
        details.SetField(QStringLiteral("ID"), headerId);
        details.SetField(QStringLiteral("cinvcode"), QStringLiteral("A001"));
        details.SetField(QStringLiteral("iQuantity"), 1.0);
    }
    header.UpdateBatch();
    details.UpdateBatch();
    transaction.Commit();

    hz::TransactionGuard posting(connection);
    hz::StoredProcedure save = hz::MakeSaveForStockCall(QStringLiteral("01"), QString::number(headerId));
    save.Execute(connection);
    hz::StoredProcedure commit = hz::MakeCommitGeneralLedgerCall();
    commit.Execute(connection);
    posting.Commit();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: hz_erp_worker FILE MAKER VOUCHERS LINES START\n");
        return 64;
    }
    try {
        hz::Connection connection;
        hz::InstallEmbeddedErp(connection);
        connection.OpenSqliteFile(QString::fromLocal8Bit(argv[1]));
        hz::BatchDataset header(connection);
        hz::BatchDataset details(connection);
        header.Open(QStringLiteral("Select Top 0 * From RdRecord"));
        details.Open(QStringLiteral("Select Top 0 * From RdRecords"));
        QString start = QString::fromLocal8Bit(argv[5]);
        QFile ready(start + QLatin1Char('.') + QString::fromLocal8Bit(argv[2]));
        if (!ready.open(QIODevice::WriteOnly))
            throw hz::RunError("cannot write " + ready.fileName().toStdString());
        ready.close();
        while (!QFile::exists(start))
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        int vouchers = std::atoi(argv[3]);
        for (int i = 0; i < vouchers; ++i) {
            // An importer reads the next voucher's rows from the workbook and checks them before it saves.
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            SaveVoucher(connection, header, details, QString::fromLocal8Bit(argv[2]), std::atoi(argv[4]));
        }
    } catch (const hz::RunError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
