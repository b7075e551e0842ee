#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <QFrame>
#include <QMap>

class QAbstractItemModel;
class QTableView;

namespace Torva {

/// The list that drops down under an edit box: the rows of a model in
/// columns, picked with the mouse or the keys. While it is open it holds the
/// keyboard and hands every key on to the edit box, so the user keeps typing;
/// the box's owner moves in the list with handleEditorKey() or its own keys.
class TORVA_EXPORT ListPopup : public QFrame
{
    Q_OBJECT

public:
    /// editor: the box the list belongs to and the typed keys go to.
    explicit ListPopup(QWidget *editor);

    void setModel(QAbstractItemModel *model);
    QTableView *view() const { return m_view; }
    void setVisibleRows(int rows) { m_visibleRows = rows; }
    /// Fixed widths in pixels by column; 0 hides a column. Others fit their contents.
    void setColumnWidths(const QMap<int, int> &widths) { m_widths = widths; }
    /// A widget shown under the list (a button, say); the popup owns it.
    /// While the list itself is hidden, the popup shows the footer alone.
    void setFooter(QWidget *footer);

    /// Opens under anchor (or moves and sizes itself again while open), at
    /// least as wide as it and as wide as the columns need, within the screen.
    void open(QWidget *anchor);
    int currentRow() const;
    void setCurrentRow(int row);

    /// Handles a key pressed in the edit box: the arrows and page keys move in
    /// the list (opening it), Enter picks, Escape closes. True when it was used.
    bool handleEditorKey(QKeyEvent *event, QWidget *anchor);

Q_SIGNALS:
    void rowPicked(int row);
    /// Up or Down asked for the list while it was closed.
    void openRequested();
    /// A key is about to move in the list or pick from it: a list that
    /// follows typed text should catch up with it now.
    void aboutToMove();

protected:
    bool event(QEvent *event) override;

private:
    /// The size of a list view that shows every shown column whole and up to
    /// visibleRows rows, frame, captions and vertical scroll bar included.
    static QSize fittingSize(const QTableView *view, int visibleRows);
    bool moveOrPick(QKeyEvent *event);
    static bool isListKey(int key);

    QWidget *m_editor;
    QTableView *m_view;
    int m_visibleRows = 12;
    QMap<int, int> m_widths;
    QWidget *m_footer = nullptr;
};

} // namespace Torva
