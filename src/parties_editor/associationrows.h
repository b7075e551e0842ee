#pragma once

#include <QObject>
#include <QString>
#include <QVariantList>

namespace Torva {

class DataGrid;

// The changes the user makes to an association outline, row by row: adding
// an empty associate row to a folder, giving it a client or party in the
// orientation that loading reads back, marking a row changed, and deleting
// rows. They keep the hidden cells (RLTCOD, the five ORG keys, OLDRCD,
// CHGRCD, ASCUDT, ASCUSR) as saving needs them.
//
// Rows are grid rows. The edited subject (kind and key) and the user are read
// from where the editor keeps them each time an operation runs, so that what
// a host sets after loading counts. Assigning, marking and deleting raise Change.
class AssociationRows : public QObject
{
    Q_OBJECT

public:
    // The subject and the user live in partyType, partyKey and userId, which
    // must outlive this object.
    AssociationRows(DataGrid &grid, const QString &partyType, const qint32 &partyKey, const QString &userId,
                    QObject *parent = nullptr);

    // An empty associate row at the end of the folder (right below it when it
    // has none); returns its row. StartEdit opens the name cell's editor.
    int AddAssociateRow(int FolderRow, bool StartEdit);
    // Puts the chosen client or party (Flag "C" or "P", Key) into a new row:
    // under an inverse folder, and under the one folder of a symmetric type,
    // the edited subject is side 1; under a direct folder of a directional
    // type the chosen one is.
    void AssignAssociate(int Row, const QString &Flag, qint32 Key);
    void SetAssociationKeys(int Row, const QString &Flag1, qint32 Key1, int RltCod, const QString &Flag2, qint32 Key2);
    // A kind into column FlagCol and its key into the column right after it.
    void SetPartyCells(int Row, int FlagCol, const QString &Flag, qint32 Key);
    // The change mark, today's date as MM/dd/yyyy and the user.
    void MarkRowChanged(int Row);
    // Removes the new rows and hides the stored ones (to be deleted at save)
    // from LastRow up to FirstRow; one Change for the whole range.
    void DeleteAssociateRows(int FirstRow, int LastRow);
    // "Client" or "Party" in the row's RLTDSC cell: the kind of its associate.
    void ShowAssociateKind(int Row);

    // Whether the edited subject is side 1 of the row's stored keys.
    bool subjectIsSideOne(int Row) const;
    // The row's five keys in statement order: kind 1, key 1, code, kind 2, key 2.
    QVariantList keys(int Row) const;
    // The same association seen from the other side (for a symmetric type).
    static QVariantList reversed(const QVariantList &keys);
    bool isAssociate(int Row) const;
    // A row added in the outline, not read from the table.
    bool isNew(int Row) const;
    // Whether the row has been given a client or party.
    bool hasSubject(int Row) const;
    // Whether the row's type reads the same from both sides (one folder only).
    bool isSymmetric(int Row) const;
    // Gives a row the keys that AssignAssociate gives for this client or
    // party, without marking it.
    void setKeysFor(int Row, const QString &Flag, qint32 Key);

Q_SIGNALS:
    void Change();

private:
    int column(const char *key) const;

    DataGrid &m_grid;
    const QString &m_partyType;
    const qint32 &m_partyKey;
    const QString &m_userId;
};

} // namespace Torva
