#include "cli/demo/sample_erp.h"

#include "cli/demo/embedded_erp_settings.h"
#include "cli/demo/sample_cost_prices.h"
#include "cli/demo/sample_names.h"
#include "engine/database/database_error.h"
#include "engine/database/embedded_erp/embedded_erp.h"
#include "engine/database/query.h"

#include <QDir>
#include <QFileInfo>

namespace hz::cli {

namespace {

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString DatabasePathOf(const QString& settingsPath) {
    const ConnectionSettings settings =
        LoadEmbeddedErpSettings(settingsPath, QStringLiteral("示例的成本价只能写入内置 ERP"));
    const QString path = EmbeddedDatabasePath(settings);
    if (!QFileInfo(path).isFile()) {
        throw RunError(QStringLiteral("内置 ERP 数据库“%1”不存在，请先运行 huizhang-cli init-demo --settings %2")
                           .arg(Native(path), Native(settingsPath))
                           .toStdString());
    }
    return path;
}

} // namespace

SampleErp::SampleErp(const QString& settingsPath) : databasePath(DatabasePathOf(settingsPath)) {
    InstallEmbeddedErp(erp);
    try {
        erp.OpenSqliteFile(databasePath);
    } catch (const DatabaseError& error) {
        throw RunError(
            QStringLiteral("无法打开内置 ERP 数据库“%1”：%2").arg(Native(databasePath), error.Text()).toStdString());
    }
}

CostPricesAdded SampleErp::AddCostPrices(const SampleSize& size) {
    const std::vector<StockPair> pairs = CostPricePairs(size);
    CostPricesAdded done{static_cast<int>(pairs.size()), 0, 0};
    try {
        TransactionGuard transaction(erp);
        Query insert(erp);
        insert.SetText(QStringLiteral(
            "INSERT INTO IA_Summary (cWhCode, cInvCode, iMonth, iNum, iMoney) "
            "SELECT :cWhCode, :cInvCode, :iMonth, :iNum, :iMoney WHERE NOT EXISTS (SELECT 1 FROM IA_Summary "
            "WHERE cWhCode = :cWhCode AND cInvCode = :cInvCode AND iMonth = :iMonth)"));
        for (const StockPair pair : pairs) {
            insert.Bind(QStringLiteral("cWhCode"),
                        QString::fromStdString(Code(kWarehouses, pair.warehouse, size.rows)));
            insert.Bind(QStringLiteral("cInvCode"), QString::fromStdString(Code(kInventory, pair.item, size.rows)));
            for (int month = 1; month <= kCostPriceMonths; ++month) {
                const CostPriceMonth summary = CostPriceOf(pair, month);
                insert.Bind(QStringLiteral("iMonth"), summary.month);
                insert.Bind(QStringLiteral("iNum"), static_cast<double>(summary.quantity));
                insert.Bind(QStringLiteral("iMoney"), static_cast<double>(summary.cents) / 100);
                insert.Exec();
                (insert.RowsAffected() > 0 ? done.added : done.kept) += 1;
            }
        }
        transaction.Commit();
    } catch (const DatabaseError& error) {
        throw RunError(QStringLiteral("无法向内置 ERP 数据库“%1”写入成本价：%2")
                           .arg(Native(databasePath), error.Text())
                           .toStdString());
    }
    return done;
}

} // namespace hz::cli
