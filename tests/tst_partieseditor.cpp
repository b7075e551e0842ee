#include "base/clock.h"
#include "controls/datagrid.h"
#include "controls/propertybag.h"
#include "data/connection.h"
#include "data/dataaccesserror.h"
#include "data/database.h"
#include "data/statements.h"
#include "data/tableobject.h"
#include "associationfixture.h"
#include "associationhost.h"
#include "controlrows.h"
#include "fixtures.h"
#include "parties_editor/associationrows.h"
#include "parties_editor/partieseditor.h"

#include <QSignalSpy>
#include <QtTest>

using namespace Torva;

using namespace AssociationFixture;

class PartiesEditorTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        Clock::pin(QDateTime(QDate(2026, 1, 5), QTime(10, 0)));
        if (QTest::currentDataTag()) {  // the tests with rows have one per engine
            TORVA_USE_ENGINE_ROW();
        }
    }
    void cleanup() { Clock::unpin(); }
    void engines_data() { TestDatabase::addEngineRows(); }

    void outlineAndModeOfWhatIsLoaded_data();
    void outlineAndModeOfWhatIsLoaded();
    void clientTree_data() { engines_data(); }
    void clientTree();
    void namesAreLinksInViewModeOnly_data() { engines_data(); }
    void namesAreLinksInViewModeOnly();
    void newRowTakesTheFoldersKeys_data();
    void newRowTakesTheFoldersKeys();
    void deletingHidesStoredRowsAndRemovesNewOnes_data() { engines_data(); }
    void deletingHidesStoredRowsAndRemovesNewOnes();
    void enabledAtRunAndDesignTime();
    void propertiesArePersisted();
    void outlineFillsTheControl();
    void failureReachesTheHost_data() { engines_data(); }
    void failureReachesTheHost();
};

void PartiesEditorTest::outlineAndModeOfWhatIsLoaded_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("settled");
    QTest::addColumn<QStringList>("expected");
    // The header with the number padded to five digits; per code, the direct
    // folder with its associates, then the inverse one ("Child" takes "ren");
    // the symmetric type lists both orientations in its one folder; an
    // associate whose party is gone shows no name.
    const QStringList twelve{"0:Client 00012:DOE, JANE", "1:Parents:", "2:Party:", "2:Party:DOE, JOHN",
                             "1:Children:", "2:Client:DOE, BABY", "1:Guardians:", "1:Wards:", "1:Siblings:",
                             "2:Party:DOE, BRO", "2:Party:DOE, SIS"};
    const QStringList folders{"1:Parents:", "1:Children:", "1:Guardians:", "1:Wards:", "1:Siblings:"};
    const QStringList party{"0:Party:DOE, JOHN", "1:Parents:", "1:Children:", "2:Client:DOE, JANE",
                            "1:Guardians:", "1:Wards:", "1:Siblings:"};
    forEachEngine([&](auto row) {
        row("client, edit") << "*EDIT" << "C" << 12 << "*EDIT" << twelve;
        row("client, view") << "*VIEW" << "C" << 12 << "*VIEW" << twelve;
        row("client, any other mode") << "*view" << "C" << 12 << "*EDIT" << twelve;
        row("client, no mode") << "" << "C" << 12 << "*EDIT" << twelve;
        row("party, always read-only") << "*EDIT" << "P" << 5 << "*VIEW" << party;
        row("client without associations") << "*EDIT" << "C" << 123456 << "*EDIT"
                                           << QStringList{"0:Client 123456:ROE, RICHARD"} + folders;
        row("key that names nobody") << "*EDIT" << "C" << 404 << "*EDIT" << folders;
    });
}

void PartiesEditorTest::outlineAndModeOfWhatIsLoaded()
{
    QFETCH(QString, asked);
    QFETCH(QString, kind);
    QFETCH(int, key);
    QFETCH(QString, settled);
    QFETCH(QStringList, expected);
    seedClientTwelve();
    Fixtures::addClient(123456, QStringLiteral("ROE, RICHARD"));
    PartiesEditor editor;
    editor.UserMode = asked;

    QVERIFY(editor.LoadRecords(QStringLiteral("JSMITH"), kind, key));

    QCOMPARE(outline(editor), expected);
    QCOMPARE(editor.UserMode, settled);
    QCOMPARE(editor.grid()->Editable(), settled == QLatin1String("*EDIT") ? 2 : 0);
}

