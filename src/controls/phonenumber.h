#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <TORVAProbationParties/controls/digitsbox.h>
#include <TORVAProbationParties/controls/fieldcontrol.h>

namespace Torva {

/// A ten-digit phone number typed as (555) 555-0100. Its value is the number
/// as a double (the column type), 0 for none.
class TORVA_EXPORT PhoneNumber : public DigitsBox, public FieldControl
{
    Q_OBJECT
    Q_PROPERTY(double Value READ Value WRITE setValue NOTIFY valueChanged USER true)

public:
    explicit PhoneNumber(QWidget *parent = nullptr);

    double Value() const;
    void setValue(double value);

    bool Enabled() const override { return isEnabled(); }
    void SetFocus() override { setFocus(Qt::OtherFocusReason); }
    QString Text() const override { return digits(); }
    qint32 ValueAsLong() const override;

Q_SIGNALS:
    void valueChanged(double value);
};

} // namespace Torva
