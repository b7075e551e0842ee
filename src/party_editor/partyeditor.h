#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <TORVAProbationParties/controls/editorwidget.h>
#include <TORVAProbationParties/data/lockholder.h>

#include <QList>
#include <QString>
#include <QVariant>
#include <QWidget>

#include <memory>
#include <optional>

class QGroupBox;
class QLabel;

namespace Torva {

class AlphaMericBox;
class Combo;
class DataLabel;
class DatePicker;
class PhoneNumber;
class PropertyBag;
class TableObject;
class ZipCode;

/// Edits one party: a person on record who is not a probation client.
///
/// The host sets UserID and UserMode, then calls LoadRecord (an existing party,
/// read under a row lock, or a new one for key 0) or AddRecord. The control
/// tells the host of the user's edits (Change), of database failures (Error,
/// with the table object that failed; the failing call then throws
/// DataAccessError) and of a party that another user holds (LockError, after
/// which the control is disabled until the host enables it again).
class TORVA_EXPORT PartyEditor : public EditorWidget
{
    Q_OBJECT
    Q_PROPERTY(int PartyKey MEMBER PartyKey)
    Q_PROPERTY(QString UserID MEMBER UserID)
    Q_PROPERTY(QString UserMode MEMBER UserMode)

public:
    /// The key of the party on screen; 0 for a new party not yet saved.
    qint32 PartyKey = 0;
    /// The signed-on user, written with every save.
    QString UserID;
    /// "*EDIT" lets the user edit after a load; anything else shows the party
    /// read-only, and then nothing is saved or deleted (see SaveRecord).
    QString UserMode;

    explicit PartyEditor(QWidget *parent = nullptr);
    ~PartyEditor() override;

    /// Empties every field; the key, the table objects and the date limits stay.
    QVariant ClearRecord();
    /// A new party, with a name and birth date (yyyymmdd) to start from.
    bool AddRecord(const QString &NewPartyName = QString(), qint32 PartyDOB = 0);
    /// Reads the party NewPartyKey under a row lock, or prepares a new one for
    /// key 0. False when the party is not there or another user holds it.
    bool LoadRecord(qint32 NewPartyKey = 0, const QString &NewPartyName = QString(), qint32 NewPartyDOB = 0);
    /// Shows the party NewPartyKey as it is stored, without its row lock and
    /// read-only (every field disabled, the frames not): for a party another
    /// user holds. Nothing can be saved or deleted until a LoadRecord
    /// succeeds. False when the party is not on file.
    bool ViewRecord(qint32 NewPartyKey);

    /// True, with the message shown and the focus on the field, when a field is
    /// in error; the checks run in a fixed order and stop at the first problem.
    /// The last check looks for a likely duplicate party and may ask the user.
    /// With no party loaded (the last load was refused, or only viewed) it is
    /// true too, after one message saying why nothing can be saved.
    bool HasErrors();
    /// Validates, then updates the party loaded or inserts the new one under
    /// the next free key (PartyKey then holds it). False when a check failed,
    /// when no party was loaded, or when the party is no longer there.
    /// Only an editor writes: the party must have been loaded (or added) with
    /// UserMode "*EDIT", and UserMode must still be "*EDIT" when the call runs
    /// (a host that lets a viewer save switches the mode and loads again).
    /// Otherwise it runs no statement and returns false after one message,
    /// titled "Error", that says why.
    bool SaveRecord();
    /// Deletes the party loaded; true when exactly one row went. Under the
    /// same rule as SaveRecord, but without a message: it returns false and
    /// runs nothing, as it does when no party is loaded (it asks the user
    /// nothing, so the host, which knows the mode, says what it wants to).
    bool DeleteRecord();

    /// Who holds the party, after a LoadRecord refused for a lock.
    std::optional<LockHolder> LockedBy() const;

    /// The saved properties, for hosts that keep them outside a .ui file.
    void ReadProperties(const PropertyBag &bag) override;
    void WriteProperties(PropertyBag &bag) const override;

    QSize sizeHint() const override;

Q_SIGNALS:
    /// The user changed a field.
    void Change();

protected:
    void resizeEvent(QResizeEvent *event) override;
    /// Every field follows (the frames stay enabled while the control is).
    void applyEnabled(bool enabled) override;
    /// All but the duplicate key of an insert the editor expects and retries.
    bool reportsError(int number) const override;

private:
    void createFields();
    QGroupBox *addFrame(const QString &name, const QString &caption, int left, int top, int width, int height);
    void addCaption(QGroupBox *frame, QWidget *field, const QString &caption, int left, int top);
    void place(QWidget *field, QGroupBox *frame, const QString &name, int left, int top, int width, int height);
    void configureLists();
    void connectNotifications();
    void EnableControls(bool NewEnabled);
    void LoadLists();
    void createTables();
    /// The lists filled and the date limits set, as every load needs them.
    void prepareFields();
    void showParty(TableObject &row);
    void FindDuplicate(bool &StreetDiffers, bool &Found);
    QVariantList partyValues() const;
    /// A party is loaded, it was loaded for editing, and UserMode is "*EDIT"
    /// still: what SaveRecord and DeleteRecord need before they write.
    bool mayWrite() const;
    bool insertUnderNextKey(QVariantList values);
    /// Makes sure the editor holds the party's row lock, taking it again when
    /// its connection lost it; false (after LockError and a message) when
    /// another user has taken it meanwhile.
    bool holdParty();
    /// Whether the insert the server did not answer stored the party after
    /// all (then the editor holds it under its key); false when it did not.
    bool storedUnanswered(QVariantList values);
    void cityChosen();
    void zipEntered();

    std::unique_ptr<TableObject> adoPRBPTY;
    std::unique_ptr<TableObject> adoPRBSQL;
    std::unique_ptr<TableObject> adoZIPDTA;
    /// A party is on screen that may be written: the last load or add succeeded.
    bool m_partyLoaded = false;
    /// The last load or add ran with UserMode "*EDIT".
    bool m_loadedForEditing = false;
    /// adoPRBPTY holds the row lock of the party on screen.
    bool m_partyHeld = false;
    /// The user accepted a possible duplicate of the party on screen.
    bool m_duplicateAccepted = false;
    /// While a new key is tried again, a key taken by another editor is no failure.
    bool m_keyConflictExpected = false;
    /// The key of a new party whose insert the server never answered: it may
    /// be stored, so the next save looks for it before inserting again.
    qint32 m_unansweredKey = 0;

    QGroupBox *fraDemo = nullptr;
    QGroupBox *fraID = nullptr;
    QGroupBox *fraAudit = nullptr;
    QList<QLabel *> lblDemo;
    AlphaMericBox *txtPTYNAM = nullptr;
    AlphaMericBox *txtPTYST1 = nullptr;
    AlphaMericBox *txtPTYST2 = nullptr;
    Combo *cboPTYCTY = nullptr;
    Combo *cboPTYSTA = nullptr;
    ZipCode *zipPTYZIP = nullptr;
    PhoneNumber *phnPTYHOMPHN = nullptr;
    PhoneNumber *phnPTYCELPHN = nullptr;
    PhoneNumber *phnPTYWRKPHN = nullptr;
    DatePicker *dtpPTYBDT = nullptr;
    Combo *cboPTYSEX = nullptr;
    DataLabel *lblPTYUSR = nullptr;
    DataLabel *lblPTYUDT = nullptr;
    /// Every child in creation order: what EnableControls walks.
    QList<QWidget *> m_controls;
};

} // namespace Torva
