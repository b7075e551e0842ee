#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace Torva {

// The tables the controls read and write, in the two libraries DUVPRB
// (probation data) and DUVCRT (shared code tables): their names, columns and
// keys, and the statements that make them on each engine that makes its own
// tables. Row locks use the key columns.
class Schema
{
public:
    enum class ColumnType { Integer, Decimal, Text };
    /// The engines that make the tables themselves (through ODBC they exist already).
    enum class Dialect { Sqlite, Postgres };

    static inline const QString ProbationLibrary = QStringLiteral("DUVPRB");
    static inline const QString CodeLibrary = QStringLiteral("DUVCRT");
    static inline const QString PartyTable = QStringLiteral("DUVPRB.PRBPTY");
    static inline const QString ClientTable = QStringLiteral("DUVPRB.PRBCLT");
    static inline const QString AssociationTable = QStringLiteral("DUVPRB.PRBCLTASC");
    static inline const QString RelationTable = QStringLiteral("DUVPRB.ARYRLT");
    static inline const QString SecurityTable = QStringLiteral("DUVPRB.PRBSEC");
    static inline const QString ZipTable = QStringLiteral("DUVCRT.ZIPDTA");
    static inline const QString SexTable = QStringLiteral("DUVCRT.ARYSEX");
    static inline const QString StateTable = QStringLiteral("DUVCRT.ARYSTA");

    struct Column
    {
        QString name;
        ColumnType type;
        int size;          // characters of a text, digits of a decimal
        bool required;     // NOT NULL (key columns)
    };

    struct Index
    {
        QString name;
        QStringList columns;
        bool prefixSearch; // searched with Like 'TEXT%'
    };

    struct Table
    {
        QString library;   // DUVPRB or DUVCRT
        QString name;      // PRBPTY
        QList<Column> columns;
        QStringList primaryKey;
        QList<Index> indexes;

        QString qualifiedName() const { return library + QLatin1Char('.') + name; }
    };

    static const QList<Table> &tables();
    static QStringList libraries();
    // The table named library.table (any letter case), or nullptr.
    static const Table *table(const QString &qualifiedName);
    // The key columns that identify a row of the table; empty for an unknown table.
    static QStringList keyColumns(const QString &qualifiedName);

    // A column's type as the dialect spells it.
    static QString columnType(const Column &column, Dialect dialect);
    // The statements that make the table if it is missing: the table first,
    // then its indexes. On PostgreSQL the searched names compare by character
    // code and their indexes end with the key, so that one index serves a
    // name search's prefix, its order and its pages.
    static QStringList createStatements(const Table &table, Dialect dialect);
};

} // namespace Torva