void PartiesEditorTest::clientTree()
{
    seedClientTwelve();
    PartiesEditor editor;
    QSignalSpy changes(&editor, &PartiesEditor::Change);

    QVERIFY(editor.LoadRecords(QStringLiteral("JSMITH"), QStringLiteral("C"), 12));

    // The folder keeps its singular name for the menu.
    QCOMPARE(editor.grid()->CellData(rowOf(editor, 1, QStringLiteral("Children")), 0), QStringLiteral("Child"));
    // The own name is bold; hidden columns keep the stored keys.
    const int header = editor.grid()->FixedRows();
    QVERIFY(editor.grid()->CellFontBold(header, editor.grid()->ColumnIndex(QStringLiteral("ASCNAM"))));
    QVERIFY(editor.grid()->ColumnHidden(editor.grid()->ColumnIndex(QStringLiteral("ORGKEY1"))));
    QVERIFY(editor.grid()->ColumnHidden(editor.grid()->ColumnIndex(QStringLiteral("RLTCOD"))));
    QVERIFY(!editor.grid()->ColumnHidden(editor.grid()->ColumnIndex(QStringLiteral("ASCUSR"))));
    const int child = rowOf(editor, 2, QStringLiteral("DOE, BABY"), "ASCNAM");
    QCOMPARE(keys(editor, child), QStringList({"C", "12", "3", "C", "7"}));
    QCOMPARE(cell(editor, child, "RLTCOD"), QStringLiteral("103"));
    QCOMPARE(cell(editor, child, "ASCUDT"), QStringLiteral("01/05/2026"));
    QCOMPARE(editor.grid()->CellValue(child, editor.grid()->ColumnIndex(QStringLiteral("OLDRCD"))), -1.0);
    QCOMPARE(changes.count(), 0);

    // A screen reader hears where each row stands in the outline.
    const OutlineModel *model = editor.grid()->model();
    auto spoken = [model](int row, int col) { return model->data(model->index(row, col), Qt::AccessibleTextRole).toString(); };
    QCOMPARE(spoken(rowOf(editor, 1, QStringLiteral("Children")), 0), QStringLiteral("Children, folder, open, level 1"));
    QCOMPARE(spoken(child, 0), QStringLiteral("Client, level 2"));
    QCOMPARE(spoken(child, editor.grid()->ColumnIndex(QStringLiteral("ASCNAM"))), QStringLiteral("DOE, BABY"));
}

void PartiesEditorTest::namesAreLinksInViewModeOnly()
{
    seedClientTwelve();
    const QList<QPair<QString, bool>> cases{{QStringLiteral("*EDIT"), false}, {QStringLiteral("*VIEW"), true}};
    for (const auto &[mode, links] : cases) {
        PartiesEditor editor;
        editor.UserMode = mode;
        editor.SetHyperlinkNames(true);
        editor.LoadRecords(QStringLiteral("JSMITH"), QStringLiteral("C"), 12);
        const DataGrid *grid = editor.grid();
        const int name = grid->ColumnIndex(QStringLiteral("ASCNAM"));
        const int child = rowOf(editor, 2, QStringLiteral("DOE, BABY"), "ASCNAM");

        // Only associate names, and only in view mode, are links.
        QCOMPARE(grid->IsCellHyperlink(child, name), links);
        QVERIFY(!grid->IsCellHyperlink(grid->FixedRows(), name));
        // Switching the property after the load takes effect at once.
        editor.SetHyperlinkNames(false);
        QVERIFY(!grid->IsCellHyperlink(child, name) || !grid->CellFontUnderline(child, name));
        editor.SetHyperlinkNames(true);
        QCOMPARE(grid->IsCellHyperlink(child, name), links);
    }
}

void PartiesEditorTest::newRowTakesTheFoldersKeys_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("keys");
    forEachEngine([](auto row) {
        row("direct folder") << "Parents" << "3" << QStringList{"C", "7", "3", "C", "12"};
        row("inverse folder") << "Children" << "103" << QStringList{"C", "12", "3", "C", "7"};
        row("empty inverse folder") << "Wards" << "105" << QStringList{"C", "12", "5", "C", "7"};
        row("symmetric folder") << "Siblings" << "21" << QStringList{"C", "12", "21", "C", "7"};
    });
}

void PartiesEditorTest::newRowTakesTheFoldersKeys()
{
    QFETCH(QString, folder);
    QFETCH(QString, code);
    QFETCH(QStringList, keys);
    ClientTwelveHost host;
    PartiesEditor &editor = *host.editor;
    QSignalSpy changes(&editor, &PartiesEditor::Change);
    const int folderRow = rowOf(editor, 1, folder);
    const int lastAssociate = editor.grid()->NodeRow(folderRow, 3);  // -1 for an empty folder

    // Given client 12 edited, a new row goes after the folder's last
    // associate (an empty folder: right below it), and is no change yet;
    const int row = editor.rows().AddAssociateRow(folderRow, false);
    QCOMPARE(row, (lastAssociate < 0 ? folderRow : lastAssociate) + 1);
    QCOMPARE(editor.grid()->NodeRow(folderRow, 3), row);
    QCOMPARE(editor.grid()->RowLevel(row), 2);
    QCOMPARE(cell(editor, row, "RLTCOD"), code);
    QCOMPARE(changes.count(), 0);

    // when client 7 is chosen for the new row,
    editor.rows().AssignAssociate(row, QStringLiteral("C"), 7);

    // then the keys are those loading reads back for this folder, and the row is marked.
    QCOMPARE(AssociationFixture::keys(editor, row), keys);
    QCOMPARE(cell(editor, row, "RLTDSC"), QStringLiteral("Client"));
    QCOMPARE(cell(editor, row, "CHGRCD"), QStringLiteral("True"));
    QCOMPARE(cell(editor, row, "ASCUDT"), QStringLiteral("01/05/2026"));
    QCOMPARE(cell(editor, row, "ASCUSR"), QStringLiteral("JSMITH"));
    QCOMPARE(editor.grid()->CellValue(row, editor.grid()->ColumnIndex(QStringLiteral("OLDRCD"))), 0.0);
    QCOMPARE(changes.count(), 1);
}

