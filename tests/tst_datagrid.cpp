#include "controls/datagrid.h"
#include "controls/imagelist.h"
#include "data/statements.h"
#include "fixtures.h"
#include "testdatabase.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QTableView>
#include <QtTest>

namespace {

// caption | header | Parents (2 associates) | Children (empty) | Siblings (1 associate)
void fillTree(DataGrid &grid)
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
}

// The widget under a cell's centre (or a point in it) and the point there.
QPair<QWidget *, QPoint> spot(DataGrid &grid, int row, int col, QPoint offset = QPoint(-1, -1))
{
    const QRect cell = grid.CellRect(row, col);
    const QPoint inGrid = offset.x() < 0 ? cell.center() : cell.topLeft() + offset;
    QWidget *target = grid.childAt(inGrid);
    return {target, target ? target->mapFrom(&grid, inGrid) : QPoint()};
}

void show(DataGrid &grid)
{
    grid.resize(520, 260);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QCoreApplication::processEvents();
}

} // namespace

class DataGridTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void hyperlinkClick();
    void contextMenuRequest_data();
    void contextMenuRequest();
    void beforeCellEditCancelsTheGridsEditor();
    void cellEditedAfterTheGridsOwnEditor();
    void mouseButtonPressCanTakeThePress();
    void foldersOpenAndCloseByMouseAndKeyboard();
    void rowDoubleClick_data();
    void rowDoubleClick();
    void dropReachesDragDropWithMouseRow_data();
    void dropReachesDragDropWithMouseRow();
    void geometryIsInTwips();
    void aThrowingHandlerStopsAtTheGrid();
    void demoTree_data() { TestDatabase::addEngineRows(); }
    void demoTree();
};

