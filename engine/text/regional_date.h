#pragma once

#include <QDate>
#include <QString>
#include <QStringView>

namespace hz {

// A date-time serial of the 1900 date system in the short date form "yyyy/M/d", followed by " H:mm:ss" when the
// time, rounded to the millisecond and cut to whole seconds, is not midnight. Serials below 61 count as Excel
// counts them (1 is 1900/1/1, 59 is 1900/2/28); Excel's fictitious 1900-02-29 (60) shows as 1900/3/1. A serial
// below 1 carries a time only and shows the date 1899/12/30, the day-zero of date-time values. Serials outside
// 0 to 9999/12/31 are no dates and show as numbers in the general format.
QString FormatDateSerial(double serial);

// The date in a text of the regional short date form: year, month and day separated by "/", "-" or "." (the
// same one twice), blanks at both ends, a year of four digits or of two (00-29 is 20xx, 30-99 is 19xx), month
// and day with one or two digits. A time " H:mm" or " H:mm:ss" after the date, as a date-time cell reads, is
// checked and dropped. Throws CellError "'<text>' is not a valid date" for anything else, an empty text included.
QDate ParseShortDate(QStringView text);

} // namespace hz
