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

// 'yyyy-MM-dd HH:mm:ss' of a date in range (four-digit years) and a time of day, written digit by digit: QDate's
// and QDateTime's formatters parse their format on every call, twice a row for some sheets.
QString SqliteDateTimeText(const QDate& date, const QTime& time) {
    int year = 0;
    int month = 0;
    int day = 0;
    InDatetimeRange(date).getDate(&year, &month, &day);
    char16_t text[19] = {};
    const auto put = [&text](int at, int value, int digits) {
        for (int i = digits - 1; i >= 0; --i, value /= 10) {
            text[at + i] = static_cast<char16_t>(u'0' + value % 10);
        }
    };
    put(0, year, 4);
    text[4] = u'-';
    put(5, month, 2);
    text[7] = u'-';
    put(8, day, 2);
    text[10] = u' ';
    put(11, time.hour(), 2);
    text[13] = u':';
    put(14, time.minute(), 2);
    text[16] = u':';
    put(17, time.second(), 2);
    return QString(reinterpret_cast<const QChar*>(text), 19);
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
            return SqliteDateTimeText(value.toDate(), QTime(0, 0));
        }
        return value.toDate().startOfDay();
    case QMetaType::QDateTime: {
        if (value.isNull()) {
            return value;
        }
        const QDateTime dateTime = value.toDateTime();
        if (dialect == SqlDialect::Sqlite) {
            return SqliteDateTimeText(dateTime.date(), dateTime.time());
        }
        return dateTime;
    }
    default:
        return value;
    }
}

} // namespace hz
