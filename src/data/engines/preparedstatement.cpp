#include "preparedstatement.h"

#include <QDateTime>

#include <cmath>

namespace Torva {

bool PreparedStatement::wholeNumber(double number)
{
    return std::trunc(number) == number && std::fabs(number) < 9.0e15;
}

QVariant PreparedStatement::wholeNumberAsInteger(const QVariant &value)
{
    if (value.typeId() == QMetaType::Double && !value.isNull() && wholeNumber(value.toDouble()))
        return QVariant(static_cast<qlonglong>(value.toDouble()));
    return value;
}

bool PreparedStatement::isNullValue(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return true;
    switch (value.typeId()) {
    case QMetaType::QString: return value.toString().isNull();
    case QMetaType::QByteArray: return value.toByteArray().isNull();
    default: return false;
    }
}

QVariant PreparedStatement::dateTimeFromText(QString text)
{
    // ISO once the blank is a "T" and the zone has its minutes.
    if (text.size() > 10)
        text.replace(10, 1, QLatin1Char('T'));
    if (text.size() > 3 && (text.at(text.size() - 3) == QLatin1Char('+') || text.at(text.size() - 3) == QLatin1Char('-')))
        text += QStringLiteral(":00");
    return QVariant(QDateTime::fromString(text, Qt::ISODateWithMs));
}

PreparedStatement::Binding PreparedStatement::bindingOf(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULong:
    case QMetaType::ULongLong: return Binding::WholeNumber;
    case QMetaType::Double:
    case QMetaType::Float: return Binding::RealNumber;
    case QMetaType::QByteArray: return Binding::Bytes;
    default: return Binding::Text;
    }
}

} // namespace Torva
