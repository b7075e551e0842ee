#include "associationhost.h"
#include "controlrows.h"
#include "controls/datagrid.h"
#include "userinput.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QTableView>
#include <QtTest>

using namespace Torva;

namespace {

// caption | header | Parents (2 associates) | Children (empty) | Siblings (1 associate), shown
void showTree(DataGrid &grid)
{
    grid.setCols(4);
    grid.setFixedCols(1);
    grid.setCellText(0, 1, QStringLiteral("Name"));
    grid.InsertRow(QStringLiteral("Client 00012\tDOE, JANE\t19750615\t0"), 0, true, -1);  // 1
    grid.InsertRow(QStringLiteral("Parents\t\t0\t0"), 1, true, -1);                       // 2
    grid.InsertRow(QStringLiteral("Party\tSMITH, PAT\t19600101\t-1"), 2, false, -1);       // 3
    grid.InsertRow(QStringLiteral("Client\tDOE, BOB\t19580202\t0"), 2, false, -1);         // 4
    grid.InsertRow(QStringLiteral("Children\t\t0\t0"), 1, true, -1);                      // 5
    grid.InsertRow(QStringLiteral("Siblings\t\t0\t0"), 1, true, -1);                      // 6
    grid.InsertRow(QStringLiteral("Party\tDOE, SAM\t19781111\t-1"), 2, false, -1);         // 7
    grid.setColumnType(3, OutlineModel::BooleanType);
    grid.setColumnIsDate(2, true);
    grid.resize(520, 260);
    grid.show();
    grid.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&grid));
    grid.view()->setFocus();
    QCoreApplication::processEvents();
}

void setCurrent(DataGrid &grid, int row, int col = 1)
{
    grid.setRow(row);
    grid.setCol(col);
}

} // namespace

class DataGridTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void hyperlinkClick();
    void contextMenuRequest_data();
    void contextMenuRequest();
    void theGridsOwnEditor();
    void mouseButtonPressCanTakeThePress();
    void foldersOpenAndCloseByMouseAndKeyboard();
    void rowDoubleClick_data();
    void rowDoubleClick();
    void dropReachesDragDropWithMouseRow_data();
    void dropReachesDragDropWithMouseRow();
    void geometryIsInTwips();
    void aCellWrittenLaterWidensItsColumn();
    void aThrowingHandlerStopsAtTheGrid();
    void outlineAsTheEditorDressesIt_data() { TestDatabase::addEngineRows(); }
    void outlineAsTheEditorDressesIt();
};

void DataGridTest::hyperlinkClick()
{
    DataGrid grid;
    showTree(grid);
    grid.SetCellHyperlink(7, 1);
    QList<QList<QVariant>> clicks;
    connect(&grid, &DataGrid::HyperlinkClick, this,
            [&clicks](int col, int row, const QString &text) { clicks.append({col, row, text}); });

    // A click on a plain cell is no link,
    auto [plainSurface, plainPoint] = cellSpot(grid, 3, 1);
    UserInput::click(plainSurface, plainPoint);
    QVERIFY(clicks.isEmpty());
    // a click on the link reports its column, then its row.
    auto [linkSurface, linkPoint] = cellSpot(grid, 7, 1);
    UserInput::moveMouse(linkSurface, linkPoint);
    QCOMPARE(linkSurface->cursor().shape(), Qt::PointingHandCursor);
    UserInput::click(linkSurface, linkPoint);
    QCOMPARE(clicks, (QList<QList<QVariant>>{{1, 7, QStringLiteral("DOE, SAM")}}));
    QVERIFY(grid.CellFontUnderline(7, 1));
    QCOMPARE(grid.CellForeColor(7, 1), grid.LinkColor());
}

void DataGridTest::contextMenuRequest_data()
{
    QTest::addColumn<bool>("byMouse");
    QTest::addColumn<int>("row");
    QTest::newRow("mouse on an associate") << true << 4;
    QTest::newRow("mouse on the fixed tree column") << true << 5;
    QTest::newRow("mouse on the caption") << true << 0;
    QTest::newRow("menu key") << false << 3;
}

