#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <QString>
#include <stdexcept>

namespace Torva {

/// The failure of a data-access call. A table object raises its Error signal
/// first and then throws this, so that the method that made the call ends there
/// and the host sees a failed call.
class TORVA_EXPORT DataAccessError : public std::runtime_error
{
public:
    /// Error numbers reported through TableObject::Error and carried here.
    enum Code {
        ConfigurationError = 1001,  // a database location that cannot be used
        ConnectionFailed = 1002,    // the database cannot be opened or reached
        StatementFailed = 1003,     // the database refused or failed a statement
        DuplicateKey = 1004,        // a write broke a primary key or unique rule
        DatabaseBusy = 1005,        // another writer held the database past the busy timeout
        BadParameters = 1006,       // the parameters are not a list of values
        NoStatement = 1007,         // Execute with no text and no SQL held
        UnknownColumn = 1008,       // FieldValue of a column the result does not have
        LockFailed = 1009,          // the row lock itself could not be taken or checked
    };

    DataAccessError(int number, const QString &description, const QString &statement = QString(),
                    const QString &nativeCode = QString());

    int number() const { return m_number; }
    QString description() const { return m_description; }
    /// The statement text as the caller gave it (empty when no statement was involved).
    QString statement() const { return m_statement; }
    /// The database's own code (SQLite result code, PostgreSQL SQLSTATE, ODBC state).
    QString nativeCode() const { return m_nativeCode; }

private:
    int m_number;
    QString m_description;
    QString m_statement;
    QString m_nativeCode;
};

} // namespace Torva
