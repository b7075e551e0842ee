#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <TORVAProbationParties/controls/recordsourcemodel.h>

#include <QPointer>
#include <QTimer>
#include <QWidget>

class QLineEdit;
class QTableView;
class QToolButton;

namespace Torva {

class ComboBoxColumns;
class DataGrid;
class ListPopup;

/// The name search that edits a grid cell. EditCell opens it over the grid's
/// current cell; as the user types (in upper case, as names are on file), it
/// lists the rows of its record source
/// whose searched column begins with the text (the text is bound as a
/// parameter and searched as text; rows are read a page at a time as the list
/// scrolls). Picking a row writes its DataField column into the cell and
/// raises EntryFinished; Escape ends the entry without writing; asking to add
/// a name the list does not hold raises AddRecordRequest.
///
/// Keys: Up, Down, Page Up and Page Down move in the list; Enter or Tab picks
/// the current row, or asks to add the typed name when the list is empty;
/// Ctrl+Enter (or the list's Add button) asks to add whatever the list holds.
/// Focus leaving for elsewhere drops the entry without a word; an entry that
/// ends here gives the focus back to the grid, on the cell it edited. The list
/// shows its columns whole (within the screen), without a horizontal scroll bar.
///
/// KeyDown and AddRecordRequest have reference arguments and need a direct
/// connection. Failures of the search are reported by the table object's
/// Error signal (forward it with tableObject()); the list is then left empty.
class TORVA_EXPORT ComboBox : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString RecordSource READ RecordSource WRITE setRecordSource)
    Q_PROPERTY(QString EditText READ EditText WRITE setEditText)
    Q_PROPERTY(QString Tag READ Tag WRITE setTag)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)
    Q_PROPERTY(int MaxLength READ MaxLength WRITE setMaxLength)
    Q_PROPERTY(bool AllowAddRecord READ AllowAddRecord WRITE setAllowAddRecord)
    Q_PROPERTY(QStringList KeyItems READ KeyItems WRITE setKeyItems)
    Q_PROPERTY(QStringList HeaderCaptions READ HeaderCaptions WRITE setHeaderCaptions)
    Q_PROPERTY(int DataField READ DataField WRITE setDataField)
    Q_PROPERTY(int DataFieldToDisplay READ DataFieldToDisplay WRITE setDataFieldToDisplay)
    Q_PROPERTY(int SearchDelay READ SearchDelay WRITE setSearchDelay)

public:
    explicit ComboBox(QWidget *parent = nullptr);
    ~ComboBox() override;

    /// The statement listed; '&TEXT%' marks stand for the typed text.
    QString RecordSource() const { return m_model->recordSource(); }
    void setRecordSource(const QString &source);
    /// The grid whose cells it edits.
    DataGrid *Grid() const { return m_grid; }
    void setGrid(DataGrid *grid) { m_grid = grid; }

    /// Opens over the grid's current cell as its editor, with the cell's text.
    void EditCell();
    /// Whether an entry is going on (opened and not yet finished or dropped).
    bool IsEditing() const { return m_editing; }

    QString EditText() const;
    void setEditText(const QString &text);
    /// The current list row's value in the list column with this key (one of
    /// KeyItems, or a field name); an invalid value when no row is current,
    /// which reads as "" and 0.
    QVariant Columns(const QString &key) const;
    QString Tag() const { return m_tag; }
    void setTag(const QString &tag) { m_tag = tag; }
    /// The combo's own visibility flag, whatever its parent's state.
    bool Visible() const { return !isHidden(); }

    /// The list: rows listed so far and the current one (-1 for none).
    int ListCount() const;
    int ListIndex() const;
    void setListIndex(int row);
    /// Runs the search for the typed text now instead of when typing pauses.
    void Search();

    /// Settings. Lists have one entry per list column.
    int MaxLength() const;
    void setMaxLength(int length);
    bool AllowAddRecord() const { return m_allowAdd; }
    void setAllowAddRecord(bool allow);
    QStringList KeyItems() const { return m_keys; }
    void setKeyItems(const QStringList &keys) { m_keys = keys; }
    QStringList HeaderCaptions() const { return m_model->headerCaptions(); }
    void setHeaderCaptions(const QStringList &captions) { m_model->setHeaderCaptions(captions); }
    /// Widths in twips; 0 fits the column to what it shows.
    QList<int> WidthItems() const { return m_widths; }
    void setWidthItems(const QList<int> &twips);
    QList<bool> HiddenItems() const { return m_hidden; }
    void setHiddenItems(const QList<bool> &hidden);
    /// Alignment codes: 0 numbers right and text left, 1 left, 2 right, 3 centred.
    QList<int> AlignmentItems() const { return m_alignments; }
    void setAlignmentItems(const QList<int> &codes);
    QList<int> FixedAlignmentItems() const { return m_captionAlignments; }
    void setFixedAlignmentItems(const QList<int> &codes);
    /// The list column written into the cell, and the one the edit box shows after a pick.
    int DataField() const { return m_dataField; }
    void setDataField(int column) { m_dataField = column; }
    int DataFieldToDisplay() const { return m_displayField; }
    void setDataFieldToDisplay(int column) { m_displayField = column; }
    /// How long typing must pause before the list follows, in milliseconds.
    int SearchDelay() const { return m_searchTimer.interval(); }
    void setSearchDelay(int milliseconds) { m_searchTimer.setInterval(milliseconds); }

    RecordSourceModel &listModel() { return *m_model; }
    TableObject &tableObject() { return m_model->tableObject(); }
    QLineEdit *editor() const { return m_edit; }
    QTableView *listView() const;
    QToolButton *addButton() const { return m_addButton; }

    /// KeyDown's code of a key: the common virtual-key codes (Escape 27,
    /// Enter 13, letters and digits their upper-case character codes).
    static int keyCode(const QKeyEvent *event);

Q_SIGNALS:
    /// Before the combo handles a key; set KeyCode to 0 to swallow the key.
    void KeyDown(int &KeyCode, int &Shift);
    /// An entry ended by a pick, by Enter or by Escape.
    void EntryFinished();
    /// The user asks to add the typed name; set Id to the new record's key
    /// (greater than 0) to write the name into the cell and end the entry.
    void AddRecordRequest(QVariant &Id);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    bool editKeyPressed(QKeyEvent *event);
    void runSearch();
    void acceptEntry();
    void pick(int row);
    void requestAdd();
    void finishEntry();
    void moveInList(int rows);
    void showList();
    void applyColumns();
    void writeCell(const QString &text);
    void typed();

    RecordSourceModel *m_model;
    ComboBoxColumns *m_columns;
    QLineEdit *m_edit;
    ListPopup *m_popup;
    QToolButton *m_addButton;
    QTimer m_searchTimer;
    QPointer<DataGrid> m_grid;

    QString m_tag;
    QStringList m_keys;
    QList<int> m_widths;
    QList<bool> m_hidden;
    QList<int> m_alignments;
    QList<int> m_captionAlignments;
    int m_dataField = 2;
    int m_displayField = 2;
    bool m_allowAdd = true;
    bool m_editing = false;
    int m_row = -1;  // the cell being edited
    int m_col = -1;
};

} // namespace Torva