void DataGridTest::contextMenuRequest()
{
    QFETCH(bool, byMouse);
    QFETCH(int, row);
    DataGrid grid;
    showTree(grid);
    setCurrent(grid, 3);
    QList<QPair<int, bool>> requests;
    connect(&grid, &DataGrid::ContextMenuRequest, this,
            [&requests](int requestRow, bool mouse) { requests.append({requestRow, mouse}); });

    if (byMouse) {
        auto [surface, point] = cellSpot(grid, row, row == 5 ? 0 : 1);
        QContextMenuEvent event(QContextMenuEvent::Mouse, point, surface->mapToGlobal(point));
        QCoreApplication::sendEvent(surface, &event);
    } else {
        // The platform sends the menu key's request to the focus widget.
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(5, 5), grid.view()->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(grid.view(), &event);
        UserInput::press(Qt::Key_F10, Qt::ShiftModifier);
    }

    const QList<QPair<int, bool>> expected(byMouse ? 1 : 2, {row, byMouse});
    QCOMPARE(requests, expected);
}

void DataGridTest::theGridsOwnEditor()
{
    DataGrid grid;
    showTree(grid);
    grid.setEditable(OutlineModel::EditByKeyboardAndMouse);
    QSignalSpy edited(&grid, &DataGrid::CellEdited);
    QList<QPair<int, int>> asked;
    bool cancel = true;
    connect(&grid, &DataGrid::BeforeCellEdit, this, [&](int row, int col, bool &Cancel) {
        asked.append({row, col});
        Cancel = cancel;
    });

    // Cancelled by BeforeCellEdit: no editor, but the cell is current for whatever the handler opens.
    QVERIFY(!grid.BeginCellEdit(4, 1));
    QVERIFY(!grid.IsEditing());
    QCOMPARE(grid.Row(), 4);
    QCOMPARE(grid.Col(), 1);
    // Typing on a cell asks too.
    UserInput::type(QStringLiteral("x"));
    QVERIFY(!grid.IsEditing());
    QCOMPARE(grid.CellText(4, 1), QStringLiteral("DOE, BOB"));
    // Fixed, hidden and hidden-row cells are not asked about at all.
    QVERIFY(!grid.BeginCellEdit(4, 0));
    grid.setRowHeight(3, 0);
    QVERIFY(!grid.BeginCellEdit(3, 1));
    QCOMPARE(asked, (QList<QPair<int, int>>{{4, 1}, {4, 1}}));

    // Given the grid's editor on a name, once allowed,
    cancel = false;
    QVERIFY(grid.BeginCellEdit(4, 1));
    QCOMPARE(asked.size(), 3);
    auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(editor);
    // when a new name is typed over it and Enter pressed,
    UserInput::keys(QStringLiteral("ROE, PAT{Return}"));
    QTRY_VERIFY(!grid.IsEditing());  // the editor commits once the key has been handled
    // then the cell holds it and CellEdited names the cell.
    QCOMPARE(grid.CellText(4, 1), QStringLiteral("ROE, PAT"));
    QCOMPARE(edited.size(), 1);
    QCOMPARE(edited.at(0), (QVariantList{4, 1}));

    // A check box cell is ticked by Space.
    setCurrent(grid, 4, 3);
    UserInput::press(Qt::Key_Space);
    QCOMPARE(grid.CellValue(4, 3), -1.0);
    QCOMPARE(edited.size(), 2);
    QCOMPARE(edited.at(1), (QVariantList{4, 3}));
}

void DataGridTest::mouseButtonPressCanTakeThePress()
{
    DataGrid grid;
    showTree(grid);
    setCurrent(grid, 3);
    QList<QList<int>> presses;
    bool take = true;
    connect(&grid, &DataGrid::MouseButtonPress, this, [&](int button, int shift, int, int, bool &Cancel) {
        presses.append({button, shift, grid.MouseRow(), grid.MouseCol()});
        Cancel = take;
    });

    auto [surface, point] = cellSpot(grid, 4, 1);
    UserInput::pressMouse(surface, point, Qt::LeftButton, Qt::ControlModifier);
    UserInput::releaseMouse(surface, point, Qt::LeftButton, Qt::ControlModifier);
    QCOMPARE(grid.Row(), 3);  // taken: the grid did nothing with it

    take = false;
    UserInput::click(surface, point);
    QCOMPARE(grid.Row(), 4);
    QCOMPARE(presses, (QList<QList<int>>{{DataGrid::LeftButton, DataGrid::CtrlKey, 4, 1}, {DataGrid::LeftButton, 0, 4, 1}}));
}

