#include "engine/database/database_value.h"

#include "engine/database/database_error.h"

#include <QDateTime>

namespace hz {

namespace {

// SQL Server's datetime holds 1753-01-01 to 9999-12-31; the embedded ERP refuses what the server would, so that a
// trial on it meets the same failures.
QDate InDatetimeRange(const QDate& date) {
    if (date < QDate(1753, 1, 1) || date > QDate(9999, 12, 31)) {
        throw DatabaseError(QStringLiteral("Datetime field overflow：日期 %1 超出数据库 datetime 的范围（1753-01-01 到 "
                                           "9999-12-31）")
                                .arg(date.toString(QStringLiteral("yyyy-MM-dd"))));
    }
    return date;
}

} // namespace

QVariant ToDatabaseValue(const QVariant& value, SqlDialect dialect) {
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.isNull() ? QVariant(QMetaType::fromType<int>()) : QVariant(value.toBool() ? 1 : 0);
    case QMetaType::QDate:
        if (value.isNull()) {
            return value;
        }
        // Formatted from the date alone: a local date-time would consult the time zone for every row written.
        if (dialect == SqlDialect::Sqlite) {
            return InDatetimeRange(value.toDate()).toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 00:00:00");
        }
        return value.toDate().startOfDay();
    case QMetaType::QDateTime: {
        if (value.isNull()) {
            return value;
        }
        const QDateTime dateTime = value.toDateTime();
        if (dialect == SqlDialect::Sqlite) {
            InDatetimeRange(dateTime.date());
            return dateTime.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        }
        return dateTime;
    }
    default:
        return value;
    }
}

} // namespace hz
