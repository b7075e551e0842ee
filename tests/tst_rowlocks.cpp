#include "data/database.h"
#include "data/statements.h"
#include "data/tableobject.h"
#include "fixtures.h"
#include "testdatabase.h"

#include <QtTest>

#include <csignal>
#include <memory>

namespace {

bool loadIsRefused(TableObject &table, int key)
{
    table.Execute(Statements::LoadPartyForUpdate, QVariantList{key});
    return table.RecordLocked();
}

bool freshLoadIsRefused(int key)
{
    TableObject table;
    return loadIsRefused(table, key);
}

// A second process that holds the given parties under lock until it is told
// to go (its input closes) or is killed.
class HolderProcess
{
public:
    explicit HolderProcess(const QStringList &keys)
    {
        m_process.start(QStringLiteral(TORVA_LOCK_HOLDER),
                        QStringList{TestDatabase::location(), QStringLiteral("CHILD")} + keys);
    }
    ~HolderProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    // The holder's answer for each key, in order ("locked 5", "refused 6").
    QStringList answers(int count)
    {
        QStringList lines;
        while (lines.size() < count && m_process.waitForReadyRead(10000)) {
            while (m_process.canReadLine())
                lines << QString::fromUtf8(m_process.readLine()).trimmed();
        }
        return lines;
    }
    qint64 processId() const { return m_process.processId(); }
    void release()
    {
        m_process.closeWriteChannel();
        m_process.waitForFinished();
    }
    void killHard()
    {
        ::kill(pid_t(m_process.processId()), SIGKILL);
        m_process.waitForFinished();
    }

private:
    QProcess m_process;
};

} // namespace

class RowLocksTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void engines_data();

    void secondObjectIsRefusedUntilClose_data() { engines_data(); }
    void secondObjectIsRefusedUntilClose();
    void destroyingTheHolderReleases_data() { engines_data(); }
    void destroyingTheHolderReleases();
    void lockCoversOneKeyOnly_data() { engines_data(); }
    void lockCoversOneKeyOnly();
    void reloadingMovesTheLock_data() { engines_data(); }
    void reloadingMovesTheLock();
    void missingRowTakesNoLock_data() { engines_data(); }
    void missingRowTakesNoLock();
    void writesThroughTheHolderKeepTheLock_data() { engines_data(); }
    void writesThroughTheHolderKeepTheLock();
    void anotherProcessHoldsUntilItEnds_data();
    void anotherProcessHoldsUntilItEnds();
    void anotherProcessIsRefused_data() { engines_data(); }
    void anotherProcessIsRefused();
};

void RowLocksTest::init()
{
    Database::setUserName(QStringLiteral("JSMITH"));
}

void RowLocksTest::engines_data()
{
    TestDatabase::addEngineRows();
}

void RowLocksTest::secondObjectIsRefusedUntilClose()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    Fixtures::addParty(5, QStringLiteral("SMITH, JOHN"));

    // Given one table object holding party 5,
    TableObject first;
    QVERIFY(!loadIsRefused(first, 5));
    QVERIFY(!first.Eof());

    // when a second one in the same process loads it,
    TableObject second;
    QVERIFY(loadIsRefused(second, 5));

    // then it is told who holds it, and can still read the row.
    QVERIFY(second.LockedBy().has_value());
    QCOMPARE(second.LockedBy()->userName, QStringLiteral("JSMITH"));
    QCOMPARE(second.LockedBy()->processId, QCoreApplication::applicationPid());
    QVERIFY(second.LockedBy()->since.isValid());
    QCOMPARE(second.FieldValue(QStringLiteral("PTYNAM")).toString(), QStringLiteral("SMITH, JOHN"));

    // Loading again changes nothing for the holder, and closing lets the second in.
    QVERIFY(!loadIsRefused(first, 5));
    QVERIFY(loadIsRefused(second, 5));
    first.Close();
    QVERIFY(!loadIsRefused(second, 5));
    QVERIFY(!second.LockedBy().has_value());
}

void RowLocksTest::destroyingTheHolderReleases()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    Fixtures::addParty(5, QStringLiteral("SMITH, JOHN"));

    auto holder = std::make_unique<TableObject>();
    QVERIFY(!loadIsRefused(*holder, 5));
    QVERIFY(freshLoadIsRefused(5));

    holder.reset();
    QVERIFY(!freshLoadIsRefused(5));
}

