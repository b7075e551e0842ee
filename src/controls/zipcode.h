#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <TORVAProbationParties/controls/digitsbox.h>
#include <TORVAProbationParties/controls/fieldcontrol.h>

#include <TORVAProbationParties/data/tableobject.h>

#include <QVariantList>

namespace Torva {

/// A zip code of five or nine digits, typed as 62701 or 62701-1234.
/// Its value is the whole zip (stored), its zip proper the first five digits
/// (matched against the zip table). When the user has entered a zip the box
/// looks up the zip table's row for it itself, then raises ZipEntered, so
/// that the owner can take the row's city and state.
class TORVA_EXPORT ZipCode : public DigitsBox, public FieldControl
{
    Q_OBJECT
    Q_PROPERTY(int Value READ Value WRITE setValue NOTIFY valueChanged USER true)
    Q_PROPERTY(int ZipProper READ ZipProper WRITE setZipProper NOTIFY valueChanged)

public:
    explicit ZipCode(QWidget *parent = nullptr);

    /// A zip held as a number, in its digits: five (01101), or nine with the
    /// four after them; empty for none (0 or less).
    static QString ZipDigits(qint32 Zip);

    int Value() const;
    void setValue(int value);
    int ZipProper() const;
    /// Sets the first five digits; the four after them stay only when the five do not change.
    void setZipProper(int zip);

    /// Whether the box holds the zip table's row for the zip last entered.
    bool HasZipRow() const { return !m_row.isEmpty(); }
    /// A column of that row (ZIPCTY, ZIPSTA, ZIPKEY), as text; empty without a row.
    QString ZipColumn(const QString &name) const;

    /// The table object of the lookup, whose Error signal the owner forwards.
    TableObject &tableObject() { return m_lookup; }

    bool Enabled() const override { return isEnabled(); }
    void SetFocus() override { setFocus(Qt::OtherFocusReason); }
    QString Text() const override { return digits(); }
    qint32 ValueAsLong() const override { return Value(); }

Q_SIGNALS:
    void valueChanged(int value);
    void ZipEntered();

private:
    void lookUpEnteredZip();

    TableObject m_lookup;
    QStringList m_fields;
    QVariantList m_row;
    int m_lookedUp = -1;  // the zip proper of the last lookup
};

} // namespace Torva
