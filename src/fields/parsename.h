#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <QString>

namespace Torva {

/// A name typed last name first: "SMITH, JOHN Q".
struct TORVA_EXPORT ParsedName
{
    QString FirstName;      // the first word after the comma
    QString LastName;       // everything before the comma, trailing spaces removed
    QString MiddleInitial;  // the character right after the first word, or empty
};

/// Splits a name at its first comma; a name that cannot be split (no comma,
/// or a comma first or last) gives three empty parts. Names of any length.
TORVA_EXPORT ParsedName ParseName(const QString &Name);

} // namespace Torva
