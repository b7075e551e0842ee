#include "phonenumber.h"

#include <cmath>

namespace Torva {

PhoneNumber::PhoneNumber(QWidget *parent)
    : DigitsBox(QStringLiteral("(000) 000-0000"), parent)
{
    connect(this, &DigitsBox::digitsChanged, this, [this] { Q_EMIT valueChanged(Value()); });
}

double PhoneNumber::Value() const
{
    return digits().toDouble();
}

void PhoneNumber::setValue(double value)
{
    const double whole = std::floor(std::fabs(value));
    if (whole < 1 || whole > 9999999999.0)
        setDigits(QString());
    else
        setDigits(QString::number(qint64(whole)).rightJustified(10, QLatin1Char('0')));
}

qint32 PhoneNumber::ValueAsLong() const
{
    // A ten-digit number does not fit 32 bits; what matters to the checks is whether there is one.
    const double value = Value();
    return value > 2147483647.0 ? 2147483647 : qint32(value);
}

} // namespace Torva
