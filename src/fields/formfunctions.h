#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <QString>

namespace Torva {

class FieldControl;

/// Reporting a field in error: the focus goes to the field, then one message
/// box titled "Error" says what is wrong. A validation stops at the first
/// check that returns true.
namespace FormFunctions {

inline const QString RequiredFieldMessage = QStringLiteral("A required field is missing.");

/// Moves the focus to the field when it takes input, then shows Message (an
/// empty one shows nothing). Never fails: a field that cannot take the focus
/// still gets its message.
TORVA_EXPORT void ShowFieldError(FieldControl *Field, const QString &Message);
/// True, with the message shown, when the field's text is empty once spaces
/// (only spaces, not tabs) are taken off both ends.
TORVA_EXPORT bool RequiredTextMissing(FieldControl *Field);
/// True, with the message shown, when the field's value is 0; any other value,
/// negative ones too, counts as given.
TORVA_EXPORT bool RequiredLongMissing(FieldControl *Field);

/// Text without its leading and trailing space characters (tabs stay).
TORVA_EXPORT QString TrimSpaces(const QString &text);

} // namespace FormFunctions

} // namespace Torva
