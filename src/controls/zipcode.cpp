#include "zipcode.h"

#include "data/dataaccesserror.h"
#include "data/statements.h"

namespace Torva {

ZipCode::ZipCode(QWidget *parent)
    : DigitsBox(QStringLiteral("00000-0000"), parent)
{
    connect(this, &DigitsBox::digitsChanged, this, [this] {
        // A zip written by code or changed by the user no longer matches an earlier row.
        if (ZipProper() != m_lookedUp) {
            m_row.clear();
            m_lookedUp = -1;
        }
        Q_EMIT valueChanged(Value());
    });
    // The user has entered a zip once its five digits are there, and again
    // when they leave the box with it.
    connect(this, &DigitsBox::Change, this, [this] {
        if (digits().size() == 5 || digits().size() == 9)
            lookUpEnteredZip();
    });
    connect(this, &QLineEdit::editingFinished, this, [this] {
        if (digits().size() == 5 || digits().size() == 9)
            lookUpEnteredZip();
    });
}

int ZipCode::Value() const
{
    return digits().toInt();
}

void ZipCode::setValue(int value)
{
    setDigits(ZipDigits(value));
}

int ZipCode::ZipProper() const
{
    return digits().left(5).toInt();
}

void ZipCode::setZipProper(int zip)
{
    if (zip == ZipProper() && digits().size() == 9)
        return;
    setValue(zip > 0 ? zip % 100000 : 0);
}

QString ZipCode::ZipColumn(const QString &name) const
{
    const qsizetype index = m_fields.indexOf(name.toUpper());
    return index < 0 || m_row.isEmpty() ? QString() : m_row.at(index).toString();
}

void ZipCode::lookUpEnteredZip()
{
    const int zip = ZipProper();
    if (zip == m_lookedUp)
        return;
    m_row.clear();
    m_lookedUp = zip;
    try {
        m_lookup.Execute(Statements::ZipCityState, QVariantList{zip});
        m_fields = m_lookup.FieldNames();
        if (!m_lookup.Eof()) {
            for (const QString &field : std::as_const(m_fields))
                m_row << m_lookup.FieldValue(field);
        }
    } catch (const DataAccessError &) {
        // Reported through the table object's Error signal; the box simply
        // offers no row, and the address check will say so.
        m_lookedUp = -1;
    }
    Q_EMIT ZipEntered();
}

QString ZipCode::ZipDigits(qint32 Zip)
{
    if (Zip <= 0)
        return QString();
    return QString::number(Zip).rightJustified(Zip <= 99999 ? 5 : 9, QLatin1Char('0'));
}

} // namespace Torva
