#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <QString>

namespace Torva {

class AlphaMericBox;
class TableObject;

/// Checks of a postal address: one street line, a city, a state and a zip held
/// as a number. They show nothing; the caller reports what they find.
namespace AddressFunctions {

/// True when the address is wholly blank (a zip of 0 or less counts as blank)
/// or wholly given (any zip but 0 counts as given).
TORVA_EXPORT bool AddressComplete(const QString &Street, const QString &City, const QString &State, qint32 Zip);
/// True when the zip table has exactly this city, state and zip, or when all
/// three are blank (then without asking the database). The table object keeps
/// the lookup prepared from one call to the next. Throws DataAccessError.
TORVA_EXPORT bool CityStateZipValid(TableObject &ZipTable, const QString &City, const QString &State, qint32 Zip);
/// A blank first street line takes the second, which becomes empty.
TORVA_EXPORT void CompactStreetLines(AlphaMericBox *Line1, AlphaMericBox *Line2);
} // namespace AddressFunctions

} // namespace Torva
