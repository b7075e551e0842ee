#include "preparedstatement.h"

#include <cmath>

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