void DataGridTest::hyperlinkClick()
{
    DataGrid grid;
    fillTree(grid);
    grid.SetCellHyperlink(7, 1);
    show(grid);
    QList<QList<QVariant>> clicks;
    connect(&grid, &DataGrid::HyperlinkClick, this,
            [&clicks](int col, int row, const QString &text) { clicks.append({col, row, text}); });

    // A click on a plain cell is no link,
    auto [plainSurface, plainPoint] = spot(grid, 3, 1);
    QTest::mouseClick(plainSurface, Qt::LeftButton, {}, plainPoint);
    QVERIFY(clicks.isEmpty());
    // a click on the link reports its column, then its row.
    auto [linkSurface, linkPoint] = spot(grid, 7, 1);
    QTest::mouseMove(linkSurface, linkPoint);
    QCOMPARE(linkSurface->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(linkSurface, Qt::LeftButton, {}, linkPoint);
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
    fillTree(grid);
    show(grid);
    grid.setRow(3);
    grid.setCol(1);
    QList<QPair<int, bool>> requests;
    connect(&grid, &DataGrid::ContextMenuRequest, this,
            [&requests](int requestRow, bool mouse) { requests.append({requestRow, mouse}); });

    if (byMouse) {
        auto [surface, point] = spot(grid, row, row == 5 ? 0 : 1);
        QContextMenuEvent event(QContextMenuEvent::Mouse, point, surface->mapToGlobal(point));
        QCoreApplication::sendEvent(surface, &event);
    } else {
        // The platform sends the menu key's request to the focus widget.
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(5, 5), grid.view()->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(grid.view(), &event);
        QTest::keyClick(grid.view(), Qt::Key_F10, Qt::ShiftModifier);
    }

    const QList<QPair<int, bool>> expected(byMouse ? 1 : 2, {row, byMouse});
    QCOMPARE(requests, expected);
}

void DataGridTest::beforeCellEditCancelsTheGridsEditor()
{
    DataGrid grid;
    fillTree(grid);
    grid.setEditable(OutlineModel::EditByKeyboardAndMouse);
    show(grid);
    QList<QPair<int, int>> asked;
    bool cancel = true;
    connect(&grid, &DataGrid::BeforeCellEdit, this, [&](int row, int col, bool &Cancel) {
        asked.append({row, col});
        Cancel = cancel;
    });

    // Cancelled: no editor, but the cell is current for whatever the handler opens.
    QVERIFY(!grid.BeginCellEdit(4, 1));
    QVERIFY(!grid.IsEditing());
    QCOMPARE(grid.Row(), 4);
    QCOMPARE(grid.Col(), 1);
    // Typing on a cell asks too.
    QTest::keyClick(grid.view(), Qt::Key_X);
    QVERIFY(!grid.IsEditing());
    QCOMPARE(grid.CellText(4, 1), QStringLiteral("DOE, BOB"));

    cancel = false;
    QVERIFY(grid.BeginCellEdit(4, 1));
    QVERIFY(grid.IsEditing());
    QCOMPARE(asked, (QList<QPair<int, int>>{{4, 1}, {4, 1}, {4, 1}}));

    // Fixed, hidden and hidden-row cells are not asked about at all.
    QVERIFY(!grid.BeginCellEdit(4, 0));
    grid.setRowHeight(3, 0);
    QVERIFY(!grid.BeginCellEdit(3, 1));
    QCOMPARE(asked.size(), 3);
}

void DataGridTest::cellEditedAfterTheGridsOwnEditor()
{
    DataGrid grid;
    fillTree(grid);
    grid.setEditable(OutlineModel::EditByKeyboardAndMouse);
    show(grid);
    QSignalSpy edited(&grid, &DataGrid::CellEdited);

    // Given the grid's editor on a name,
    QVERIFY(grid.BeginCellEdit(3, 1));
    auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(editor);
    // when a new name is typed over it and Enter pressed,
    QTest::keyClicks(editor, QStringLiteral("ROE, PAT"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!grid.IsEditing());  // the editor commits once the key has been handled
    // then the cell holds it and CellEdited names the cell.
    QCOMPARE(grid.CellText(3, 1), QStringLiteral("ROE, PAT"));
    QCOMPARE(edited.size(), 1);
    QCOMPARE(edited.at(0), (QVariantList{3, 1}));

    // A check box cell is ticked by Space.
    grid.setRow(4);
    grid.setCol(3);
    QTest::keyClick(grid.view(), Qt::Key_Space);
    QCOMPARE(grid.CellValue(4, 3), -1.0);
    QCOMPARE(edited.size(), 2);
    QCOMPARE(edited.at(1), (QVariantList{4, 3}));
}

void DataGridTest::mouseButtonPressCanTakeThePress()
{
    DataGrid grid;
    fillTree(grid);
    show(grid);
    grid.setRow(3);
    grid.setCol(1);
    QList<QList<int>> presses;
    bool take = true;
    connect(&grid, &DataGrid::MouseButtonPress, this, [&](int button, int shift, int, int, bool &Cancel) {
        presses.append({button, shift, grid.MouseRow(), grid.MouseCol()});
        Cancel = take;
    });

    auto [surface, point] = spot(grid, 4, 1);
    QTest::mousePress(surface, Qt::LeftButton, Qt::ControlModifier, point);
    QTest::mouseRelease(surface, Qt::LeftButton, Qt::ControlModifier, point);
    QCOMPARE(grid.Row(), 3);  // taken: the grid did nothing with it

    take = false;
    QTest::mouseClick(surface, Qt::LeftButton, {}, point);
    QCOMPARE(grid.Row(), 4);
    QCOMPARE(presses, (QList<QList<int>>{{DataGrid::LeftButton, DataGrid::CtrlKey, 4, 1}, {DataGrid::LeftButton, 0, 4, 1}}));
}

void DataGridTest::foldersOpenAndCloseByMouseAndKeyboard()
{
    DataGrid grid;
    fillTree(grid);
    show(grid);
    QSignalSpy viewChanges(&grid, &DataGrid::ViewChanging);

    // A click on the folder's expander closes it: its associates leave the screen.
    auto [surface, point] = spot(grid, 2, 0, QPoint(3 + 16 + 8, grid.CellRect(2, 0).height() / 2));
    QTest::mouseClick(surface, Qt::LeftButton, {}, point);
    QVERIFY(grid.RowCollapsed(2));
    QVERIFY(grid.CellRect(3, 1).isEmpty());
    QVERIFY(!grid.CellRect(5, 1).isEmpty());
    QCOMPARE(viewChanges.size(), 1);
    QCOMPARE(viewChanges.at(0).at(4).toInt(), int(DataGrid::OutlineChanged));

    // Plus opens the current folder, minus on an associate closes its folder and moves up to it.
    grid.setRow(2);
    grid.setCol(1);
    QTest::keyClick(grid.view(), Qt::Key_Plus);
    QVERIFY(!grid.RowCollapsed(2));
    QVERIFY(!grid.CellRect(3, 1).isEmpty());
    grid.setRow(7);
    QTest::keyClick(grid.view(), Qt::Key_Minus);
    QVERIFY(grid.RowCollapsed(6));
    QCOMPARE(grid.Row(), 6);

    // The arrow keys skip what is closed.
    grid.setRow(4);
    QTest::keyClick(grid.view(), Qt::Key_Down);
    QCOMPARE(grid.Row(), 5);
    QTest::keyClick(grid.view(), Qt::Key_Down);
    QTest::keyClick(grid.view(), Qt::Key_Down);
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
    fillTree(grid);
    grid.setEditable(editable);
    show(grid);
    QSignalSpy doubleClicks(&grid, &DataGrid::RowDoubleClick);

    auto [surface, point] = spot(grid, 4, 1);
    if (byEnter) {
        grid.setRow(4);
        grid.setCol(1);
        QTest::keyClick(grid.view(), Qt::Key_Return);
    } else {
        QTest::mouseClick(surface, Qt::LeftButton, {}, point);
        QTest::mouseDClick(surface, Qt::LeftButton, {}, point);
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
    fillTree(grid);
    grid.setDropMode(dropMode);
    show(grid);
    QList<QList<int>> seen;
    connect(&grid, &DataGrid::DragDrop, this, [&](const QVariant &data, int effect, int, int shift, int, int) {
        seen.append({data.toInt(), effect, shift, grid.MouseRow(), grid.MouseCol()});
    });

    // Given a drag of row 7 held over the target row's name,
    QMimeData mime;
    mime.setData(format, "7");
    auto [surface, point] = spot(grid, target, 1);
    QDragEnterEvent enter(point, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(surface, &enter);
    // when it is dropped there as a move,
    QDropEvent drop(point, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    drop.setDropAction(Qt::MoveAction);
    QCoreApplication::sendEvent(surface, &drop);

    // then DragDrop has the dragged row, while MouseRow is the row under the drop.
    QCOMPARE(enter.isAccepted(), drops > 0);
    QCOMPARE(seen.size(), drops);
    if (drops)
        QCOMPARE(seen.first(), (QList<int>{7, DataGrid::DropMove, 0, target, 1}));
}

void DataGridTest::geometryIsInTwips()
{
    DataGrid grid;
    fillTree(grid);
    grid.setColumnWidth(1, 3400);
    show(grid);
    grid.setRow(4);
    grid.setCol(1);

    const QRect cell = grid.CellRect(4, 1);
    QCOMPARE(cell.width(), 227);  // 3400 twips at 15 to the pixel
    QCOMPARE(grid.ColumnWidth(1), 3400);
    QCOMPARE(grid.CellLeft(), cell.left() * 15);
    QCOMPARE(grid.CellTop(), cell.top() * 15);
    QCOMPARE(grid.RowHeight(4), cell.height() * 15);
    // The row below starts where a menu under the current cell would open.
    QCOMPARE(grid.CellRect(5, 1).top() * 15, grid.CellTop() + grid.RowHeight(4));
    grid.setRowHeight(4, 0);
    QVERIFY(grid.RowHidden(4));
    QVERIFY(grid.CellRect(4, 1).isEmpty());
}

void DataGridTest::aThrowingHandlerStopsAtTheGrid()
{
    DataGrid grid;
    fillTree(grid);
    show(grid);
    connect(&grid, &DataGrid::RowDoubleClick, this, [] { throw std::runtime_error("host failed"); });
    grid.setRow(4);
    grid.setCol(1);

    QTest::ignoreMessage(QtWarningMsg, "DataGrid: an event failed: host failed");
    QTest::keyClick(grid.view(), Qt::Key_Return);  // would end the test run if it got through

    QCOMPARE(grid.Row(), 4);
}

void DataGridTest::demoTree()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    Fixtures::addRelationship(1, QStringLiteral("Parent"), QStringLiteral("Child"));
    Fixtures::addRelationship(21, QStringLiteral("Sibling"), QStringLiteral("Sibling"));
    Fixtures::addRelationship(30, QStringLiteral("Attorney"), QStringLiteral("Attorney"));
    Fixtures::addClient(12, QStringLiteral("DOE, JANE"), 19750615);
    Fixtures::addClient(7, QStringLiteral("DOE, BABY"), 20100304);
    Fixtures::addParty(5, QStringLiteral("SMITH, PAT"), 19600101);
    Fixtures::addParty(6, QStringLiteral("DOE, SAM"), 19781111);
    Fixtures::addParty(8, QStringLiteral("O'BRIEN, ANN"), 19800202);
    Fixtures::addAssociation(QStringLiteral("P"), 5, 1, QStringLiteral("C"), 12);
    Fixtures::addAssociation(QStringLiteral("C"), 12, 1, QStringLiteral("C"), 7);
    Fixtures::addAssociation(QStringLiteral("C"), 12, 21, QStringLiteral("P"), 6);
    Fixtures::addAssociation(QStringLiteral("P"), 8, 21, QStringLiteral("C"), 12);
    ImageList images;
    DataGrid grid;
    grid.resize(560, 300);
    grid.setBackColor(QColor(233, 243, 249));

    // Loaded and dressed the way the associations editor does it,
    grid.BeginLoad(true);
    grid.setFixedCols(0);
    grid.LoadQuery(Statements::associationTree(QStringLiteral("C")),
                   QVariantList{12, QStringLiteral("C"), 12, QStringLiteral("C"), 12}, -1, QStringLiteral("ROWOUTLVL"));
    const int name = grid.ColumnIndex(QStringLiteral("ASCNAM"));
    for (int row = grid.FixedRows(); row < grid.Rows(); ++row) {
        if (grid.RowLevel(row) == 0) {
            grid.setCellPicture(row, 0, images.Picture(QStringLiteral("FolderOpen")));
            grid.setCellText(row, 0, QStringLiteral("Client 00012"));
            grid.setCellFontBold(row, 0, true);
        } else if (grid.RowLevel(row) == 1) {
            grid.setCellPicture(row, 0, images.Picture(QStringLiteral("Folder")));
            const QString singular = grid.CellText(row, 0);
            grid.setCellText(row, 0, singular + (singular.toUpper().contains("CHILD") ? "ren" : "s"));
        } else {
            grid.setCellText(row, 0, grid.CellText(row, grid.ColumnIndex(QStringLiteral("ORGFLG1"))) == "C"
                                             && grid.CellValue(row, grid.ColumnIndex(QStringLiteral("ORGKEY1"))) == 12
                                         ? QStringLiteral("Party")
                                         : QStringLiteral("Client"));
            grid.setRowIsNode(row, false);
        }
    }
    grid.Outline(0);
    grid.setFixedCols(1);
    grid.EndLoad(false, true, true);
    grid.setColumnWidth(name, 3400);
    for (const QString &key : {"HASINVCOD", "OLDRCD", "CHGRCD"})
        grid.setColumnType(grid.ColumnIndex(key), OutlineModel::BooleanType);
    const QStringList captions{"", "Name", "DOB", "Changed", "User"};
    const QStringList shown{"RLTDSC", "ASCNAM", "ASCBDT", "ASCUDT", "ASCUSR"};
    for (int at = 0; at < shown.size(); ++at)
        grid.setCellText(0, grid.ColumnIndex(shown.at(at)), captions.at(at));
    grid.setColumnIsDate(grid.ColumnIndex(QStringLiteral("ASCBDT")), true);
    grid.ShowColumns(grid.FixedCols(), grid.ColumnIndex(QStringLiteral("HASINVCOD")), false);
    grid.ShowColumns(grid.ColumnIndex(QStringLiteral("ORGFLG1")), grid.Cols() - 1, false);
    grid.setCellFontBold(grid.FixedRows(), name, true);
    grid.setRedraw(true);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QCoreApplication::processEvents();

    // then the folders carry their pictures, the hidden columns take no room,
    // the caption is bold and the current row is the header.
    QCOMPARE(grid.Row(), grid.FixedRows());
    QCOMPARE(grid.Col(), name);
    for (int col = 0; col < grid.Cols(); ++col)
        QCOMPARE(grid.CellRect(2, col).isEmpty(), !shown.contains(grid.ColumnKey(col)));
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