void DataGridTest::foldersOpenAndCloseByMouseAndKeyboard()
{
    DataGrid grid;
    showTree(grid);
    QSignalSpy viewChanges(&grid, &DataGrid::ViewChanging);

    // A click on the folder's expander closes it: its associates leave the screen.
    auto [surface, point] = cellSpot(grid, 2, 0, QPoint(3 + 16 + 8, grid.CellRect(2, 0).height() / 2));
    UserInput::click(surface, point);
    QVERIFY(grid.RowCollapsed(2));
    QVERIFY(grid.CellRect(3, 1).isEmpty());
    QVERIFY(!grid.CellRect(5, 1).isEmpty());
    QCOMPARE(viewChanges.size(), 1);
    QCOMPARE(viewChanges.at(0).at(4).toInt(), int(DataGrid::OutlineChanged));

    // Plus opens the current folder, minus on an associate closes its folder and moves up to it.
    setCurrent(grid, 2);
    UserInput::press(Qt::Key_Plus);
    QVERIFY(!grid.RowCollapsed(2));
    QVERIFY(!grid.CellRect(3, 1).isEmpty());
    grid.setRow(7);
    UserInput::press(Qt::Key_Minus);
    QVERIFY(grid.RowCollapsed(6));
    QCOMPARE(grid.Row(), 6);

    // The arrow keys skip what is closed.
    grid.setRow(4);
    UserInput::press(Qt::Key_Down);
    QCOMPARE(grid.Row(), 5);
    UserInput::keys(QStringLiteral("{Down}{Down}"));
    QCOMPARE(grid.Row(), 6);
}

void DataGridTest::rowDoubleClick_data()
{
    QTest::addColumn<int>("editable");
    QTest::addColumn<bool>("byEnter");
    QTest::addColumn<int>("raised");
    QTest::newRow("double click, read-only") << 0 << false << 1;
    QTest::newRow("double click, editable") << 2 << false << 1;
    QTest::newRow("Enter, read-only") << 0 << true << 1;
    QTest::newRow("Enter, editable: edits instead") << 2 << true << 0;
}

void DataGridTest::rowDoubleClick()
{
    QFETCH(int, editable);
    QFETCH(bool, byEnter);
    QFETCH(int, raised);
    DataGrid grid;
    showTree(grid);
    grid.setEditable(editable);
    QSignalSpy doubleClicks(&grid, &DataGrid::RowDoubleClick);

    auto [surface, point] = cellSpot(grid, 4, 1);
    if (byEnter) {
        setCurrent(grid, 4);
        UserInput::press(Qt::Key_Return);
    } else {
        UserInput::click(surface, point);
        UserInput::doubleClick(surface, point);
    }

    QCOMPARE(doubleClicks.size(), raised);
    QCOMPARE(grid.Row(), 4);
    QCOMPARE(grid.IsEditing(), byEnter && editable != 0);
}

void DataGridTest::dropReachesDragDropWithMouseRow_data()
{
    QTest::addColumn<int>("dropMode");
    QTest::addColumn<int>("target");
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("drops");
    QTest::newRow("on a folder") << 1 << 5 << DataGrid::rowMimeType() << 1;
    QTest::newRow("on an associate") << 1 << 3 << DataGrid::rowMimeType() << 1;
    QTest::newRow("not a grid row") << 1 << 5 << QStringLiteral("text/plain") << 0;
    QTest::newRow("drops refused") << 0 << 5 << DataGrid::rowMimeType() << 0;
}

void DataGridTest::dropReachesDragDropWithMouseRow()
{
    QFETCH(int, dropMode);
    QFETCH(int, target);
    QFETCH(QString, format);
    QFETCH(int, drops);
    DataGrid grid;
    showTree(grid);
    grid.setDropMode(dropMode);
    QList<QList<int>> seen;
    connect(&grid, &DataGrid::DragDrop, this, [&](const QVariant &data, int effect, int, int shift, int, int) {
        seen.append({data.toInt(), effect, shift, grid.MouseRow(), grid.MouseCol()});
    });

    // Given a drag of row 7 held over the target row's name,
    QMimeData mime;
    mime.setData(format, "7");
    // when it is dropped there as a move,
    const bool accepted = dropAt(cellSpot(grid, target, 1), mime);

    // then DragDrop has the dragged row, while MouseRow is the row under the drop.
    QCOMPARE(accepted, drops > 0);
    QCOMPARE(seen.size(), drops);
    if (drops)
        QCOMPARE(seen.first(), (QList<int>{7, DataGrid::DropMove, 0, target, 1}));
}

