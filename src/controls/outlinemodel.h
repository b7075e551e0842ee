#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <TORVAProbationParties/controls/outlinerow.h>
#include <TORVAProbationParties/data/tableobject.h>

#include <QAbstractTableModel>
#include <QColor>
#include <QPixmap>
#include <QString>
#include <QVariant>

#include <vector>

namespace Torva {

/// Everything the outline grid knows, without a screen: flat rows, each with
/// an outline level, a node flag, a height and its cells (text, hidden data,
/// picture, colour, bold, underline, hyperlink), and columns with a key, a
/// width, a type, a date flag and a visibility. Model row r is grid row r:
/// the first FixedRows rows are the caption rows, data rows follow.
///
/// A row belongs to the nearest row above it with a lower level; its parent's
/// collapse hides it, and so does a height of 0.
class TORVA_EXPORT OutlineModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum DataType { TextType = 0, BooleanType = 1 };
    /// The relatives NodeRow finds.
    enum NodeRelative { ParentNode = 1, FirstChild = 2, LastChild = 3 };
    /// Editable: 0 nothing, 1 by keyboard, 2 by keyboard and mouse.
    enum EditMode { EditNone = 0, EditByKeyboard = 1, EditByKeyboardAndMouse = 2 };
    enum Role {
        LevelRole = Qt::UserRole + 1,
        NodeRole,
        HasChildrenRole,
        CollapsedRole,
        BoldRole,
        UnderlineRole,
        HyperlinkRole,
        ErrorRole,
        AlternateRole,  // the row is an odd one among the rows shown
        FixedRole,      // the cell is in a fixed row or column
        BooleanRole,    // the cell is in a Boolean column
    };

    explicit OutlineModel(QObject *parent = nullptr);
    ~OutlineModel() override;

    /// Shape.
    int Rows() const { return int(m_rows.size()); }
    void setRows(int rows);
    int Cols() const { return int(m_columns.size()); }
    void setCols(int cols);
    int FixedRows() const { return m_fixedRows; }
    void setFixedRows(int rows);
    int FixedCols() const { return m_fixedCols; }
    void setFixedCols(int cols);
    int Editable() const { return m_editable; }
    void setEditable(int mode);
    /// While quiet, cell changes are not signalled one by one; ending it
    /// signals every cell once. Rows inserted or removed are always signalled.
    bool isQuiet() const { return m_quiet; }
    void setQuiet(bool quiet);

    /// Cells. Reads outside the grid give empty values; writes there do nothing.
    QString CellText(int row, int col) const;
    void setCellText(int row, int col, const QString &text);
    /// The cell as a number: "True" reads -1, "False" and any text that is
    /// not a number read 0.
    double CellValue(int row, int col) const;
    QString CellData(int row, int col) const;
    void setCellData(int row, int col, const QString &data);
    QPixmap CellPicture(int row, int col) const;
    void setCellPicture(int row, int col, const QPixmap &picture);
    /// Invalid for a cell in the grid's own colour.
    QColor CellForeColor(int row, int col) const;
    void setCellForeColor(int row, int col, const QColor &color);
    bool CellFontBold(int row, int col) const;
    void setCellFontBold(int row, int col, bool bold);
    bool CellFontUnderline(int row, int col) const;
    /// Switching the underline off also ends a hyperlink: a link is known by its underline.
    void setCellFontUnderline(int row, int col, bool underline);
    bool IsCellHyperlink(int row, int col) const;
    /// Makes the cell a link: underlined, in the link colour, reported when clicked.
    void SetCellHyperlink(int row, int col, const QColor &linkColor);
    /// The message shown at the cell; cleared when the cell's text changes.
    QString CellError(int row, int col) const;
    void setCellError(int row, int col, const QString &message);
    /// The text a cell shows: a date column's yyyymmdd number as MM/dd/yyyy.
    QString DisplayText(int row, int col) const;
    /// Whether the user may edit the cell: editing on, a data cell in a shown row and column.
    bool CanEditCell(int row, int col) const;

