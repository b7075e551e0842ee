#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <TORVAProbationParties/controls/fieldcontrol.h>
#include <TORVAProbationParties/controls/recordsourcemodel.h>

#include <QTimer>
#include <QWidget>

class QLineEdit;
class QToolButton;

namespace Torva {

class ListPopup;

/// An edit box with a list of rows from its record source, shown in columns
/// with captions. The user types, or picks a row; the row's code (the
/// ValueColumn, the first column unless set) is the combo's value, and the
/// DisplayColumn's text fills the box.
///
/// A search list (SearchList) lists the rows that begin with the text typed
/// so far, read a page at a time as the user scrolls; other lists are read
/// whole by LoadList and typing moves to the first row that begins with the
/// text. MatchFound tells whether the text is that of a list row.
///
/// Change is raised for the user's edits and picks; textChanged and
/// valueChanged for every change, code included; activated when the user
/// chooses a row: a pick from the list (Enter, Tab, a click), or Enter on a
/// text that is a row's. While the list is open it has the keyboard: the keys
/// that move in it (Up, Down, Page Up, Page Down), pick (Enter, Tab) or close
/// it (Escape, keeping the text) are its own, and every other key goes on to
/// the box.
class TORVA_EXPORT Combo : public QWidget, public FieldControl
{
    Q_OBJECT
    Q_PROPERTY(QString Text READ Text WRITE setText NOTIFY textChanged)
    Q_PROPERTY(QVariant Value READ Value WRITE setValue NOTIFY valueChanged USER true)
    Q_PROPERTY(QString RecordSource READ RecordSource WRITE setRecordSource)
    Q_PROPERTY(QStringList HeaderCaptions READ HeaderCaptions WRITE setHeaderCaptions)
    Q_PROPERTY(int Cols READ Cols WRITE setCols)
    Q_PROPERTY(int MaxLength READ MaxLength WRITE setMaxLength)
    Q_PROPERTY(int MaxRecords READ MaxRecords WRITE setMaxRecords)
    Q_PROPERTY(int CaseType READ CaseType WRITE setCaseType)
    Q_PROPERTY(int MinCharsToActivate READ MinCharsToActivate WRITE setMinCharsToActivate)
    Q_PROPERTY(int DisplayColumn READ DisplayColumn WRITE setDisplayColumn)
    Q_PROPERTY(int ValueColumn READ ValueColumn WRITE setValueColumn)
    Q_PROPERTY(bool SearchList READ SearchList WRITE setSearchList)
    Q_PROPERTY(bool ColumnHeaders READ ColumnHeaders WRITE setColumnHeaders)
    Q_PROPERTY(bool BoldDisplayColumn READ BoldDisplayColumn WRITE setBoldDisplayColumn)
    Q_PROPERTY(QString Tag READ Tag WRITE setTag)

public:
    static constexpr int SearchDelayMs = 150;

    explicit Combo(QWidget *parent = nullptr);
    ~Combo() override;

    void setText(const QString &text);
    QVariant Value() const;
    /// Chooses the row whose code this is; no such row leaves no row chosen
    /// and the code itself in the box.
    void setValue(const QVariant &value);

    QString RecordSource() const { return m_model.recordSource(); }
    void setRecordSource(const QString &source) { m_model.setRecordSource(source); m_row = -1; }
    QStringList HeaderCaptions() const { return m_model.headerCaptions(); }
    void setHeaderCaptions(const QStringList &captions) { m_model.setHeaderCaptions(captions); }
    int Cols() const { return m_cols; }
    void setCols(int cols);
    int MaxLength() const;
    void setMaxLength(int length);
    int MaxRecords() const { return m_model.maxRecords(); }
    void setMaxRecords(int records) { m_model.setMaxRecords(records); }
    int CaseType() const { return m_caseType; }
    void setCaseType(int caseType);
    int MinCharsToActivate() const { return m_minChars; }
    void setMinCharsToActivate(int chars) { m_minChars = chars; }
    int DisplayColumn() const { return m_displayColumn; }
    void setDisplayColumn(int column) { m_displayColumn = column; }
    int ValueColumn() const { return m_valueColumn; }
    void setValueColumn(int column) { m_valueColumn = column; }
    bool SearchList() const { return m_searchList; }
    void setSearchList(bool search) { m_searchList = search; }
    bool ColumnHeaders() const { return m_columnHeaders; }
    void setColumnHeaders(bool shown);
    bool BoldDisplayColumn() const { return m_boldDisplay; }
    void setBoldDisplayColumn(bool bold) { m_boldDisplay = bold; }
    QString Tag() const { return m_tag; }
    void setTag(const QString &tag) { m_tag = tag; }

    /// Fills the list from the record source (a search list: the rows that
    /// begin with the text). Throws DataAccessError after the Error signal of tableObject().
    void LoadList();
    /// Whether the text is the display text of a list row.
    bool MatchFound() const;
    /// The number of the current list row, counting from 1; 0 when none is current.
    int RowNumber() const { return m_row + 1; }
    /// The current row's value in the list column of that key (a field name of
    /// the record source, any letter case); null without a current row.
    QVariant Columns(const QString &key) const;
    /// A list column's width in twips (0 hides it) and whether it is shown.
    void setColumnWidth(const QString &key, int twips);
    int columnWidth(const QString &key) const;

    RecordSourceModel &model() { return m_model; }
    TableObject &tableObject() { return m_model.tableObject(); }
    QLineEdit *lineEdit() const { return m_edit; }
    ListPopup *popup() const { return m_popup; }
    void showPopup();

    bool Enabled() const override { return isEnabled(); }
    void SetFocus() override;
    QString Text() const override;
    qint32 ValueAsLong() const override { return Value().toInt(); }

Q_SIGNALS:
    void Change();
    void textChanged(const QString &text);
    void valueChanged();
    /// The user chose a row (counting from 0).
    void activated(int row);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void userTyped(const QString &text);
    void search();
    /// Runs a search that typing has left pending, before the list is used.
    void catchUp();
    void pickRow(int row);
    void setCurrentRow(int row);
    int rowStartingWith(const QString &text) const;
    int rowWithDisplayText(const QString &text) const;
    void applyColumnSettings();
    QString displayText(int row) const;

    RecordSourceModel m_model;
    QLineEdit *m_edit;
    QToolButton *m_button;
    ListPopup *m_popup;
    QTimer m_searchTimer;
    int m_row = -1;
    int m_cols = 0;
    int m_caseType = 1;
    int m_minChars = 1;
    int m_displayColumn = 0;
    int m_valueColumn = 0;
    bool m_searchList = false;
    bool m_columnHeaders = true;
    bool m_boldDisplay = false;
    QMap<QString, int> m_widths;  // twips by upper-case key
    QString m_tag;
};

} // namespace Torva
