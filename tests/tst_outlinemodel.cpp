#include "controls/outlinemodel.h"

#include <QtTest>

using namespace Torva;

class OutlineModelTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<OutlineModel> model;

    // The rows the model shows, in order.
    QList<int> shownRows() const
    {
        QList<int> shown;
        for (int row = 0; row < model->Rows(); ++row) {
            if (model->RowShown(row))
                shown << row;
        }
        return shown;
    }

private Q_SLOTS:
    void init();
    void hiddenAndCollapsedRows();
    void cellValue_data();
    void cellValue();
    void textsDatesErrorsAndKeys();
    void modelChecks();
};

// Every test's Given: caption | header 0 | folder 1 with two children | empty folder 1 | folder 1 with one child
void OutlineModelTest::init()
{
    model = std::make_unique<OutlineModel>();
    model->setCols(3);
    model->InsertRow(QStringLiteral("Client 00012\tDOE, JANE"), 0, true, -1);   // 1
    model->InsertRow(QStringLiteral("Parents\t"), 1, true, -1);                 // 2
    model->InsertRow(QStringLiteral("Party\tSMITH, PAT\t-1"), 2, false, -1);    // 3
    model->InsertRow(QStringLiteral("Client\tDOE, BOB\t0"), 2, false, -1);      // 4
    model->InsertRow(QStringLiteral("Children\t"), 1, true, -1);                // 5
    model->InsertRow(QStringLiteral("Siblings\t"), 1, true, -1);                // 6
    model->InsertRow(QStringLiteral("Party\tDOE, SAM\t-1"), 2, false, -1);      // 7
}

void OutlineModelTest::hiddenAndCollapsedRows()
{
    QCOMPARE(shownRows(), (QList<int>{1, 2, 3, 4, 5, 6, 7}));
    QVERIFY(!model->RowAlternate(1));
    QVERIFY(model->RowAlternate(2));

    // A height of 0 hides the row alone; the alternation skips it.
    model->setRowHeight(3, 0);
    QVERIFY(model->RowHidden(3));
    QCOMPARE(shownRows(), (QList<int>{1, 2, 4, 5, 6, 7}));
    QVERIFY(!model->RowAlternate(4));

    // Collapsing hides everything below the node, hidden or not, and nothing else;
    // only nodes collapse.
    model->setRowCollapsed(2, true);
    QCOMPARE(shownRows(), (QList<int>{1, 2, 5, 6, 7}));
    model->setRowCollapsed(7, true);
    QVERIFY(!model->RowCollapsed(7));
    model->setRowCollapsed(1, true);
    QCOMPARE(shownRows(), (QList<int>{1}));
    model->Outline(0);
    QCOMPARE(shownRows(), (QList<int>{1, 2, 4, 5, 6, 7}));
}

void OutlineModelTest::cellValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("boolean");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("checked");
    QTest::newRow("true") << "true" << true << -1.0 << int(Qt::Checked);
    QTest::newRow("False") << "False" << true << 0.0 << int(Qt::Unchecked);
    QTest::newRow("-1 as loaded") << "-1" << true << -1.0 << int(Qt::Checked);
    QTest::newRow("never set") << "" << true << 0.0 << int(Qt::Unchecked);
    QTest::newRow("client number") << " 12 " << false << 12.0 << -1;
    QTest::newRow("name") << "DOE, JANE" << false << 0.0 << -1;
}

void OutlineModelTest::cellValue()
{
    QFETCH(QString, text);
    QFETCH(bool, boolean);
    QFETCH(double, value);
    QFETCH(int, checked);
    model->setColumnType(2, boolean ? OutlineModel::BooleanType : OutlineModel::TextType);
    model->setCellText(4, 2, text);

    QCOMPARE(model->CellValue(4, 2), value);
    const QVariant state = model->index(4, 2).data(Qt::CheckStateRole);
    QCOMPARE(state.isValid() ? state.toInt() : -1, checked);
}

void OutlineModelTest::textsDatesErrorsAndKeys()
{
    model->setCellText(0, 2, QStringLiteral("DOB"));
    model->setCellText(3, 2, QStringLiteral("19600101"));
    model->setColumnIsDate(2, true);

    // A date column shows yyyymmdd as a date and 0 (DOE, BOB's) as nothing; the caption stays.
    QCOMPARE(model->DisplayText(3, 2), QStringLiteral("01/01/1960"));
    QCOMPARE(model->DisplayText(4, 2), QString());
    QCOMPARE(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("DOB"));

    // An error shows until the cell's text changes.
    model->setCellError(7, 1, QStringLiteral("Duplicate association."));
    QCOMPARE(model->index(7, 1).data(Qt::ToolTipRole).toString(), QStringLiteral("Duplicate association."));
    model->setCellText(7, 1, QStringLiteral("DOE, SAMUEL"));
    QCOMPARE(model->CellError(7, 1), QString());

    // Texts holding the cell separator keep their place.
    model->setCellText(6, 1, QStringLiteral("A") + OutlineRow::separator() + QStringLiteral("B"));
    QCOMPARE(model->CellText(6, 1), QStringLiteral("A B"));
    QCOMPARE(model->CellText(6, 2), QString());

    // Columns are found by key in any letter case.
    model->setColumnKey(1, QStringLiteral("ascnam"));
    QCOMPARE(model->ColumnIndex(QStringLiteral("ASCNAM")), 1);

    // Texts are cut to the columns there are, and fewer columns drop the texts past them for good;
    QCOMPARE(model->InsertRow(QStringLiteral("a\tb\tc\td"), 2, false, 99), 8);
    QCOMPARE(model->CellText(8, 3), QString());
    model->setCellFontBold(8, 2, true);
    model->setCols(2);
    model->setCols(3);
    QCOMPARE(model->CellText(8, 2), QString());
    QVERIFY(!model->CellFontBold(8, 2));
    QCOMPARE(model->CellText(8, 1), QStringLiteral("b"));
    // a cell written past a row's last text keeps the cells between empty.
    model->setCellText(3, 2, QStringLiteral("z"));
    model->setCellText(3, 1, QString());
    QCOMPARE(model->CellText(3, 0), QStringLiteral("Party"));
    QCOMPARE(model->CellText(3, 2), QStringLiteral("z"));
}

void OutlineModelTest::modelChecks()
{
    model->setFixedCols(1);
    model->setColumnType(2, OutlineModel::BooleanType);
    model->setCellPicture(1, 0, QPixmap(16, 16));
    QAbstractItemModelTester tester(model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);

    model->InsertRow(QStringLiteral("x\ty"), 2, false, 3);
    model->setRowCollapsed(2, true);
    model->RemoveRow(3);
    model->setCellText(4, 1, QStringLiteral("changed"));
    model->setRows(12);
    model->setCols(5);
    model->setCols(2);
    model->setFixedRows(2);
    model->setRows(1);
}

QTEST_MAIN(OutlineModelTest)
#include "tst_outlinemodel.moc"