void RowLocksTest::lockCoversOneKeyOnly()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    Fixtures::addParty(5, QStringLiteral("SMITH, JOHN"));
    Fixtures::addParty(6, QStringLiteral("SMITH, JANE"));

    TableObject holder;
    QVERIFY(!loadIsRefused(holder, 5));

    TableObject other;
    QVERIFY(!loadIsRefused(other, 6));
    QVERIFY(freshLoadIsRefused(5));
    QVERIFY(freshLoadIsRefused(6));
}

void RowLocksTest::reloadingMovesTheLock()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    Fixtures::addParty(5, QStringLiteral("SMITH, JOHN"));
    Fixtures::addParty(6, QStringLiteral("SMITH, JANE"));

    TableObject holder;
    QVERIFY(!loadIsRefused(holder, 5));
    QVERIFY(!loadIsRefused(holder, 6));

    QVERIFY(!freshLoadIsRefused(5));
    QVERIFY(freshLoadIsRefused(6));
}

void RowLocksTest::missingRowTakesNoLock()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);

    TableObject table;
    QVERIFY(!loadIsRefused(table, 5));
    QVERIFY(table.Eof());

    // The party saved later is not held by the object that found nothing.
    Fixtures::addParty(5, QStringLiteral("SMITH, JOHN"));
    QVERIFY(!freshLoadIsRefused(5));
}

void RowLocksTest::writesThroughTheHolderKeepTheLock()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    Fixtures::addParty(5, QStringLiteral("SMITH, JOHN"));

    TableObject holder;
    QVERIFY(!loadIsRefused(holder, 5));
    holder.Execute(QStringLiteral("Update DUVPRB.PRBPTY Set PTYST1=? Where PTYKEY=?"), QVariantList{"1 ELM ST", 5});
    holder.Execute(QStringLiteral("Select PTYZIP From DUVPRB.PRBPTY Where PTYKEY=?"), QVariantList{5});

    QVERIFY(freshLoadIsRefused(5));
}

void RowLocksTest::anotherProcessHoldsUntilItEnds_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<bool>("killed");
    for (const QString &engine : TestDatabase::engines()) {
        QTest::addRow("%s/closed", qPrintable(engine)) << engine << false;
        QTest::addRow("%s/killed", qPrintable(engine)) << engine << true;
    }
}

void RowLocksTest::anotherProcessHoldsUntilItEnds()
{
    QFETCH(QString, engine);
    QFETCH(bool, killed);
    TORVA_USE_DATABASE(engine);
    Fixtures::addParty(5, QStringLiteral("SMITH, JOHN"));
    Fixtures::addParty(6, QStringLiteral("SMITH, JANE"));

    // Given another process holding party 5,
    HolderProcess child({QStringLiteral("5")});
    QCOMPARE(child.answers(1), QStringList{QStringLiteral("locked 5")});

    // then this process is refused party 5, told who has it, and gets party 6.
    TableObject table;
    QVERIFY(loadIsRefused(table, 5));
    QVERIFY(table.LockedBy().has_value());
    QCOMPARE(table.LockedBy()->userName, QStringLiteral("CHILD"));
    QCOMPARE(table.LockedBy()->processId, child.processId());
    QVERIFY(!freshLoadIsRefused(6));

    // When the holder ends, by closing or by being killed, the lock goes with it.
    if (killed)
        child.killHard();
    else
        child.release();
    QTRY_VERIFY_WITH_TIMEOUT(!freshLoadIsRefused(5), 10000);
}

void RowLocksTest::anotherProcessIsRefused()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    Fixtures::addParty(5, QStringLiteral("SMITH, JOHN"));
    Fixtures::addParty(6, QStringLiteral("SMITH, JANE"));

    TableObject holder;
    QVERIFY(!loadIsRefused(holder, 5));

    HolderProcess child({QStringLiteral("5"), QStringLiteral("6")});
    QCOMPARE(child.answers(2), QStringList({QStringLiteral("refused 5"), QStringLiteral("locked 6")}));
}

QTEST_GUILESS_MAIN(RowLocksTest)
#include "tst_rowlocks.moc"
