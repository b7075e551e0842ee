#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <QColor>
#include <QStyledItemDelegate>

namespace Torva {

/// Paints the cells of the outline grid: the background by row and state,
/// the tree column's indentation and expander, a cell's picture, Boolean
/// cells as check boxes, and text in the cell's own colour, weight and
/// underline. Opens a line edit for the grid's own cell edits.
class TORVA_EXPORT OutlineDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    struct Colors
    {
        QColor back{233, 243, 249};
        QColor backAlternate{255, 255, 255};
        QColor backFixed;     // invalid: the palette's button colour
        QColor backSelected;  // invalid: the palette's highlight
        QColor fore;          // invalid: the palette's text colour
        QColor foreSelected;  // invalid: the palette's highlighted text
        QColor gridLines{200, 208, 216};
        QColor error{200, 0, 0};
    };

    explicit OutlineDelegate(QObject *parent = nullptr);

    Colors colors() const { return m_colors; }
    void setColors(const Colors &colors) { m_colors = colors; }
    bool gridLines() const { return m_gridLines; }
    void setGridLines(bool on) { m_gridLines = on; }
    /// The column that shows the outline; -1 for none.
    int treeColumn() const { return m_treeColumn; }
    void setTreeColumn(int column) { m_treeColumn = column; }
    int indentation() const { return m_indentation; }
    /// An opened editor selects the whole text, or puts the caret at its end.
    bool editorSelectsAll() const { return m_selectAll; }
    void setEditorSelectsAll(bool selectAll) { m_selectAll = selectAll; }

    /// Where the expander of a tree cell sits, in the view's coordinates; empty when it has none.
    QRect expanderRect(const QRect &cell, const QModelIndex &index) const;
    /// Where a Boolean cell's check box sits.
    QRect checkBoxRect(const QRect &cell) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;

private:
    QColor background(const QStyleOptionViewItem &option, const QModelIndex &index) const;
    QColor foreground(const QStyleOptionViewItem &option, const QModelIndex &index) const;
    void paintExpander(QPainter *painter, const QRect &box, bool collapsed) const;
    /// The space before a tree cell's picture: indentation plus the expander's place.
    int treeIndent(const QModelIndex &index) const;

    Colors m_colors;
    bool m_gridLines = true;
    int m_treeColumn = 0;
    int m_indentation = 16;
    bool m_selectAll = true;
};

} // namespace Torva