    /// Columns.
    int ColumnIndex(const QString &key) const;  // any letter case; -1 for an unknown key
    QString ColumnKey(int col) const;
    void setColumnKey(int col, const QString &key);
    /// Width in twips; -1 lets the grid fit the column to its contents.
    int ColumnWidth(int col) const;
    void setColumnWidth(int col, int twips);
    DataType ColumnType(int col) const;
    void setColumnType(int col, DataType type);
    bool ColumnIsDate(int col) const;
    void setColumnIsDate(int col, bool isDate);
    bool ColumnHidden(int col) const;
    void ShowColumns(int first, int last, bool visible);

    /// Outline.
    int RowLevel(int row) const;
    void setRowLevel(int row, int level);
    bool RowIsNode(int row) const;
    void setRowIsNode(int row, bool isNode);
    /// The parent (1), first child (2) or last child (3) of a row; -1 when it has none.
    int NodeRow(int row, int which) const;
    bool RowHasChildren(int row) const;
    bool RowCollapsed(int row) const;
    /// Collapsing hides the rows below a node; only nodes collapse.
    void setRowCollapsed(int row, bool collapsed);
    /// Expands every node at fromLevel or deeper; 0 opens the whole outline.
    void Outline(int fromLevel);
    /// Height in twips as set, -1 for the grid's default; 0 hides the row.
    int RowHeight(int row) const;
    void setRowHeight(int row, int twips);
    bool RowHidden(int row) const;
    /// Whether the row is on screen: a data row not hidden and under no collapsed node.
    bool RowShown(int row) const;
    /// Whether the row is an odd one among the rows shown, for alternating colours.
    bool RowAlternate(int row) const;

    /// Rows. InsertRow puts a row with the tab-separated texts at index row
    /// (at the end when row is out of range) and returns its index.
    int InsertRow(const QString &text, int level, bool isNode, int row);
    void RemoveRow(int row);
    /// Runs a select and puts its rows below the caption rows: one column per
    /// field, keyed by the field's name, in select order; each row's level
    /// from levelColumn (level 0 when empty), each row a node. At most
    /// maxRows rows, all for a negative maxRows. Failures raise the table
    /// object's Error signal and throw DataAccessError; the grid then keeps its rows.
    void LoadQuery(const QString &statement, const QVariant &parameters, int maxRows, const QString &levelColumn);
    TableObject &tableObject() { return m_table; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    static double numberOf(const QString &text);
    /// A yyyymmdd number as MM/dd/yyyy; "" for 0 or empty; other text as it is.
    static QString dateText(const QString &text);

Q_SIGNALS:
    /// Which rows are shown, or their heights, changed.
    void rowsShownChanged();
    /// A column's width, type, date flag or visibility changed; -1 for all of them.
    void columnChanged(int col);

private:
    struct Column
    {
        QString key;
        int width = -1;
        DataType type = TextType;
        bool isDate = false;
        bool hidden = false;
    };

    bool validCell(int row, int col) const;
    bool validRow(int row) const { return row >= 0 && row < Rows(); }
    const OutlineRow::CellExtras *extras(int row, int col) const;
    /// Changes a cell's extras and tells the views.
    template<typename Change>
    void changeExtras(int row, int col, Change change);
    void cellChanged(int row, int col);
    void rowChanged(int row);
    void invalidateShown();
    void ensureShown() const;

    TableObject m_table;
    std::vector<OutlineRow> m_rows;
    std::vector<Column> m_columns;
    int m_fixedRows = 1;
    int m_fixedCols = 0;
    int m_editable = EditNone;
    bool m_quiet = false;

    /// Per row, bit 0: shown, bit 1: alternate. Worked out on demand.
    mutable std::vector<quint8> m_shown;
    mutable bool m_shownValid = false;
};

} // namespace Torva
