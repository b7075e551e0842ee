#include "associationhost.h"

#include "associationfixture.h"
#include "userinput.h"

#include "controls/datagrid.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTest>

namespace Torva {

AssociationHost::AssociationHost()
    : editor(new PartiesEditor(&window))
    , nextField(new QLineEdit(&window))
{
    window.resize(760, 590);
    editor->resize(760, 560);
    nextField->setGeometry(0, 560, 760, 30);
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window))
        qWarning("the associations editor's window did not become active");
}

void AssociationHost::load(const QString &user, const QString &mode)
{
    editor->UserMode = mode;
    editor->LoadRecords(user, QStringLiteral("C"), 12);
}

int AssociationHost::row(const QString &name) const
{
    if (name == QLatin1String("caption"))
        return 0;
    if (name == QLatin1String("header"))
        return grid()->FixedRows();
    if (name.isEmpty() || name.contains(QLatin1Char(',')))
        return AssociationFixture::rowOf(*editor, 2, name, "ASCNAM");
    return AssociationFixture::rowOf(*editor, 1, name);
}

void AssociationHost::select(int row)
{
    grid()->setRow(row);
    grid()->setCol(grid()->ColumnIndex(QStringLiteral("ASCNAM")));
    grid()->view()->setFocus();
}

ClientTwelveHost::ClientTwelveHost(const QString &user, const QString &mode)
{
    AssociationFixture::seedClientTwelve();
    load(user, mode);
}

QPair<QWidget *, QPoint> AssociationHost::spot(int row, const char *key) const
{
    return cellSpot(*grid(), row, grid()->ColumnIndex(QLatin1String(key)));
}

QPair<QWidget *, QPoint> cellSpot(const DataGrid &grid, int row, int col, QPoint offset)
{
    const QRect cell = grid.CellRect(row, col);
    const QPoint inGrid = offset.x() < 0 ? cell.center() : cell.topLeft() + offset;
    QWidget *target = grid.childAt(inGrid);
    return {target, target ? target->mapFrom(&grid, inGrid) : QPoint()};
}

int AssociationHost::pressToDrag(int row, Qt::KeyboardModifiers modifiers, Qt::MouseButton button)
{
    int effects = 0;
    const auto connection = QObject::connect(grid(), &DataGrid::DragStart, grid(), [&effects](const QVariant &, int &allowed) {
        effects = allowed;
        allowed = DataGrid::DropNone;
    }, Qt::DirectConnection);
    auto [surface, point] = spot(row);
    UserInput::pressMouse(surface, point, button, modifiers);
    UserInput::releaseMouse(surface, point, button, modifiers);
    QObject::disconnect(connection);
    return effects;
}

bool AssociationHost::dropOn(int row, int draggedRow, const QString &format)
{
    QMimeData mime;
    mime.setData(format.isEmpty() ? DataGrid::rowMimeType() : format, QByteArray::number(draggedRow));
    auto [surface, point] = spot(row);
    QDragEnterEvent enter(point, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(surface, &enter);
    QDropEvent drop(point, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    drop.setDropAction(Qt::MoveAction);
    QCoreApplication::sendEvent(surface, &drop);
    return enter.isAccepted();
}

int AssociationHost::newAssociate(const QString &folder)
{
    select(row(folder));
    UserInput::keys(QStringLiteral("{Shift+F10}"));
    if (!QTest::qWaitFor([this] { return editor->popupMenu()->isVisible(); }))
        qWarning("the folder's menu did not open");
    UserInput::type(QStringLiteral("n"));
    return grid()->Row();
}

} // namespace Torva