void PartiesEditorTest::deletingHidesStoredRowsAndRemovesNewOnes()
{
    ClientTwelveHost host;
    PartiesEditor &editor = *host.editor;
    const int parents = rowOf(editor, 1, QStringLiteral("Parents"));
    const int added = editor.rows().AddAssociateRow(parents, false);
    editor.rows().AssignAssociate(added, QStringLiteral("P"), 6);
    const int rowsBefore = editor.grid()->Rows();
    QSignalSpy changes(&editor, &PartiesEditor::Change);

    // When every associate of the folder goes at once,
    editor.rows().DeleteAssociateRows(editor.grid()->NodeRow(parents, 2), editor.grid()->NodeRow(parents, 3));

    // then the new one is gone, the two stored ones are hidden (for the delete
    // at save), and the host hears of it once.
    QCOMPARE(editor.grid()->Rows(), rowsBefore - 1);
    QCOMPARE(changes.count(), 1);
    int hidden = 0;
    for (int row = parents + 1; row < editor.grid()->Rows() && editor.grid()->RowLevel(row) == 2; ++row) {
        QVERIFY(editor.grid()->RowHidden(row));
        QCOMPARE(editor.grid()->CellValue(row, editor.grid()->ColumnIndex(QStringLiteral("OLDRCD"))), -1.0);
        ++hidden;
    }
    QCOMPARE(hidden, 2);
    QVERIFY(!outline(editor).join(QLatin1Char(',')).contains(QLatin1String("DOE, JOHN")));
}

void PartiesEditorTest::enabledAtRunAndDesignTime()
{
    PartiesEditor editor;
    QSignalSpy notices(&editor, &PartiesEditor::EnabledChanged);

    editor.SetEnabled(false);
    QVERIFY(!editor.Enabled());
    QVERIFY(!editor.grid()->Enabled());
    // QWidget::setEnabled, as a form's generated code calls it, is a write too.
    editor.QWidget::setEnabled(true);
    QVERIFY(editor.grid()->Enabled());
    editor.SetEnabled(false);

    // In a form designer the outline is left alone.
    editor.SetEnabled(true);
    editor.setDesignMode(true);
    editor.SetEnabled(false);
    QVERIFY(!editor.Enabled());
    QVERIFY(editor.grid()->Enabled());
    QCOMPARE(notices.count(), 5);
}

void PartiesEditorTest::propertiesArePersisted()
{
    PartiesEditor editor;
    QSignalSpy order(&editor, &PartiesEditor::HyperlinkNamesChanged);

    // Saved without entries: the grid's flag and no links.
    editor.ReadProperties(PropertyBag());
    QVERIFY(editor.Enabled());
    QVERIFY(!editor.HyperlinkNames());

    editor.ReadProperties(PropertyBag({{QStringLiteral("HyperlinkNames"), true}}));
    QVERIFY(editor.HyperlinkNames());
    PropertyBag saved;
    editor.WriteProperties(saved);
    QCOMPARE(saved.values(), QVariantMap({{QStringLiteral("HyperlinkNames"), true}}));
    QCOMPARE(order.count(), 2);
}

void PartiesEditorTest::outlineFillsTheControl()
{
    PartiesEditor editor;
    editor.show();

    for (const QSize size : {QSize(540, 361), QSize(300, 200), QSize(900, 640)}) {
        editor.resize(size);
        QCOMPARE(editor.grid()->geometry(), QRect(QPoint(0, 0), size));
    }
}

void PartiesEditorTest::failureReachesTheHost()
{
    seedClientTwelve();
    Database::connection().run(QStringLiteral("Drop Table DUVPRB.PRBSEC"));
    PartiesEditor editor;
    QStringList told;
    connect(&editor, &PartiesEditor::Error, this, [&told](TableObject *&table) {
        told << table->LastStatement();
        table = nullptr;  // the host's copy only
    });

    QVERIFY_THROWS_EXCEPTION(DataAccessError, editor.LoadRecords(QStringLiteral("JSMITH"), QStringLiteral("C"), 12));

    QCOMPARE(told, QStringList{Statements::SecurityRow});
}

QTEST_MAIN(PartiesEditorTest)
#include "tst_partieseditor.moc"
