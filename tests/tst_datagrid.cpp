#include "associationhost.h"
#include "controls/datagrid.h"
#include "userinput.h"

#include <QAbstractItemView>
#include <QtTest>

using namespace Torva;

class DataGridTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<DataGrid> grid;

    void setCurrent(int row, int col = 1)
    {
        grid->setRow(row);
        grid->setCol(col);
    }

private Q_SLOTS:
    void init();
    void theGridsOwnEditor();
    void mouseButtonPressCanTakeThePress();
    void foldersOpenAndCloseByMouseAndKeyboard();
    void aThrowingHandlerStopsAtTheGrid();
};

// Every test's Given: caption | header | Parents (2 associates) | Children (empty) | Siblings (1 associate), shown.
void DataGridTest::init()
{
    grid = std::make_unique<DataGrid>();
    grid->setCols(4);
    grid->setFixedCols(1);
    grid->setCellText(0, 1, QStringLiteral("Name"));
    grid->InsertRow(QStringLiteral("Client 00012\tDOE, JANE\t19750615\t0"), 0, true, -1);  // 1
    grid->InsertRow(QStringLiteral("Parents\t\t0\t0"), 1, true, -1);                       // 2
    grid->InsertRow(QStringLiteral("Party\tSMITH, PAT\t19600101\t-1"), 2, false, -1);       // 3
    grid->InsertRow(QStringLiteral("Client\tDOE, BOB\t19580202\t0"), 2, false, -1);         // 4
    grid->InsertRow(QStringLiteral("Children\t\t0\t0"), 1, true, -1);                      // 5
    grid->InsertRow(QStringLiteral("Siblings\t\t0\t0"), 1, true, -1);                      // 6
    grid->InsertRow(QStringLiteral("Party\tDOE, SAM\t19781111\t-1"), 2, false, -1);         // 7
    grid->setColumnType(3, OutlineModel::BooleanType);
    grid->setColumnIsDate(2, true);
    grid->resize(520, 260);
    grid->show();
    grid->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(grid.get()));
    grid->view()->setFocus();
    QCoreApplication::processEvents();
}

void DataGridTest::theGridsOwnEditor()
{
    grid->setEditable(OutlineModel::EditByKeyboardAndMouse);
    QSignalSpy edited(grid.get(), &DataGrid::CellEdited);
    QList<QPair<int, int>> asked;
    bool cancel = true;
    connect(grid.get(), &DataGrid::BeforeCellEdit, this, [&](int row, int col, bool &Cancel) {
        asked.append({row, col});
        Cancel = cancel;
    });

    // Cancelled by BeforeCellEdit: no editor, but the cell is current for whatever the handler opens.
    QVERIFY(!grid->BeginCellEdit(4, 1));
    QVERIFY(!grid->IsEditing());
    QCOMPARE(grid->Row(), 4);
    QCOMPARE(grid->Col(), 1);
    // Typing on a cell asks too.
    UserInput::type(QStringLiteral("x"));
    QVERIFY(!grid->IsEditing());
    QCOMPARE(grid->CellText(4, 1), QStringLiteral("DOE, BOB"));
    // Fixed, hidden and hidden-row cells are not asked about at all.
    QVERIFY(!grid->BeginCellEdit(4, 0));
    grid->setRowHeight(3, 0);
    QVERIFY(!grid->BeginCellEdit(3, 1));
    QCOMPARE(asked, (QList<QPair<int, int>>{{4, 1}, {4, 1}}));

    // Given the grid's editor opened on a name by Enter, once allowed (Enter opens no row then),
    cancel = false;
    QSignalSpy opened(grid.get(), &DataGrid::RowDoubleClick);
    UserInput::press(Qt::Key_Return);
    QVERIFY(grid->IsEditing());
    QCOMPARE(opened.count(), 0);
    QCOMPARE(asked.size(), 3);
    // when a name longer than any the column was fitted to is typed over it and Enter pressed,
    const int fitted = grid->CellRect(4, 1).width();
    const QString longer = QStringLiteral("WASHINGTON-BARRINGTON, MAXIMILIAN");
    UserInput::keys(longer + QStringLiteral("{Return}"));
    QTRY_VERIFY(!grid->IsEditing());  // the editor commits once the key has been handled
    // then the cell holds it, its column grown to show it whole, and CellEdited names the cell;
    QCOMPARE(grid->CellText(4, 1), longer);
    QVERIFY(grid->CellRect(4, 1).width() > grid->fontMetrics().horizontalAdvance(longer));
    QCOMPARE(edited.size(), 1);
    QCOMPARE(edited.at(0), (QVariantList{4, 1}));
    // a shorter name written later does not shrink the column again.
    grid->setCellText(4, 1, QStringLiteral("DOE, BOB"));
    QVERIFY(grid->CellRect(4, 1).width() > fitted);

    // A check box cell is ticked by Space.
    setCurrent(4, 3);
    UserInput::press(Qt::Key_Space);
    QCOMPARE(grid->CellValue(4, 3), -1.0);
    QCOMPARE(edited.size(), 2);
    QCOMPARE(edited.at(1), (QVariantList{4, 3}));
}

