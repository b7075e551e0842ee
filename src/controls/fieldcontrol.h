#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <QString>

namespace Torva {

/// What the field checks need of an input control, whichever it is: whether
/// it takes input, moving the focus to it, its text, and its value as a
/// 32-bit number (a date as yyyymmdd, a code, a zip).
class TORVA_EXPORT FieldControl
{
public:
    virtual ~FieldControl() = default;

    virtual bool Enabled() const = 0;
    virtual void SetFocus() = 0;
    virtual QString Text() const = 0;
    virtual qint32 ValueAsLong() const = 0;
};

} // namespace Torva