void DataGridTest::geometryIsInTwips()
{
    DataGrid grid;
    showTree(grid);
    grid.setColumnWidth(1, 3400);
    setCurrent(grid, 4);

    const QRect cell = grid.CellRect(4, 1);
    QCOMPARE(cell.width(), 227);  // 3400 twips at 15 to the pixel
    QCOMPARE(grid.CellLeft(), cell.left() * 15);
    QCOMPARE(grid.CellTop(), cell.top() * 15);
    QCOMPARE(grid.RowHeight(4), cell.height() * 15);
    // The row below starts where a menu under the current cell would open.
    QCOMPARE(grid.CellRect(5, 1).top() * 15, grid.CellTop() + grid.RowHeight(4));
    grid.setRowHeight(4, 0);
    QVERIFY(grid.RowHidden(4));
    QVERIFY(grid.CellRect(4, 1).isEmpty());
}

void DataGridTest::aCellWrittenLaterWidensItsColumn()
{
    DataGrid grid;
    showTree(grid);
    const int fitted = grid.CellRect(4, 1).width();

    // A name written after the columns were fitted to theirs is not cut:
    // its column grows for it, and never shrinks for a shorter one.
    const QString longer = QStringLiteral("WASHINGTON-BARRINGTON, MAXIMILIAN");
    grid.setCellText(4, 1, longer);
    QCoreApplication::processEvents();
    QVERIFY(grid.CellRect(4, 1).width() > grid.fontMetrics().horizontalAdvance(longer));
    grid.setCellText(4, 1, QStringLiteral("DOE, BOB"));
    QVERIFY(grid.CellRect(4, 1).width() > fitted);
}

void DataGridTest::aThrowingHandlerStopsAtTheGrid()
{
    DataGrid grid;
    showTree(grid);
    connect(&grid, &DataGrid::RowDoubleClick, this, [] { throw std::runtime_error("host failed"); });
    setCurrent(grid, 4);

    QTest::ignoreMessage(QtWarningMsg, "DataGrid: an event failed: host failed");
    UserInput::press(Qt::Key_Return);  // would end the test run if it got through

    QCOMPARE(grid.Row(), 4);
}

void DataGridTest::outlineAsTheEditorDressesIt()
{
    TORVA_USE_ENGINE_ROW();
    ClientTwelveHost host;
    DataGrid &grid = *host.grid();
    const int name = grid.ColumnIndex(QStringLiteral("ASCNAM"));
    QCoreApplication::processEvents();

    // The folders carry their pictures, the hidden columns take no room,
    // the caption is bold and the current cell is the header's name.
    QCOMPARE(grid.Row(), grid.FixedRows());
    QCOMPARE(grid.Col(), name);
    QStringList shown;
    for (int col = 0; col < grid.Cols(); ++col) {
        QCOMPARE(grid.CellRect(2, col).isEmpty(), grid.ColumnHidden(col));
        if (!grid.ColumnHidden(col))
            shown << grid.ColumnKey(col);
    }
    QCOMPARE(shown, (QStringList{"RLTDSC", "ASCNAM", "ASCBDT", "ASCUDT", "ASCUSR"}));
    QVERIFY(qobject_cast<QTableView *>(grid.view())->horizontalHeader()->font().bold());
    QVERIFY(!grid.CellPicture(2, 0).isNull());
    QCOMPARE(grid.CellRect(1, 0).left(), grid.CellRect(2, 0).left());
    QVERIFY(grid.CellRect(2, 0).right() < grid.CellRect(2, name).left());
    const QString file = QDir::temp().filePath(QStringLiteral("datagrid-tree-%1.png").arg(engine));
    QVERIFY(grid.grab().save(file));
    qInfo("screenshot: %s", qPrintable(file));
}

QTEST_MAIN(DataGridTest)
#include "tst_datagrid.moc"