void DataGridTest::mouseButtonPressCanTakeThePress()
{
    setCurrent(3);
    int presses = 0;
    bool take = true;
    connect(grid.get(), &DataGrid::MouseButtonPress, this, [&](int, int, int, int, bool &Cancel) {
        ++presses;
        Cancel = take;
    });

    auto [surface, point] = cellSpot(*grid, 4, 1);
    UserInput::pressMouse(surface, point, Qt::LeftButton, Qt::ControlModifier);
    UserInput::releaseMouse(surface, point, Qt::LeftButton, Qt::ControlModifier);
    QCOMPARE(grid->Row(), 3);  // taken: the grid did nothing with it

    take = false;
    UserInput::click(surface, point);
    QCOMPARE(grid->Row(), 4);
    QCOMPARE(presses, 2);
}

void DataGridTest::foldersOpenAndCloseByMouseAndKeyboard()
{
    QSignalSpy viewChanges(grid.get(), &DataGrid::ViewChanging);

    // A click on the folder's expander closes it: its associates leave the screen.
    auto [surface, point] = cellSpot(*grid, 2, 0, QPoint(3 + 16 + 8, grid->CellRect(2, 0).height() / 2));
    UserInput::click(surface, point);
    QVERIFY(grid->RowCollapsed(2));
    QVERIFY(grid->CellRect(3, 1).isEmpty());
    QVERIFY(!grid->CellRect(5, 1).isEmpty());
    QCOMPARE(viewChanges.size(), 1);
    QCOMPARE(viewChanges.at(0).at(4).toInt(), int(DataGrid::OutlineChanged));

    // Plus opens the current folder, minus on an associate closes its folder and moves up to it.
    setCurrent(2);
    UserInput::press(Qt::Key_Plus);
    QVERIFY(!grid->RowCollapsed(2));
    QVERIFY(!grid->CellRect(3, 1).isEmpty());
    grid->setRow(7);
    UserInput::press(Qt::Key_Minus);
    QVERIFY(grid->RowCollapsed(6));
    QCOMPARE(grid->Row(), 6);

    // The arrow keys skip what is closed.
    grid->setRow(4);
    UserInput::press(Qt::Key_Down);
    QCOMPARE(grid->Row(), 5);
    UserInput::keys(QStringLiteral("{Down}{Down}"));
    QCOMPARE(grid->Row(), 6);
}

void DataGridTest::aThrowingHandlerStopsAtTheGrid()
{
    connect(grid.get(), &DataGrid::RowDoubleClick, this, [] { throw std::runtime_error("host failed"); });
    setCurrent(4);

    QTest::ignoreMessage(QtWarningMsg, "DataGrid: an event failed: host failed");
    UserInput::press(Qt::Key_Return);  // would end the test run if it got through

    QCOMPARE(grid->Row(), 4);
}

QTEST_MAIN(DataGridTest)
#include "tst_datagrid.moc"
