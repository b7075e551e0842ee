#pragma once

#include "parties_editor/partieseditor.h"

#include <QPoint>
#include <QString>
#include <QWidget>

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
