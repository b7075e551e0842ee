#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <TORVAProbationParties/data/lockholder.h>
#include <TORVAProbationParties/data/lockkey.h>
#include <TORVAProbationParties/data/queryresult.h>

#include <QObject>
#include <QSet>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>

class QSqlQuery;

namespace Torva {

class Connection;
class DataAccessError;
class LockedSelect;
class RowLockSession;

/// The data-access table object: holds one statement, runs statements with
/// positional parameters, stands on the first row of a select's result, and
/// reports failures by its Error signal. A select ending "For Update of COLUMN"
/// locks the rows it read for this object until it is closed or destroyed.
///
/// Every failing call raises Error (number and description, which a handler
/// connected directly may change) and then throws DataAccessError with the
/// same number, description and the statement, so that the calling method ends
/// there. The details stay readable through LastError*() afterwards.
class TORVA_EXPORT TableObject : public QObject
{
    Q_OBJECT

public:
    explicit TableObject(QObject *parent = nullptr);
    ~TableObject() override;

    /// The held statement; empty until first set. Execute with no text runs it.
    QString SQL() const { return m_sql; }
    void setSQL(const QString &statement);
    /// Set once the held statement should stay prepared between runs.
    bool Prepared() const { return m_prepared; }
    void setPrepared(bool prepared) { m_prepared = prepared; }

    /// The named column (any letter case) of the current row; a null variant
    /// when there is no current row. An unknown name fails (Error, then throw).
    QVariant FieldValue(const QString &fieldName);
    /// False after every Execute, rows or none; true before the first and after Close.
    bool BOF() const { return m_bof; }
    /// True when the last select found no row (and before the first Execute).
    /// Spelled Eof because EOF is a macro of the C library.
    bool Eof() const { return m_eof; }

    /// Runs statement (empty: the held SQL) with parameters, a QVariantList with
    /// one value per "?" in marker order, or an invalid QVariant for none.
    /// prepare keeps the statement prepared for the next run of the same text;
    /// raiseException set (the usual case) throws after Error, otherwise the
    /// failure returns -1. Returns the rows a write affected, -1 for a select.
    int Execute(const QString &statement = QString(), const QVariant &parameters = QVariant(), bool prepare = true,
                bool raiseException = true);
    /// Runs a select and returns up to maxRows rows (all rows when maxRows < 0);
    /// the object then stands on the first of them. Failures as for Execute.
    QueryResult Fetch(const QString &statement, const QVariant &parameters = QVariant(), int maxRows = -1);
    /// Releases the result and every row lock of this object. Never fails.
    void Close();

    /// After a select ending "For Update of": true when another holder has one
    /// of its rows. The rows read stay readable; this object then holds none of them.
    bool RecordLocked() const { return m_recordLocked; }
    /// Who holds the row, when RecordLocked is true and the data layer knows.
    std::optional<LockHolder> LockedBy() const { return m_lockHolder; }

    /// Takes the row lock of a row about to be inserted under a new key (the
    /// key's values in the table's key order), as a locked select takes the
    /// lock of a row it reads, so that the row is held from its insert on and
    /// a lock that cannot be had leaves nothing written. The object then holds
    /// this key alone. False, with RecordLocked and LockedBy, when another
    /// holder has the key; where the database keeps its own row locks nothing
    /// is taken and the result is true. Failures as for Execute.
    bool ReserveRow(const QString &table, const QVariantList &key);

    /// Runs a select once for each set of values (one value per "?" each)
    /// and returns every row of each, in order; on a server all are sent
    /// before the first answer is read, so that many lookups cost about one
    /// round trip. The object stands on no row afterwards. Failures as for
    /// Execute.
    QList<QueryResult> FetchEach(const QString &statement, const QList<QVariantList> &valueSets);

    /// Runs a write of the open transaction whose count of rows the caller
    /// does not need. On a server it is sent without waiting for the answer,
    /// so that many writes cost about one round trip: its outcome, with every
    /// other write queued with it, is known when the transaction commits, or
    /// before the next statement that is not queued; that call then fails
    /// (Error, then the exception, naming the write that failed) and nothing
    /// of the transaction is written. On SQLite, and outside a transaction,
    /// it runs at once as Execute does. Failures as for Execute.
    void QueueWrite(const QString &statement, const QVariantList &values);

    /// One transaction around several statements of this object's connection.
    void BeginTransaction();
    void CommitTransaction();
    void RollbackTransaction();

    /// A function every table object calls just before it runs a statement
    /// (BEGIN, COMMIT and ROLLBACK included), with the statement and its values;
    /// for tests that play another user, or fail, at an exact moment. An empty
    /// function removes it.
    using StatementHook = std::function<void(const QString &statement, const QVariantList &values)>;
    static void setBeforeExecuteHook(StatementHook hook);

    /// The field names of the last result, upper case, in select order.
    QStringList FieldNames() const { return m_result.fieldNames(); }
    int LastErrorNumber() const { return m_lastErrorNumber; }
    QString LastErrorDescription() const { return m_lastErrorDescription; }
    QString LastStatement() const { return m_lastStatement; }
    QString LastNativeCode() const { return m_lastNativeCode; }

Q_SIGNALS:
    /// Raised before a failing call ends; connect directly to change the values.
    void Error(int &ErrNumber, QString &ErrDescription);

private:
    int execute(const QString &statement, const QVariant &parameters, bool prepare, QueryResult *result, int maxRows);
    int run(Connection &connection, const QString &statement, const QVariantList &values, bool prepare,
            QueryResult *result, int maxRows);
    void settleQueued(Connection &connection);
    int runLocked(Connection &connection, const LockedSelect &select, const QVariantList &values, bool prepare,
                  QueryResult *result);
    QList<LockKey> lockKeys(const QString &table, const QueryResult &rows) const;
    void releaseLocksExcept(const QList<LockKey> &kept);
    void dropDeadLockSession();
    void clearResult();
    void takeResult(const QueryResult &result);
    int fail(const DataAccessError &error, bool raiseException);
    void transactionStep(const QString &step, void (Connection::*run)());

    QString m_sql;
    bool m_prepared = false;
    bool m_bof = true;
    bool m_eof = true;
    bool m_recordLocked = false;
    QueryResult m_result;  // the first row of the last select, which the object stands on
    std::unique_ptr<RowLockSession> m_locks;
    QList<LockKey> m_held;
    std::optional<LockHolder> m_lockHolder;
    int m_lastErrorNumber = 0;
    QString m_lastErrorDescription;
    QString m_lastStatement;
    QString m_lastNativeCode;
};

} // namespace Torva
