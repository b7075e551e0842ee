#include "associationfixture.h"

#include "fixtures.h"
#include "testdatabase.h"

#include "controls/datagrid.h"
#include "data/tableobject.h"
#include "parties_editor/partieseditor.h"

namespace Torva {

namespace AssociationFixture {

void seedClientTwelve()
{
    Fixtures::addRelationship(21, QStringLiteral("Sibling"), QStringLiteral("Sibling"));
    Fixtures::addRelationship(3, QStringLiteral("Parent"), QStringLiteral("Child"));
    Fixtures::addRelationship(5, QStringLiteral("Guardian"), QStringLiteral("Ward"));
    Fixtures::addUser(QStringLiteral("JSMITH"), QStringLiteral("Y"));
    Fixtures::addUser(QStringLiteral("OFFICER"), QStringLiteral("N"));
    Fixtures::addClient(12, QStringLiteral("DOE, JANE"), 19800101);
    Fixtures::addClient(7, QStringLiteral("DOE, BABY"), 20100505);
    Fixtures::addParty(5, QStringLiteral("DOE, JOHN"), 19550101);
    Fixtures::addParty(6, QStringLiteral("DOE, SIS"), 19820101);
    Fixtures::addParty(8, QStringLiteral("DOE, BRO"), 19840101);
    Fixtures::addAssociation(QStringLiteral("P"), 5, 3, QStringLiteral("C"), 12);
    Fixtures::addAssociation(QStringLiteral("C"), 12, 3, QStringLiteral("C"), 7);
    Fixtures::addAssociation(QStringLiteral("C"), 12, 21, QStringLiteral("P"), 6);
    Fixtures::addAssociation(QStringLiteral("P"), 8, 21, QStringLiteral("C"), 12);
    Fixtures::addAssociation(QStringLiteral("P"), 99, 3, QStringLiteral("C"), 12);
}

QStringList outline(const PartiesEditor &editor)
{
    const DataGrid *grid = editor.grid();
    const int name = grid->ColumnIndex(QStringLiteral("ASCNAM"));
    QStringList rows;
    qsizetype associates = 0;  // where the last folder's associates begin in rows
    for (int row = grid->FixedRows(); row < grid->Rows(); ++row) {
        if (grid->RowHidden(row))
            continue;
        rows << QStringLiteral("%1:%2:%3").arg(grid->RowLevel(row)).arg(grid->CellText(row, 0), grid->CellText(row, name));
        if (grid->RowLevel(row) == 2)
            std::sort(rows.begin() + associates, rows.end());
        else
            associates = rows.size();
    }
    return rows;
}

int rowOf(const PartiesEditor &editor, int level, const QString &text, const char *key)
{
    const DataGrid *grid = editor.grid();
    const int col = grid->ColumnIndex(QLatin1String(key));
    for (int row = grid->FixedRows(); row < grid->Rows(); ++row) {
        if (grid->RowLevel(row) == level && grid->CellText(row, col) == text)
            return row;
    }
    return -1;
}

QString cell(const PartiesEditor &editor, int row, const char *key)
{
    return editor.grid()->CellText(row, editor.grid()->ColumnIndex(QLatin1String(key)));
}

QStringList namesIn(const PartiesEditor &editor, const QString &folder)
{
    const DataGrid *grid = editor.grid();
    QStringList names;
    for (int row = rowOf(editor, 1, folder) + 1; row > grid->FixedRows() && grid->RowLevel(row) == 2; ++row) {
        if (!grid->RowHidden(row))
            names << cell(editor, row, "ASCNAM");
    }
    return names;
}

QStringList keys(const PartiesEditor &editor, int row)
{
    QStringList values;
    for (const char *key : {"ORGFLG1", "ORGKEY1", "ORGRLTCOD", "ORGFLG2", "ORGKEY2"})
        values << cell(editor, row, key);
    return values;
}

QString association(const QStringList &keys)
{
    return keys.mid(0, 2).join(QString()) + QLatin1Char('-') + keys.at(2) + QLatin1Char('-') + keys.mid(3).join(QString());
}

QStringList stored()
{
    TableObject table;
    const QueryResult result =
        table.Fetch(QStringLiteral("Select ASCFLG1,ASCKEY1,ASCRLTCOD,ASCFLG2,ASCKEY2 From DUVPRB.PRBCLTASC"));
    QStringList associations;
    for (const QVariantList &row : result.toRows())
        associations << association(QVariant(row).toStringList());
    associations.sort();
    return associations;
}

} // namespace AssociationFixture

} // namespace Torva
