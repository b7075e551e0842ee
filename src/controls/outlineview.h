#pragma once

#include <QTableView>

namespace Torva {

class OutlineDelegate;
class OutlineModel;

// The table view of the outline grid. It keeps itself in step with its
// OutlineModel (rows shown, row heights, column widths and visibility), keeps
// the model's fixed columns in place while the rest scrolls, by a second
// view laid over its left edge, and asks before any of its own editors opens.
class OutlineView : public QTableView
{
    Q_OBJECT

public:
    explicit OutlineView(QWidget *parent = nullptr);

    void setOutlineModel(OutlineModel *model);
    OutlineModel *outlineModel() const { return m_model; }
    void setOutlineDelegate(OutlineDelegate *delegate);
    // The view over the fixed columns; hidden while there are none.
    QTableView *fixedView() const { return m_fixed; }

    // Row height in pixels for rows without a height of their own.
    void setDefaultRowHeight(int pixels);
    int defaultRowHeight() const;

    // Brings rows and columns in line with the model now rather than later.
    void syncNow();
    // Fits the shown columns without a width of their own to their contents;
    // otherwise a column is fitted once, when it is first shown.
    void fitColumns();
    // The cell at a point of this view's own coordinates: row 0 over the
    // caption; -1 for either where there is no cell.
    QPair<int, int> cellAt(const QPoint &point) const;
    // A cell's rectangle in this view's own coordinates (empty when not shown).
    QRect cellRect(int row, int col) const;
    // The model index under a point of this view's coordinates, in whichever view shows it.
    QModelIndex indexAtPoint(const QPoint &point) const;
    // The first and last data column the cursor may stand on.
    int firstNavigableColumn() const;
    bool isEditing() const { return state() == EditingState; }
    // Opens the view's editor on a cell, after asking through editRequested.
    bool beginEdit(const QModelIndex &index);

    // Scrolls as the base does, then keeps the cell out from under the fixed columns.
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;

    // Every widget that receives the mouse over cells or captions.
    QList<QWidget *> mouseSurfaces() const;

Q_SIGNALS:
    // Before an editor opens on a cell; a handler connected directly may cancel it.
    void editRequested(int row, int col, bool &cancel);
    // An editor of the view wrote a changed text into a cell.
    void cellCommitted(int row, int col);

protected:
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void commitData(QWidget *editor) override;
    void resizeEvent(QResizeEvent *event) override;
    void updateGeometries() override;

private:
    // Widens a fitted column for a cell of one row that no longer fits.
    void widenForCells(const QModelIndex &topLeft, const QModelIndex &bottomRight);
    void scheduleSync();
    void syncRows();
    void syncColumns();
    int fixedWidth() const;
    void placeFixedView();

    OutlineModel *m_model = nullptr;
    QTableView *m_fixed = nullptr;
    bool m_syncPending = false;
    bool m_rowsDirty = true;
    bool m_columnsDirty = true;
    QList<bool> m_fitted;  // per column: fitted to its contents since the columns last changed
};

} // namespace Torva
