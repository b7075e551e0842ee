// Date conversion: DateToNumber with a text value and any pictures, and
// ChangeDateText on any number.

#include "fuzzinput.h"

#include "fields/datetimefunctions.h"

#include <QDate>

#include <cstring>

using namespace Torva;

using namespace DateTimeFunctions;

namespace {

const QString numberPicture = QStringLiteral("MMddyyyy");

// A number laid out as MM/dd/yyyy keeps its digits.
void checkChangeDateText(qint32 number)
{
    const QString text = ChangeDateText(number);
    const QString detail = QString::number(number) + QStringLiteral(" -> ") + text;
    Fuzz::check(text.size() >= 10, "a date text has at least ten characters", detail);
    Fuzz::check(text.at(2) == QLatin1Char('/') && text.at(5) == QLatin1Char('/'), "a date text has its slashes",
                detail);
    QString digits = text;
    digits.remove(QLatin1Char('/'));
    bool isNumber = false;
    const qint64 back = digits.toLongLong(&isNumber);
    Fuzz::check(isNumber && back == qMax<qint64>(0, number), "the digits are the number's", detail);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size >= sizeof(qint32)) {
        qint32 number = 0;
        std::memcpy(&number, data, sizeof number);
        checkChangeDateText(number);
    }

    const QStringList parts = Fuzz::texts(data, size, 3);
    const QString &value = parts.at(0);
    const QString &inFormat = parts.at(1);
    const QString &outFormat = parts.at(2);

    // Any pictures: no crash, no hang.
    DateToNumber(QVariant(value), inFormat, outFormat);
    DateToNumber(QVariant(value), inFormat, QString());

    // The stored form: a date read from the text comes back through its picture.
    const qint32 number = DateToNumber(QVariant(value), QString(), numberPicture);
    Fuzz::check(number >= 0, "a month-day-year number is never negative", value);
    if (number != 0) {
        const QString text = ChangeDateText(number);
        const QDate date = QDate::fromString(text, QStringLiteral("MM/dd/yyyy"));
        Fuzz::check(date.isValid(), "the number of a date lays out as a date", value + QStringLiteral(" -> ") + text);
        Fuzz::check(DateToNumber(QVariant(text), QString(), numberPicture) == number,
                    "the laid-out number reads back as the same number", value + QStringLiteral(" -> ") + text);
        Fuzz::check(DateToNumber(QVariant(date), QString(), numberPicture) == number,
                    "the date and its text give the same number", value + QStringLiteral(" -> ") + text);
    }
    return 0;
}
