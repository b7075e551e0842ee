#include "associationrows.h"

#include "base/clock.h"
#include "controls/datagrid.h"

namespace Torva {

namespace {
constexpr int InverseCodeOffset = 100;
}

AssociationRows::AssociationRows(DataGrid &grid, const QString &partyType, const qint32 &partyKey,
                                 const QString &userId, QObject *parent)
    : QObject(parent)
    , m_grid(grid)
    , m_partyType(partyType)
    , m_partyKey(partyKey)
    , m_userId(userId)
{
}

int AssociationRows::column(const char *key) const
{
    return m_grid.ColumnIndex(QLatin1String(key));
}

int AssociationRows::AddAssociateRow(int FolderRow, bool StartEdit)
{
    const int lastChild = m_grid.NodeRow(FolderRow, 3);
    const int row = m_grid.InsertRow(QStringLiteral("\t"), 2, false, qMax(lastChild, FolderRow) + 1);
    m_grid.setCellText(row, column("RLTCOD"), QString::number(qint64(m_grid.CellValue(FolderRow, column("RLTCOD")))));
    m_grid.ShowRow(row);
    m_grid.SelectRow(row);
    m_grid.setCellForeColor(row, column("ASCNAM"), QColor(Qt::black));
    if (StartEdit)
        m_grid.BeginCellEdit(row, column("ASCNAM"));
    return row;
}

void AssociationRows::AssignAssociate(int Row, const QString &Flag, qint32 Key)
{
    setKeysFor(Row, Flag, Key);
    ShowAssociateKind(Row);
    MarkRowChanged(Row);
}

void AssociationRows::setKeysFor(int Row, const QString &Flag, qint32 Key)
{
    const int code = int(m_grid.CellValue(Row, column("RLTCOD")));
    if (code > InverseCodeOffset)
        SetAssociationKeys(Row, m_partyType, m_partyKey, code - InverseCodeOffset, Flag, Key);
    else if (isSymmetric(Row))
        SetAssociationKeys(Row, m_partyType, m_partyKey, code, Flag, Key);
    else
        SetAssociationKeys(Row, Flag, Key, code, m_partyType, m_partyKey);
}

void AssociationRows::SetAssociationKeys(int Row, const QString &Flag1, qint32 Key1, int RltCod, const QString &Flag2,
                                         qint32 Key2)
{
    m_grid.setCellText(Row, column("ORGRLTCOD"), QString::number(RltCod));
    SetPartyCells(Row, column("ORGFLG1"), Flag1, Key1);
    SetPartyCells(Row, column("ORGFLG2"), Flag2, Key2);
}

void AssociationRows::SetPartyCells(int Row, int FlagCol, const QString &Flag, qint32 Key)
{
    m_grid.setCellText(Row, FlagCol, Flag);
    m_grid.setCellText(Row, FlagCol + 1, QString::number(Key));
}

void AssociationRows::MarkRowChanged(int Row)
{
    m_grid.setCellText(Row, column("CHGRCD"), QStringLiteral("True"));
    m_grid.setCellText(Row, column("ASCUDT"), Clock::today().toString(QStringLiteral("MM/dd/yyyy")));
    m_grid.setCellText(Row, column("ASCUSR"), m_userId);
    Q_EMIT Change();
}

void AssociationRows::DeleteAssociateRows(int FirstRow, int LastRow)
{
    const int stored = column("OLDRCD");
    for (int row = LastRow; row >= FirstRow; --row) {
        if (m_grid.CellValue(row, stored) != 0)
            m_grid.setRowHeight(row, 0);  // kept, hidden, for the delete at save
        else
            m_grid.RemoveRow(row);
    }
    Q_EMIT Change();
}

bool AssociationRows::subjectIsSideOne(int Row) const
{
    return m_grid.CellText(Row, column("ORGFLG1")) == m_partyType
           && qint32(m_grid.CellValue(Row, column("ORGKEY1"))) == m_partyKey;
}

void AssociationRows::ShowAssociateKind(int Row)
{
    const QString kind = m_grid.CellText(Row, column(subjectIsSideOne(Row) ? "ORGFLG2" : "ORGFLG1"));
    m_grid.setCellText(Row, column("RLTDSC"), kind == QLatin1String("C") ? QStringLiteral("Client") : QStringLiteral("Party"));
}

QVariantList AssociationRows::keys(int Row) const
{
    return {m_grid.CellText(Row, column("ORGFLG1")), m_grid.CellValue(Row, column("ORGKEY1")),
            m_grid.CellValue(Row, column("ORGRLTCOD")), m_grid.CellText(Row, column("ORGFLG2")),
            m_grid.CellValue(Row, column("ORGKEY2"))};
}

QVariantList AssociationRows::reversed(const QVariantList &keys)
{
    return {keys.at(3), keys.at(4), keys.at(2), keys.at(0), keys.at(1)};
}

bool AssociationRows::isAssociate(int Row) const
{
    return m_grid.RowLevel(Row) == 2;
}

bool AssociationRows::isNew(int Row) const
{
    return m_grid.CellValue(Row, column("OLDRCD")) == 0;
}

bool AssociationRows::hasSubject(int Row) const
{
    return !m_grid.CellText(Row, column("ORGFLG1")).isEmpty() && !m_grid.CellText(Row, column("ORGFLG2")).isEmpty();
}

bool AssociationRows::isSymmetric(int Row) const
{
    // An inverse folder is a directional type's; the rows of a symmetric
    // folder may carry its code plus 100 when they were stored from the
    // edited subject's side, so the folder decides.
    const int folder = m_grid.RowLevel(Row) == 1 ? Row : m_grid.NodeRow(Row, 1);
    return m_grid.CellValue(folder, column("HASINVCOD")) == 0;
}

} // namespace Torva
