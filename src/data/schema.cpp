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

// A table named by its qualified name: library, then table.
Schema::Table defineTable(const QString &qualifiedName, QList<Column> columns, QStringList primaryKey,
                          QList<Schema::Index> indexes = {})
{
    const qsizetype dot = qualifiedName.indexOf(QLatin1Char('.'));
    return {qualifiedName.left(dot), qualifiedName.mid(dot + 1), std::move(columns), std::move(primaryKey),
            std::move(indexes)};
}

QList<Schema::Table> buildTables()
{
    return {
        defineTable(Schema::PartyTable,
         {key("PTYKEY", Type::Integer), text("PTYNAM", 20), text("PTYST1", 30), text("PTYST2", 30),
          text("PTYCTY", 15), text("PTYSTA", 2), integer("PTYZIP"), text("PTYCTR", 3), text("PTYIZP", 10),
          decimal("PTYHOMPHN", 10), decimal("PTYWRKPHN", 10), decimal("PTYCELPHN", 10), decimal("PTYBDT", 8),
          text("PTYSEX", 1), decimal("PTYUDT", 8), text("PTYUSR", 30)},
         {QStringLiteral("PTYKEY")},
         {{QStringLiteral("PRBPTY_PTYNAM"), {QStringLiteral("PTYNAM")}, true},
          // The likely-duplicate searches: same birth date and sex, then the name.
          {QStringLiteral("PRBPTY_DUPLICATE"), {QStringLiteral("PTYBDT"), QStringLiteral("PTYSEX"), QStringLiteral("PTYNAM")},
           false}}),
        defineTable(Schema::ClientTable,
         {key("CLTCNO", Type::Integer), text("CLTNAM", 30), decimal("CLTBDT", 8)},
         {QStringLiteral("CLTCNO")},
         {{QStringLiteral("PRBCLT_CLTNAM"), {QStringLiteral("CLTNAM")}, true}}),
        defineTable(Schema::AssociationTable,
         {key("ASCFLG1", Type::Text, 1), key("ASCKEY1", Type::Integer), key("ASCRLTCOD", Type::Integer),
          key("ASCFLG2", Type::Text, 1), key("ASCKEY2", Type::Integer), decimal("ASCUDT", 8), text("ASCUSR", 30)},
         {QStringLiteral("ASCFLG1"), QStringLiteral("ASCKEY1"), QStringLiteral("ASCRLTCOD"),
          QStringLiteral("ASCFLG2"), QStringLiteral("ASCKEY2")},
         {{QStringLiteral("PRBCLTASC_SIDE2"), {QStringLiteral("ASCFLG2"), QStringLiteral("ASCKEY2")}, false}}),
        defineTable(Schema::RelationTable,
         {key("RLTCOD", Type::Integer), text("RLTDSC", 20), text("RLTINVDSC", 20)},
         {QStringLiteral("RLTCOD")},
         {}),
        defineTable(Schema::SecurityTable,
         {key("SECUSR", Type::Text, 30), text("SECNAM", 30), text("SECP01", 1), text("SECP02", 1),
          text("SECP03", 1)},
         {QStringLiteral("SECUSR")},
         {}),
        defineTable(Schema::ZipTable,
         {key("ZIPCTY", Type::Text, 15), key("ZIPSTA", Type::Text, 2), key("ZIPKEY", Type::Integer)},
         {QStringLiteral("ZIPCTY"), QStringLiteral("ZIPSTA"), QStringLiteral("ZIPKEY")},
         {{QStringLiteral("ZIPDTA_ZIPCTY"), {QStringLiteral("ZIPCTY")}, true},
          {QStringLiteral("ZIPDTA_ZIPKEY"), {QStringLiteral("ZIPKEY")}, false}}),
        defineTable(Schema::SexTable,
         {key("SEXCOD", Type::Text, 1), text("SEXDSC", 20)},
         {QStringLiteral("SEXCOD")},
         {}),
        defineTable(Schema::StateTable,
         {key("STACOD", Type::Text, 2), text("STADSC", 30), text("STACTR", 3)},
         {QStringLiteral("STACOD")},
         {}),
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
    return {ProbationLibrary, CodeLibrary};
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

QString Schema::columnType(const Column &column, Dialect dialect)
{
    const bool sqlite = dialect == Dialect::Sqlite;
    switch (column.type) {
    case ColumnType::Integer: return sqlite ? QStringLiteral("INTEGER") : QStringLiteral("integer");
    case ColumnType::Decimal: return (sqlite ? QStringLiteral("NUMERIC(%1,0)") : QStringLiteral("numeric(%1,0)")).arg(column.size);
    case ColumnType::Text: return (sqlite ? QStringLiteral("VARCHAR(%1)") : QStringLiteral("varchar(%1)")).arg(column.size);
    }
    return QString();
}

QStringList Schema::createStatements(const Table &table, Dialect dialect)
{
    const bool postgres = dialect == Dialect::Postgres;
    QStringList searched;  // the text columns a name search reads in order
    for (const Index &index : table.indexes) {
        if (index.prefixSearch)
            searched << index.columns;
    }
    QStringList columns;
    for (const Column &column : table.columns) {
        // The searched names compare and sort by character code on the
        // server too, as on the embedded database, whatever its collation.
        const bool byCharacterCode = postgres && searched.contains(column.name);
        columns << column.name + QLatin1Char(' ') + columnType(column, dialect)
                       + (byCharacterCode ? QStringLiteral(" COLLATE \"C\"") : QString())
                       + (column.required ? QStringLiteral(" NOT NULL") : QString());
    }
    columns << QStringLiteral("PRIMARY KEY (%1)").arg(table.primaryKey.join(QLatin1Char(',')));
    QStringList statements{
        QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2)").arg(table.qualifiedName(), columns.join(QLatin1Char(',')))};
    for (const Index &index : table.indexes) {
        if (postgres) {
            // A name search reads each name's rows in key order, a page at a time.
            const QStringList indexColumns = index.prefixSearch ? index.columns + table.primaryKey : index.columns;
            statements << QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
                              .arg(index.name, table.qualifiedName(), indexColumns.join(QLatin1Char(',')));
        } else {
            // An attached file's index is named in its library, on the table's own name.
            statements << QStringLiteral("CREATE INDEX IF NOT EXISTS %1.%2 ON %3 (%4)")
                              .arg(table.library, index.name, table.name, index.columns.join(QLatin1Char(',')));
        }
    }
    return statements;
}

} // namespace Torva
