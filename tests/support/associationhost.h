#pragma once

#include "parties_editor/partieseditor.h"

#include <QMimeData>
#include <QPoint>
#include <QString>
#include <QWidget>

namespace Torva {

class DataGrid;

// An associations editor in a shown, active window, loaded with a client,
// and the user's gestures on its outline.
class AssociationHost
{
public:
    AssociationHost();

    QWidget window;
    PartiesEditor *editor;

    DataGrid *grid() const;
    // Loads client 12 (or another subject) as the user.
    void load(const QString &user = QStringLiteral("JSMITH"), const QString &mode = QStringLiteral("*EDIT"),
              const QString &kind = QStringLiteral("C"), int key = 12);
    // A row by what a test calls it: "caption", "header" (the subject itself),
    // an associate's name (it holds a comma; empty for the one whose party is
    // gone) or a folder's name.
    int row(const QString &name) const;
    // Makes the row's name cell the current cell.
    void select(int row);
    // The widget under a cell and the point there.
    QPair<QWidget *, QPoint> spot(int row, const char *key = "ASCNAM") const;
    // A mouse press on a row's name cell; keeps the grid from running a real
    // drag (which needs a screen) but records the effects the drag was given.
    int pressToDrag(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier, Qt::MouseButton button = Qt::LeftButton);
    // Drops the dragged row on a row (as the grid reports a drop).
    void dropOn(int row, int draggedRow);
};

// The usual Given: client 12 and its associations on file
// (AssociationFixture::seedClientTwelve) and an editor loaded with it.
class ClientTwelveHost : public AssociationHost
{
public:
    explicit ClientTwelveHost(const QString &user = QStringLiteral("JSMITH"), const QString &mode = QStringLiteral("*EDIT"));
};

// Makes a row's name cell the current cell of an associations outline.
void selectName(DataGrid *grid, int row);
// The widget under a grid's cell (its centre, or the point this far from its
// top left corner) and the point there.
QPair<QWidget *, QPoint> cellSpot(const DataGrid &grid, int row, int col, QPoint offset = QPoint(-1, -1));
// Drags the data over a spot and drops it there as a move; says whether the drag was accepted.
bool dropAt(QPair<QWidget *, QPoint> spot, QMimeData &mime);

} // namespace Torva
