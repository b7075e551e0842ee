#include "datetimefunctions.h"

#include <QDate>
#include <QDateTime>

namespace Torva {

namespace DateTimeFunctions {

namespace {
// The date a value stands for; an invalid date when it is none.
QDate readDate(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QDate: return value.toDate();
    case QMetaType::QDateTime: return value.toDateTime().date();
    case QMetaType::QString: {
        const QString text = value.toString().trimmed();
        for (const QString &format : {QStringLiteral("MM/dd/yyyy"), QStringLiteral("M/d/yyyy"), QStringLiteral("yyyy-MM-dd"),
                                      QStringLiteral("MMddyyyy")}) {
            const QDate date = QDate::fromString(text, format);
            if (date.isValid())
                return date;
        }
        const QDateTime moment = QDateTime::fromString(text, Qt::ISODate);
        return moment.isValid() ? moment.date() : QDate();
    }
    default: return QDate();
    }
}
} // namespace

qint32 DateToNumber(const QVariant &Value, const QString &InFormat, const QString &OutFormat)
{
    QDate date = readDate(Value);
    if (!date.isValid())
        return 0;
    if (!InFormat.isEmpty()) {
        date = QDate::fromString(date.toString(InFormat), InFormat);
        if (!date.isValid())
            return 0;
    }
    bool isNumber = false;
    const qint32 number = date.toString(OutFormat).toInt(&isNumber);
    return isNumber ? number : 0;
}

QString ChangeDateText(qint32 Number)
{
    const QString digits = QString::number(qMax(0, Number)).rightJustified(8, QLatin1Char('0'));
    return digits.left(2) + QLatin1Char('/') + digits.mid(2, 2) + QLatin1Char('/') + digits.mid(4);
}

} // namespace DateTimeFunctions

} // namespace Torva
