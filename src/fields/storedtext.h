#pragma once

#include <QString>

namespace Torva {

/// A text as the editors write it to a text column: never NULL. The data layer
/// binds a null QString as SQL NULL, as Qt's drivers do, so a column the
/// editors do not fill, a field left empty or a user the host never named
/// goes to the table as the empty text instead; a table whose text columns
/// forbid NULL then takes every save.
inline QString storedText(const QString &text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

} // namespace Torva
