#include "associationhost.h"

#include "controls/datagrid.h"

#include <QAbstractItemView>
#include <QMimeData>
#include <QTest>

AssociationHost::AssociationHost()
    : editor(new PartiesEditor(&window))
{
    window.resize(760, 560);
    editor->resize(window.size());
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window))
        qWarning("the associations editor's window did not become active");
}

DataGrid *AssociationHost::grid() const
{
    return editor->grid();
}

void AssociationHost::load(const QString &user, const QString &mode, const QString &kind, int key)
{
    editor->UserMode = mode;
    editor->LoadRecords(user, kind, key);
}

void AssociationHost::select(int row)
{
    grid()->setRow(row);
    grid()->setCol(grid()->ColumnIndex(QStringLiteral("ASCNAM")));
    grid()->view()->setFocus();
}

QPair<QWidget *, QPoint> AssociationHost::spot(int row, const char *key) const
{
    const QRect cell = grid()->CellRect(row, grid()->ColumnIndex(QLatin1String(key)));
    const QPoint inGrid = cell.center();
    QWidget *target = grid()->childAt(inGrid);
    return {target, target ? target->mapFrom(grid(), inGrid) : QPoint()};
}

int AssociationHost::pressToDrag(int row, Qt::KeyboardModifiers modifiers, Qt::MouseButton button)
{
    int effects = 0;
    const auto connection = QObject::connect(grid(), &DataGrid::DragStart, grid(), [&effects](const QVariant &, int &allowed) {
        effects = allowed;
        allowed = DataGrid::DropNone;
    }, Qt::DirectConnection);
    auto [surface, point] = spot(row);
    QTest::mousePress(surface, button, modifiers, point);
    QTest::mouseRelease(surface, button, modifiers, point);
    QObject::disconnect(connection);
    return effects;
}

void AssociationHost::dropOn(int row, int draggedRow)
{
    auto [surface, point] = spot(row);
    QMimeData mime;
    mime.setData(DataGrid::rowMimeType(), QByteArray::number(draggedRow));
    QDragEnterEvent enter(point, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(surface, &enter);
    QDropEvent drop(point, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    drop.setDropAction(Qt::MoveAction);
    QCoreApplication::sendEvent(surface, &drop);
}
