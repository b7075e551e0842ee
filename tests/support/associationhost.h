#pragma once

#include "parties_editor/partieseditor.h"

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
    QWidget *nextField;  // the host's field after the editor: where a lost keyboard would go

    DataGrid *grid() const { return editor->grid(); }
    // Loads client 12 as the user.
    void load(const QString &user = QStringLiteral("JSMITH"), const QString &mode = QStringLiteral("*EDIT"));
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
    // Drags data in this format (the grid's own: the dragged row) over a
    // row's name and drops it there as a move; says whether the drag was accepted.
    bool dropOn(int row, int draggedRow, const QString &format = QString());
    // Opens the folder's menu by the keyboard and picks New: a new associate,
    // the name search open on it; returns its row.
    int newAssociate(const QString &folder);
};

// The usual Given: client 12 and its associations on file
// (AssociationFixture::seedClientTwelve) and an editor loaded with it.
class ClientTwelveHost : public AssociationHost
{
public:
    explicit ClientTwelveHost(const QString &user = QStringLiteral("JSMITH"), const QString &mode = QStringLiteral("*EDIT"));
};

// The widget under a grid's cell (its centre, or the point this far from its
// top left corner) and the point there.
QPair<QWidget *, QPoint> cellSpot(const DataGrid &grid, int row, int col, QPoint offset = QPoint(-1, -1));

} // namespace Torva
