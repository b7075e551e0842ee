// Statement rewriting: LockedSelect::parse on any statement.

#include "fuzzinput.h"

#include "data/lockedselect.h"

using namespace Torva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString statement = Fuzz::text(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    const LockedSelect parsed = LockedSelect::parse(statement);

    if (!parsed.isLocked()) {
        Fuzz::check(parsed.statement() == statement, "a statement without the clause is left as it is", statement);
        Fuzz::check(parsed.table().isEmpty(), "a statement without the clause locks no table", statement);
        return 0;
    }
    Fuzz::check(statement.startsWith(parsed.statement()), "only the end of the statement is cut", statement);
    Fuzz::check(parsed.statement().size() < statement.size(), "a locked select loses its clause", statement);
    const QString clause = statement.mid(parsed.statement().size()).simplified();
    Fuzz::check(clause.startsWith(QLatin1String("for update"), Qt::CaseInsensitive), "what is cut is the clause",
                statement);
    Fuzz::check(!parsed.table().isEmpty(), "a locked select names its table", statement);
    Fuzz::check(parsed.table() == parsed.table().toUpper(), "the table is upper case", statement);
    Fuzz::check(parsed.statement().contains(parsed.table(), Qt::CaseInsensitive), "the table is in the statement",
                statement);
    return 0;
}
