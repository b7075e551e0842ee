#include "schema.h"

namespace Torva {

namespace {
using Column = Schema::Column;
using Type = Schema::ColumnType;

Column key(const char *name, Type type, int size = 0) { return {QString::fromLatin1(name), type, size, true}; }
Column col(const char *name, Type type, int size = 0) { return {QString::fromLatin1(name), type, size, false}; }
Column text(const char *name, int size) { return col(name, Type::Text, size); }
Column decimal(const char *name, int digits) { return col(name, Type::Decimal, digits); }
Column integer(const char *name) { return col(name, Type::Integer); }

QList<Schema::Table> buildTables()
{
    const QString prb = QStringLiteral("DUVPRB");
    const QString crt = QStringLiteral("DUVCRT");
    return {
        {prb, QStringLiteral("PRBPTY"),
         {key("PTYKEY", Type::Integer), text("PTYNAM", 20), text("PTYST1", 30), text("PTYST2", 30),
          text("PTYCTY", 15), text("PTYSTA", 2), integer("PTYZIP"), text("PTYCTR", 3), text("PTYIZP", 10),
          decimal("PTYHOMPHN", 10), decimal("PTYWRKPHN", 10), decimal("PTYCELPHN", 10), decimal("PTYBDT", 8),
          text("PTYSEX", 1), decimal("PTYUDT", 8), text("PTYUSR", 30)},
         {QStringLiteral("PTYKEY")},
         {{QStringLiteral("PRBPTY_PTYNAM"), {QStringLiteral("PTYNAM")}, true},
          // The likely-duplicate searches: same birth date and sex, then the name.
          {QStringLiteral("PRBPTY_DUPLICATE"), {QStringLiteral("PTYBDT"), QStringLiteral("PTYSEX"), QStringLiteral("PTYNAM")},
           false}}},
        {prb, QStringLiteral("PRBCLT"),
         {key("CLTCNO", Type::Integer), text("CLTNAM", 30), decimal("CLTBDT", 8)},
         {QStringLiteral("CLTCNO")},
         {{QStringLiteral("PRBCLT_CLTNAM"), {QStringLiteral("CLTNAM")}, true}}},
        {prb, QStringLiteral("PRBCLTASC"),
         {key("ASCFLG1", Type::Text, 1), key("ASCKEY1", Type::Integer), key("ASCRLTCOD", Type::Integer),
          key("ASCFLG2", Type::Text, 1), key("ASCKEY2", Type::Integer), decimal("ASCUDT", 8), text("ASCUSR", 30)},
         {QStringLiteral("ASCFLG1"), QStringLiteral("ASCKEY1"), QStringLiteral("ASCRLTCOD"),
          QStringLiteral("ASCFLG2"), QStringLiteral("ASCKEY2")},
         {{QStringLiteral("PRBCLTASC_SIDE2"), {QStringLiteral("ASCFLG2"), QStringLiteral("ASCKEY2")}, false}}},
        {prb, QStringLiteral("ARYRLT"),
         {key("RLTCOD", Type::Integer), text("RLTDSC", 20), text("RLTINVDSC", 20)},
         {QStringLiteral("RLTCOD")},
         {}},
        {prb, QStringLiteral("PRBSEC"),
         {key("SECUSR", Type::Text, 30), text("SECNAM", 30), text("SECP01", 1), text("SECP02", 1),
          text("SECP03", 1)},
         {QStringLiteral("SECUSR")},
         {}},
        {crt, QStringLiteral("ZIPDTA"),
         {key("ZIPCTY", Type::Text, 15), key("ZIPSTA", Type::Text, 2), key("ZIPKEY", Type::Integer)},
         {QStringLiteral("ZIPCTY"), QStringLiteral("ZIPSTA"), QStringLiteral("ZIPKEY")},
         {{QStringLiteral("ZIPDTA_ZIPCTY"), {QStringLiteral("ZIPCTY")}, true},
          {QStringLiteral("ZIPDTA_ZIPKEY"), {QStringLiteral("ZIPKEY")}, false}}},
        {crt, QStringLiteral("ARYSEX"),
         {key("SEXCOD", Type::Text, 1), text("SEXDSC", 20)},
         {QStringLiteral("SEXCOD")},
         {}},
        {crt, QStringLiteral("ARYSTA"),
         {key("STACOD", Type::Text, 2), text("STADSC", 30), text("STACTR", 3)},
         {QStringLiteral("STACOD")},
         {}},
    };
}
} // namespace

const QList<Schema::Table> &Schema::tables()
{
    static const QList<Table> all = buildTables();
    return all;
}

QStringList Schema::libraries()
{
    return {QStringLiteral("DUVPRB"), QStringLiteral("DUVCRT")};
}

const Schema::Table *Schema::table(const QString &qualifiedName)
{
    for (const Table &candidate : tables()) {
        if (candidate.qualifiedName().compare(qualifiedName, Qt::CaseInsensitive) == 0)
            return &candidate;
    }
    return nullptr;
}

QStringList Schema::keyColumns(const QString &qualifiedName)
{
    const Table *found = table(qualifiedName);
    return found ? found->primaryKey : QStringList();
}

} // namespace Torva
