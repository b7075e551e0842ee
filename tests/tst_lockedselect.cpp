#include "data/lockedselect.h"

#include <QtTest>

using namespace Torva;

class LockedSelectTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
};

void LockedSelectTest::parse_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<bool>("locked");
    QTest::addColumn<QString>("withoutClause");  // of a locked select; any other statement stays as it is
    QTest::addColumn<QString>("table");

    QTest::newRow("party load") << "Select * From DUVPRB.PRBPTY Where PTYKEY=? For Update of PTYNAM" << true
                                << "Select * From DUVPRB.PRBPTY Where PTYKEY=?" << "DUVPRB.PRBPTY";
    QTest::newRow("any case, extra blanks") << "select * from duvprb.prbpty where ptykey=?   FOR  UPDATE  OF  ptynam  "
                                            << true << "select * from duvprb.prbpty where ptykey=?" << "DUVPRB.PRBPTY";
    QTest::newRow("no column list") << "Select * From DUVPRB.PRBPTY Where PTYKEY=? For Update" << true
                                    << "Select * From DUVPRB.PRBPTY Where PTYKEY=?" << "DUVPRB.PRBPTY";
    QTest::newRow("several columns") << "Select * From DUVPRB.PRBPTY Where PTYKEY=? For Update of PTYNAM, PTYST1"
                                     << true << "Select * From DUVPRB.PRBPTY Where PTYKEY=?" << "DUVPRB.PRBPTY";
    QTest::newRow("unqualified table") << "Select * From PRBPTY For Update of PTYNAM" << true << "Select * From PRBPTY"
                                       << "PRBPTY";
    QTest::newRow("plain select") << "Select * From DUVPRB.PRBPTY Where PTYKEY=?" << false << "" << "";
    QTest::newRow("clause inside a text") << "Select * From DUVPRB.PRBPTY Where PTYNAM='x For Update of y'" << false
                                          << "" << "";
    QTest::newRow("not at the end") << "Select * From DUVPRB.PRBPTY For Update of PTYNAM Where PTYKEY=?" << false
                                    << "" << "";
    QTest::newRow("an update statement") << "Update DUVPRB.PRBPTY Set PTYNAM=? Where PTYKEY=?" << false << "" << "";
    QTest::newRow("empty") << "" << false << "" << "";
}

void LockedSelectTest::parse()
{
    QFETCH(QString, statement);
    QFETCH(bool, locked);
    QFETCH(QString, withoutClause);
    QFETCH(QString, table);

    const LockedSelect select = LockedSelect::parse(statement);

    QCOMPARE(select.isLocked(), locked);
    QCOMPARE(select.statement(), locked ? withoutClause : statement);
    QCOMPARE(select.table(), table);
}

QTEST_GUILESS_MAIN(LockedSelectTest)
#include "tst_lockedselect.moc"
