#pragma once

#include <QString>

namespace Torva {

// A select that ends in "For Update of COLUMN": the statement without that
// clause, which every engine can run, and the table whose rows it locks.
class LockedSelect
{
public:
    // A statement without the clause gives isLocked() false and the text unchanged.
    static LockedSelect parse(const QString &statement);

    bool isLocked() const { return m_locked; }
    QString statement() const { return m_statement; }  // without the clause
    QString table() const { return m_table; }          // first table after From, upper case

private:
    bool m_locked = false;
    QString m_statement;
    QString m_table;
};

} // namespace Torva
