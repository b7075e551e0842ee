// Statement rewriting: RecordSource::bind with any source and any typed text.
// Input: the source, a NUL byte, the typed text.

#include "fuzzinput.h"

#include "data/recordsource.h"

using namespace Torva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringList parts = Fuzz::texts(data, size, 2);
    const QString &source = parts.at(0);
    const QString &typed = parts.at(1);
    const QString detail = source + QStringLiteral(" | ") + typed;
    const QString mark = QStringLiteral("'&TEXT%'");

    const RecordSource bound = RecordSource::bind(source, typed);
    const QString statement = bound.statement();
    const QVariantList parameters = bound.parameters();

    // Each mark, and nothing else, becomes a marker.
    QStringList pieces = source.split(mark);
    Fuzz::check(statement == pieces.join(QLatin1Char('?')), "only the marks are replaced, each by a marker", detail);
    Fuzz::check(statement.count(QLatin1Char('?')) == source.count(QLatin1Char('?')) + parameters.size(),
                "one parameter for each marker put in", detail);
    Fuzz::check(parameters.size() == pieces.size() - 1, "one parameter for each mark", detail);
    Fuzz::check(!statement.contains(mark), "no mark is left", detail);
    // A typed text without a marker in it, not already in the source, never gets into the statement.
    if (!typed.isEmpty() && !typed.contains(QLatin1Char('?')) && !source.contains(typed))
        Fuzz::check(!statement.contains(typed), "the typed text never becomes part of the statement", detail);

    // The parameter: the typed text up to its first wildcard (or the backslash
    // some engines escape with), then "%".
    qsizetype cut = typed.size();
    for (QChar wildcard : {QLatin1Char('%'), QLatin1Char('_'), QLatin1Char('\\')}) {
        const qsizetype at = typed.indexOf(wildcard);
        if (at >= 0)
            cut = qMin(cut, at);
    }
    const QString expected = typed.left(cut) + QLatin1Char('%');
    for (const QVariant &parameter : parameters)
        Fuzz::check(parameter.toString() == expected, "the parameter is the typed prefix and %", detail);

    // The typed text is searched as text.
    Fuzz::check(bound.needsFiltering() == (cut < typed.size()), "only wildcards in the text need filtering", detail);
    Fuzz::check(bound.accepts(typed), "the typed text itself belongs in the list", detail);
    Fuzz::check(bound.accepts(typed + QStringLiteral("Z")), "a row starting with the typed text belongs", detail);
    if (bound.needsFiltering())
        Fuzz::check(!bound.accepts(typed.left(cut) + QStringLiteral("\x01")),
                    "a row matching only the wildcard is left out", detail);
    Fuzz::check(bound.searchColumn() == bound.searchColumn().toUpper(), "the search column is upper case", detail);
    return 0;
}
