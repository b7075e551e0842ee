#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace Torva {

// The tables the controls read and write, in the two libraries DUVPRB
// (probation data) and DUVCRT (shared code tables). Each engine renders these
// definitions in its own dialect; row locks use the key columns.
class Schema
{
public:
    enum class ColumnType { Integer, Decimal, Text };

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
};

} // namespace Torva
