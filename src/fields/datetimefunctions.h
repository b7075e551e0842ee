#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <QString>
#include <QVariant>

namespace Torva {

/// Dates as the tables store them: whole numbers laid out by a date picture.
namespace DateTimeFunctions {

/// Value (a date, a date and time, or a text read as one) formatted with
/// OutFormat ("MMddyyyy") and read as a number; with an InFormat the value is
/// first formatted with it and read back as a date. 0 when Value is no date.
/// A month-day-year number loses the month's leading zero in January to
/// September (seven digits).
TORVA_EXPORT qint32 DateToNumber(const QVariant &Value, const QString &InFormat, const QString &OutFormat);

/// A month-day-year number laid out through the picture 00/00/0000, which
/// gives back the leading zero a number lost: 1052026 is 01/05/2026.
TORVA_EXPORT QString ChangeDateText(qint32 Number);

} // namespace DateTimeFunctions

} // namespace Torva
