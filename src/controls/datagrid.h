#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <TORVAProbationParties/controls/inputevents.h>

#include <TORVAProbationParties/controls/outlinedelegate.h>
#include <TORVAProbationParties/controls/outlinemodel.h>

#include <QColor>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QVariant>
#include <QWidget>

#include <functional>

class QAbstractItemView;
class QMimeData;

namespace Torva {

class OutlineView;
class TableObject;

/// The outline grid: rows with outline levels shown as a tree with folders,
/// pictures, hyperlinks and check boxes, a fixed caption row and fixed columns
/// at the left, cell editing and drag and drop. Row 0 is the caption row; data
/// rows run from FixedRows to Rows - 1. All that it knows lives in its
/// OutlineModel; this widget adds the screen, the mouse and the keyboard.
///
/// Positions and sizes (CellTop, CellLeft, ColumnWidth, RowHeight, the X and Y
/// of MouseButtonPress and DragDrop) are in twips of the grid's own
/// coordinates, like its design settings; CellRect gives pixels.
///
/// Signals with a reference argument (BeforeCellEdit, MouseButtonPress,
/// DragStart) need a direct connection: the grid reads the argument back when
/// the handler returns. Handlers must not throw; the grid catches what a
/// handler lets through at its own event boundary and drops it.
class TORVA_EXPORT DataGrid : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int Rows READ Rows WRITE setRows)
    Q_PROPERTY(int Cols READ Cols WRITE setCols)
    Q_PROPERTY(int FixedRows READ FixedRows WRITE setFixedRows)
    Q_PROPERTY(int FixedCols READ FixedCols WRITE setFixedCols)
    Q_PROPERTY(int Row READ Row WRITE setRow)
    Q_PROPERTY(int Col READ Col WRITE setCol)
    Q_PROPERTY(int Editable READ Editable WRITE setEditable)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled)
    Q_PROPERTY(QColor ForeColor READ ForeColor WRITE setForeColor)
    Q_PROPERTY(QColor ForeColorSel READ ForeColorSel WRITE setForeColorSel)
    Q_PROPERTY(QColor BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(QColor BackColorAlternate READ BackColorAlternate WRITE setBackColorAlternate)
    Q_PROPERTY(QColor BackColorFixed READ BackColorFixed WRITE setBackColorFixed)
    Q_PROPERTY(QColor BackColorSel READ BackColorSel WRITE setBackColorSel)
    Q_PROPERTY(QColor BackColorBkg READ BackColorBkg WRITE setBackColorBkg)
    Q_PROPERTY(bool GridLines READ GridLines WRITE setGridLines)
    Q_PROPERTY(bool AllowUserResizing READ AllowUserResizing WRITE setAllowUserResizing)
    Q_PROPERTY(int DropMode READ DropMode WRITE setDropMode)
    Q_PROPERTY(int EditSetting READ EditSetting WRITE setEditSetting)
    Q_PROPERTY(bool Redraw READ Redraw WRITE setRedraw)

public:
    /// Button and Shift codes of MouseButtonPress and DragDrop, and effect bits of drags.
    enum MouseButton {
        LeftButton = InputEvents::LeftButton,
        RightButton = InputEvents::RightButton,
        MiddleButton = InputEvents::MiddleButton
    };
    enum ShiftState { ShiftKey = InputEvents::ShiftKey, CtrlKey = InputEvents::CtrlKey, AltKey = InputEvents::AltKey };
    enum DropEffect { DropNone = 0, DropCopy = 1, DropMove = 2 };
    /// Why ViewChanging was raised.
    enum ViewChange { Scrolled = 0, OutlineChanged = 1, ColumnsResized = 2 };

    explicit DataGrid(QWidget *parent = nullptr);
    ~DataGrid() override;

    /// Shape.
    int Rows() const { return m_model->Rows(); }
    void setRows(int rows) { m_model->setRows(rows); }
    int Cols() const { return m_model->Cols(); }
    void setCols(int cols) { m_model->setCols(cols); }
    int FixedRows() const { return m_model->FixedRows(); }
    void setFixedRows(int rows) { m_model->setFixedRows(rows); }
    int FixedCols() const { return m_model->FixedCols(); }
    void setFixedCols(int cols);
    /// The current cell; -1 when there is none.
    int Row() const;
    void setRow(int row);
    int Col() const;
    void setCol(int col);
    /// The cell under the mouse pointer (or under a drop); -1 outside the cells.
    int MouseRow() const { return m_mouseRow; }
    int MouseCol() const { return m_mouseCol; }
    /// The current cell's edges and size, in twips of the grid's coordinates.
    int CellTop() const;
    int CellLeft() const;
    int CellWidth() const;
    int CellHeight() const;
    /// A cell's rectangle in pixels of the grid's coordinates; empty when the cell is not shown.
    QRect CellRect(int row, int col) const;
    /// 0 no editing, 1 by keyboard, 2 by keyboard and mouse.
    int Editable() const { return m_model->Editable(); }
    void setEditable(int mode);
    /// The grid's own enabled flag, whatever its parent's state.
    bool Enabled() const { return !testAttribute(Qt::WA_ForceDisabled); }
    QColor ForeColor() const;
    void setForeColor(const QColor &color);

    /// Cells.
    QString CellText(int row, int col) const { return m_model->CellText(row, col); }
    void setCellText(int row, int col, const QString &text) { m_model->setCellText(row, col, text); }
    double CellValue(int row, int col) const { return m_model->CellValue(row, col); }
    QString CellData(int row, int col) const { return m_model->CellData(row, col); }
    void setCellData(int row, int col, const QString &data) { m_model->setCellData(row, col, data); }
    QPixmap CellPicture(int row, int col) const { return m_model->CellPicture(row, col); }
    void setCellPicture(int row, int col, const QPixmap &picture) { m_model->setCellPicture(row, col, picture); }
    /// Invalid for a cell in the grid's ForeColor.
    QColor CellForeColor(int row, int col) const { return m_model->CellForeColor(row, col); }
    void setCellForeColor(int row, int col, const QColor &color) { m_model->setCellForeColor(row, col, color); }
    bool CellFontBold(int row, int col) const { return m_model->CellFontBold(row, col); }
    void setCellFontBold(int row, int col, bool bold) { m_model->setCellFontBold(row, col, bold); }
    bool CellFontUnderline(int row, int col) const { return m_model->CellFontUnderline(row, col); }
    /// Switching the underline off also ends a hyperlink.
    void setCellFontUnderline(int row, int col, bool on) { m_model->setCellFontUnderline(row, col, on); }
    bool IsCellHyperlink(int row, int col) const { return m_model->IsCellHyperlink(row, col); }
    /// Makes the cell a link: link colour, underline, pointing cursor, HyperlinkClick when clicked.
    void SetCellHyperlink(int row, int col);
    bool CanEditCell(int row, int col) const;
    /// Makes the cell current and opens an editor on it, after BeforeCellEdit;
    /// false when the cell cannot be edited or a handler cancelled.
    bool BeginCellEdit(int row, int col);
    /// Whether the grid's own editor is open.
    bool IsEditing() const;
    /// Shows a message at the cell, makes it current and marks it until its text changes.
    void ShowCellError(int row, int col, const QString &message);

    /// Columns.
    int ColumnIndex(const QString &key) const { return m_model->ColumnIndex(key); }
    QString ColumnKey(int col) const { return m_model->ColumnKey(col); }
    void setColumnKey(int col, const QString &key) { m_model->setColumnKey(col, key); }
    /// Width in twips; -1 fits the column to its contents.
    int ColumnWidth(int col) const;
    void setColumnWidth(int col, int twips) { m_model->setColumnWidth(col, twips); }
    OutlineModel::DataType ColumnType(int col) const { return m_model->ColumnType(col); }
    void setColumnType(int col, OutlineModel::DataType type) { m_model->setColumnType(col, type); }
    /// A date column shows its yyyymmdd numbers as MM/dd/yyyy.
    bool ColumnIsDate(int col) const { return m_model->ColumnIsDate(col); }
    void setColumnIsDate(int col, bool isDate) { m_model->setColumnIsDate(col, isDate); }
    bool ColumnHidden(int col) const { return m_model->ColumnHidden(col); }
    /// Hiding the current cell's column moves the current cell to the first column shown.
    void ShowColumns(int first, int last, bool visible);

    /// Outline.
    int RowLevel(int row) const { return m_model->RowLevel(row); }
    void setRowLevel(int row, int level) { m_model->setRowLevel(row, level); }
    bool RowIsNode(int row) const { return m_model->RowIsNode(row); }
    void setRowIsNode(int row, bool isNode) { m_model->setRowIsNode(row, isNode); }
    /// 1 the parent, 2 the first child, 3 the last child; -1 when there is none.
    int NodeRow(int row, int which) const { return m_model->NodeRow(row, which); }
    bool RowCollapsed(int row) const { return m_model->RowCollapsed(row); }
    void setRowCollapsed(int row, bool collapsed);
    /// Height in twips; 0 hides the row, -1 gives it the default height back.
    int RowHeight(int row) const;
    void setRowHeight(int row, int twips) { m_model->setRowHeight(row, twips); }
    bool RowHidden(int row) const { return m_model->RowHidden(row); }

    /// Rows.
    /// Puts a row of tab-separated cell texts at index row (at the end when
    /// out of range) and returns its index.
    int InsertRow(const QString &text, int level, bool isNode, int row);
    void RemoveRow(int row) { m_model->RemoveRow(row); }
    /// Runs a select with positional parameters (a list in marker order) and
    /// fills the grid with its rows below the caption row: one column per
    /// field, keyed by field name in select order, each row's level from the
    /// field levelColumn. maxRows < 0 reads every row. A failure raises the
    /// table object's Error signal and then throws DataAccessError.
    bool LoadQuery(const QString &statement, const QVariant &parameters = QVariant(), int maxRows = -1,
                   const QString &levelColumn = QString());
    /// The table object LoadQuery runs on; forward its Error signal.
    TableObject &tableObject();

    /// Starts dragging the current row: DragStart says which effects it may
    /// have; false when the row cannot be dragged or no effect is allowed.
    bool StartDrag();
    /// 0: drops are refused; 1: drops of grid rows are reported by DragDrop.
    int DropMode() const { return m_dropMode; }
    void setDropMode(int mode);

    /// Calls that tune the grid's own behaviour.
    /// How the grid's own editor opens: 0 with its text selected, 1 with the caret at the end.
    int EditSetting() const { return m_editSetting; }
    void setEditSetting(int setting);
    /// The look for reading: a font of its own and whether long texts wrap.
    void SetViewDisplay(bool wordWrap, const QString &fontName, double pointSize, bool bold, bool italic);
    /// The look for editing: the grid's own font again.
    void SetEditDisplay(bool wordWrap);
    /// Before filling the grid: stop painting when asked, so that thousands of
    /// cell changes cost one repaint at the end.
    void BeginLoad(bool suspendRedraw);
    /// After filling it: keep or reset the current cell, allow editing or not
    /// (Editable 2 or 0), fit the columns without a width of their own.
    void EndLoad(bool keepCurrentCell, bool allowEditing, bool fitColumns);
    /// Expands every folder at fromLevel or deeper; 0 opens the whole outline.
    void Outline(int fromLevel);
    /// Whether the grid paints; switching it on brings the screen up to date.
    bool Redraw() const { return m_redraw; }
    void setRedraw(bool redraw);
    /// For a row just inserted: expands the folders above it and scrolls it into view.
    void ShowRow(int row);
    /// Makes a row the current one, keeping the current column where it can.
    void SelectRow(int row);
    /// Fits the columns without a width of their own to what they show.
    void FitColumns();

    /// Colours and lines.
    QColor ForeColorSel() const { return m_delegate->colors().foreSelected; }
    void setForeColorSel(const QColor &color);
    QColor BackColor() const { return m_delegate->colors().back; }
    void setBackColor(const QColor &color);
    QColor BackColorAlternate() const { return m_delegate->colors().backAlternate; }
    void setBackColorAlternate(const QColor &color);
    QColor BackColorFixed() const { return m_delegate->colors().backFixed; }
    void setBackColorFixed(const QColor &color);
    QColor BackColorSel() const { return m_delegate->colors().backSelected; }
    void setBackColorSel(const QColor &color);
    QColor BackColorBkg() const;
    void setBackColorBkg(const QColor &color);
    bool GridLines() const { return m_delegate->gridLines(); }
    void setGridLines(bool on);
    bool AllowUserResizing() const;
    void setAllowUserResizing(bool allow);
    QColor LinkColor() const;

    OutlineModel *model() const { return m_model; }
    /// The view showing the cells; its viewport receives the mouse and drops.
    QAbstractItemView *view() const;

    /// The format a drag of grid rows carries.
    static QString rowMimeType();

Q_SIGNALS:
    /// The context menu is asked for on a row, by the mouse (at the pointer)
    /// or by the keyboard (for the current row).
    void ContextMenuRequest(int Row, bool ByMouse);
    /// A data row was double-clicked, or Enter was pressed on a cell that cannot be edited.
    void RowDoubleClick();
    /// Before any editor opens on a cell; set Cancel to keep the grid's own editor shut.
    void BeforeCellEdit(int Row, int Col, bool &Cancel);
    /// The user changed a cell with the grid's own editor or by ticking a check box.
    void CellEdited(int Row, int Col);
    /// The cells shown are moving: a scroll, a folder opened or closed, a column resized.
    void ViewChanging(int OldTopRow, int OldLeftCol, int NewTopRow, int NewLeftCol, int Reason);
    /// A hyperlink cell was clicked.
    void HyperlinkClick(int Col, int Row, const QString &Text);
    /// Before the grid handles a mouse press; set Cancel to leave the press alone.
    void MouseButtonPress(int Button, int Shift, int X, int Y, bool &Cancel);
    /// A drag is starting with Data (the row dragged); set the effects it may have (1 copy, 2 move).
    void DragStart(const QVariant &Data, int &AllowedEffects);
    /// Rows were dropped on the grid; MouseRow and MouseCol give the cell under the drop.
    void DragDrop(const QVariant &Data, int Effect, int Button, int Shift, int X, int Y);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    bool handleEvent(QWidget *surface, QEvent *event);
    bool mousePressed(QWidget *surface, QMouseEvent *event);
    bool mouseReleased(QWidget *surface, QMouseEvent *event);
    bool mouseDoubleClicked(QWidget *surface, QMouseEvent *event);
    void mouseMoved(QWidget *surface, QMouseEvent *event);
    bool keyPressed(QKeyEvent *event);
    bool dragEvent(QWidget *surface, QEvent *event);
    void contextMenu(QWidget *surface, QContextMenuEvent *event);
    void trackMouse(QWidget *surface, const QPoint &position);
    QPoint toGrid(QWidget *surface, const QPoint &position) const;
    /// Ticks or clears a Boolean cell for the user.
    void toggleCheck(int row, int col);
    void toggleNode(int row, bool collapse);
    void keepCurrentCellShown();
    void setColor(QColor OutlineDelegate::Colors::*which, const QColor &color);
    void updateColors();
    void updateEditTriggers();
    void applyDisplayFont(const QFont &font, bool wordWrap);
    void viewScrolled();
    void emitViewChanging(int reason);
    QMimeData *dragData(int row) const;

    OutlineModel *m_model;
    OutlineDelegate *m_delegate;
    OutlineView *m_view;
    QTimer m_clickEditTimer;  // a click on the current cell edits it unless a double click follows

    int m_mouseRow = -1;
    int m_mouseCol = -1;
    int m_topRow = 0;
    int m_leftCol = 0;
    int m_dropMode = 0;
    int m_editSetting = 0;
    bool m_redraw = true;
    bool m_pressedOnCurrent = false;
    QPair<int, int> m_pressedLink{-1, -1};
};

} // namespace Torva
