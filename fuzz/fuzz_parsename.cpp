// Name splitting: ParseName on any text.

#include "fuzzinput.h"

#include "fields/formfunctions.h"
#include "fields/parsename.h"

using namespace Torva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString name = Fuzz::text(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    const ParsedName parsed = ParseName(name);
    const QString trimmed = FormFunctions::TrimSpaces(name);
    const qsizetype comma = trimmed.indexOf(QLatin1Char(','));
    const bool splits = comma > 0 && comma < trimmed.size() - 1;

    if (!splits) {
        Fuzz::check(parsed.LastName.isEmpty() && parsed.FirstName.isEmpty() && parsed.MiddleInitial.isEmpty(),
                    "a name that cannot be split gives three empty parts", name);
        return 0;
    }
    Fuzz::check(!parsed.LastName.isEmpty(), "a split name has a last name", name);
    Fuzz::check(!parsed.FirstName.isEmpty(), "a split name has a first name", name);
    Fuzz::check(!parsed.LastName.contains(QLatin1Char(',')), "the last name holds no comma", name);
    Fuzz::check(!parsed.LastName.endsWith(QLatin1Char(' ')), "the last name has no trailing space", name);
    Fuzz::check(trimmed.startsWith(parsed.LastName), "the last name is where the name begins", name);
    Fuzz::check(!parsed.FirstName.contains(QLatin1Char(' ')), "the first name is one word", name);
    Fuzz::check(trimmed.mid(comma + 1).contains(parsed.FirstName), "the first name comes after the comma", name);
    Fuzz::check(parsed.MiddleInitial.size() <= 1, "the middle initial is at most one character", name);

    // The same text gives the same parts.
    const ParsedName again = ParseName(name);
    Fuzz::check(again.LastName == parsed.LastName && again.FirstName == parsed.FirstName
                    && again.MiddleInitial == parsed.MiddleInitial,
                "splitting is repeatable", name);
    return 0;
}
