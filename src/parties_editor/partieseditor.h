#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <TORVAProbationParties/controls/editorwidget.h>

#include <QString>
#include <QVariant>
#include <QWidget>

#include <memory>

class QAction;
class QMenu;

namespace Torva {

class AssociationRows;
class ComboBox;
class DataGrid;
class ImageList;
class PropertyBag;
class TableObject;

/// Edits the associations of one client or party: an outline with the client
/// or party at the top, one folder per relationship type (and per inverse
/// type), and under each the clients and parties associated that way.
///
/// The host calls LoadRecords with the user, the kind ("C" client, "P" party)
/// and the key; a party is always shown read-only. The control tells the host
/// of every change of an association row (Change), of database failures
/// (Error, with the table object that failed; the call then throws
/// DataAccessError), and asks it to create a party (AddParty), to open a client
/// or party (ViewParty) or to act on a name link (HyperlinkClickName).
class TORVA_EXPORT PartiesEditor : public EditorWidget
{
    Q_OBJECT
    Q_PROPERTY(QString UserID MEMBER UserID)
    Q_PROPERTY(QString UserMode MEMBER UserMode)
    Q_PROPERTY(QString PartyType MEMBER PartyType)
    Q_PROPERTY(int PartyKey MEMBER PartyKey)
    Q_PROPERTY(bool HyperlinkNames READ HyperlinkNames WRITE SetHyperlinkNames NOTIFY HyperlinkNamesChanged STORED true
                   DESIGNABLE true)

public:
    QString UserID;
    /// "*EDIT" or "*VIEW" once loaded; only "*EDIT" lets the user change anything.
    QString UserMode;
    QString PartyType;
    qint32 PartyKey = 0;

    explicit PartiesEditor(QWidget *parent = nullptr);
    ~PartiesEditor() override;

    /// Whether associate names are links in view mode (HyperlinkClickName).
    bool HyperlinkNames() const { return m_hyperlinkNames; }
    void SetHyperlinkNames(bool hyperlink);
    /// The same, under the name code generated from a form uses.
    void setHyperlinkNames(bool hyperlink) { SetHyperlinkNames(hyperlink); }

    /// Loads the associations of the client or party; returns true.
    bool LoadRecords(const QString &UserID, const QString &PartyType, qint32 PartyKey);
    /// True, with "Duplicate association." shown at the row's name, when a new
    /// association is already stored, or is there twice among the new rows (a
    /// symmetric type counts both orientations as one association).
    bool HasErrors();
    /// Validates, then deletes the associations deleted in the outline and
    /// inserts the new ones, all in one transaction: either everything is
    /// saved or nothing is. Afterwards the outline shows what is stored.
    /// Only an editor saves: with UserMode other than "*EDIT" when the call
    /// runs, it returns false at once, runs no statement and shows nothing;
    /// the host, which set the mode, says what it wants to.
    bool SaveRecords();

    /// Readies the popup menu for a row: captions and enabled items by level,
    /// mode and the user's right to delete. False when no menu applies.
    /// The same right decides whether a drag or Ctrl+X and Ctrl+V moves an
    /// associate: a move deletes it from its folder, so for a user who may not
    /// delete (PRBSEC.SECP02 other than "Y") it is a copy, and the user is told.
    bool PreparePopupMenu(int Row);

    /// The saved properties ("Enabled", then "HyperlinkNames").
    void ReadProperties(const PropertyBag &bag) override;
    void WriteProperties(PropertyBag &bag) const override;

    /// The child controls, for hosts and tests that look inside.
    DataGrid *grid() const { return grd; }
    ComboBox *nameSearch() const { return cboPTYNAM; }
    ImageList *images() const { return iml; }
    QMenu *popupMenu() const { return mnuPop; }
    AssociationRows &rows() const { return *m_rows; }

    QSize sizeHint() const override;

Q_SIGNALS:
    void Change();
    /// The user adds a name the search did not find: create a party and set
    /// UniqueID to its key (> 0), or leave it to decline. Needs a direct connection.
    void AddParty(QVariant &UniqueID, const QString &PartyName);
    void ViewParty(const QString &PartyType, qint32 PartyKey);
    void HyperlinkClickName(const QString &Name, qint32 DOB);
    void HyperlinkNamesChanged(bool hyperlink);

protected:
    void resizeEvent(QResizeEvent *event) override;
    /// The outline follows the control's own enabled state.
    void applyEnabled(bool enabled) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectEditing();
    void showPopupMenu(int Row, bool ByMouse);
    void newAssociate();
    void deleteAssociates();
    void viewAssociate();
    void beforeCellEdit(int Row, int Col, bool &Cancel);
    void nameSearchKeyDown(int &KeyCode, int &Shift);
    void nameSearchFinished();
    void addRecordRequested(QVariant &Id);
    void hyperlinkClicked(int Row);
    void mouseButtonPressed(int Button, int Shift, bool &Cancel);
    /// Remembers the associate a drag, Ctrl+X or Ctrl+C took up, and finds it again.
    void takeUp(int Row, bool Moves);
    int takenUpRow() const;
    QStringList rowCells(int Row) const;
    void dropOn(int Target);
    bool mayDelete() const;
    int menuRow() const;
    void showSaved();
    void applyGridDesign();
    void FormatOutline();
    void ShowAssociateKind(int Row);
    void ApplyHyperlinkNames(bool Hyperlink);
    int column(const char *key) const;

    DataGrid *grd;
    ComboBox *cboPTYNAM;
    ImageList *iml;
    QMenu *mnuPop;
    QAction *mnuPopNew;
    QAction *mnuPopDelete;
    QAction *mnuPopViewParty;
    AssociationRows *m_rows;

    std::unique_ptr<TableObject> adoPRBCLTASC;
    std::unique_ptr<TableObject> adoPRBSEC;
    bool m_hyperlinkNames = false;
    int m_dragRow = 0;
    /// The user asked for a move (a drag without Ctrl, Ctrl+X); dropOn moves
    /// only for a user who may delete.
    bool m_dragMoves = false;
    QStringList m_dragged;  // every cell of the row taken up, as it was then
};

} // namespace Torva
