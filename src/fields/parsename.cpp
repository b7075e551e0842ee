#include "parsename.h"

#include "formfunctions.h"

namespace Torva {

ParsedName ParseName(const QString &Name)
{
    ParsedName parsed;
    const QString name = FormFunctions::TrimSpaces(Name);
    const qsizetype comma = name.indexOf(QLatin1Char(','));
    if (comma <= 0 || comma == name.size() - 1)
        return parsed;

    QString last = name.left(comma);
    while (last.endsWith(QLatin1Char(' ')))
        last.chop(1);
    parsed.LastName = last;

    const QString rest = FormFunctions::TrimSpaces(name.mid(comma + 1));
    const qsizetype space = rest.indexOf(QLatin1Char(' '));
    const qsizetype firstLength = space < 0 ? rest.size() : space;
    QString first = rest.left(firstLength);
    while (first.endsWith(QLatin1Char(' ')))
        first.chop(1);
    parsed.FirstName = first;
    if (firstLength < rest.size())
        parsed.MiddleInitial = rest.mid(firstLength + 1, 1);
    return parsed;
}

} // namespace Torva
