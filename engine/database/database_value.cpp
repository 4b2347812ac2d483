#include "engine/database/database_value.h"

#include <QDateTime>

namespace hz {

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
            return value.toDate().toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 00:00:00");
        }
        return value.toDate().startOfDay();
    case QMetaType::QDateTime: {
        if (value.isNull()) {
            return value;
        }
        const QDateTime dateTime = value.toDateTime();
        if (dialect == SqlDialect::Sqlite) {
            return dateTime.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        }
        return dateTime;
    }
    default:
        return value;
    }
}

} // namespace hz
