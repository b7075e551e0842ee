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
#include "parties_editor/partieseditor.h"
#include "userinput.h"

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
        // Every test's Given, on each engine: client 12 and its associations on file.
        TORVA_USE_ENGINE_ROW();
        seedClientTwelve();
    }
    void cleanup() { Clock::unpin(); }

    void outlineAndModeOfWhatIsLoaded_data();
    void outlineAndModeOfWhatIsLoaded();
    void clientTree_data() { TestDatabase::addEngineRows(); }
    void clientTree();
    void namesAreLinksInViewModeOnly_data();
    void namesAreLinksInViewModeOnly();
    void failureReachesTheHost_data();
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
    AssociationHost host;
    const DataGrid *grid = host.grid();
    QSignalSpy changes(host.editor, &PartiesEditor::Change);

    host.load();

    // The header's name is bold and the current cell; the folder keeps its
    // singular name for the menu and shows its picture;
    const int header = grid->FixedRows();
    const int name = grid->ColumnIndex(QStringLiteral("ASCNAM"));
    const int children = host.row(QStringLiteral("Children"));
    QVERIFY(grid->CellFontBold(header, name));
    QCOMPARE(grid->Row(), header);
    QCOMPARE(grid->Col(), name);
    QCOMPARE(grid->CellData(children, 0), QStringLiteral("Child"));
    QVERIFY(!grid->CellPicture(children, 0).isNull());
    QVERIFY(grid->RowIsNode(children));
    // the outline fills the control at the size the host gives it;
    QCOMPARE(grid->geometry(), host.editor->rect());
    // only the tree, name, dates and user are shown, the rest takes no room but keeps the stored keys;
    QStringList shown;
    for (int col = 0; col < grid->Cols(); ++col) {
        QCOMPARE(grid->CellRect(header, col).isEmpty(), grid->ColumnHidden(col));
        if (!grid->ColumnHidden(col))
            shown << grid->ColumnKey(col);
    }
    QCOMPARE(shown, (QStringList{"RLTDSC", "ASCNAM", "ASCBDT", "ASCUDT", "ASCUSR"}));
    QCOMPARE(grid->CellRect(header, name).width(), 227);  // 3400 twips at 15 to the pixel
    const int child = host.row(QStringLiteral("DOE, BABY"));
    QCOMPARE(keys(*host.editor, child), QStringList({"C", "12", "3", "C", "7"}));
    QCOMPARE(cell(*host.editor, child, "RLTCOD"), QStringLiteral("103"));
    QCOMPARE(cell(*host.editor, child, "ASCUDT"), QStringLiteral("01/05/2026"));
    QCOMPARE(grid->CellValue(child, grid->ColumnIndex(QStringLiteral("OLDRCD"))), -1.0);
    QCOMPARE(changes.count(), 0);

    // and a screen reader hears where each row stands in the outline.
    const OutlineModel *model = grid->model();
    auto spoken = [model](int row, int col) { return model->data(model->index(row, col), Qt::AccessibleTextRole).toString(); };
    QCOMPARE(spoken(children, 0), QStringLiteral("Children, folder, open, level 1"));
    QCOMPARE(spoken(child, 0), QStringLiteral("Client, level 2"));
    QCOMPARE(spoken(child, name), QStringLiteral("DOE, BABY"));
}

void PartiesEditorTest::namesAreLinksInViewModeOnly_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("mode");
    forEachEngine([](auto row) {
        row("editing") << "*EDIT";
        row("viewing") << "*VIEW";
    });
}

void PartiesEditorTest::namesAreLinksInViewModeOnly()
{
    QFETCH(QString, mode);
    const bool links = mode == QLatin1String("*VIEW");
    // Given a host that keeps the editor's properties itself and asks for links,
    AssociationHost host;
    host.editor->ReadProperties(PropertyBag({{QStringLiteral("HyperlinkNames"), true}}));
    PropertyBag saved;
    host.editor->WriteProperties(saved);
    QCOMPARE(saved.values(), QVariantMap({{QStringLiteral("HyperlinkNames"), true}}));
    host.load(QStringLiteral("JSMITH"), mode);
    QSignalSpy clicks(host.editor, &PartiesEditor::HyperlinkClickName);
    const int name = host.grid()->ColumnIndex(QStringLiteral("ASCNAM"));
    const int child = host.row(QStringLiteral("DOE, BABY"));
    auto [surface, point] = host.spot(child);

    // when the user points at an associate's name and clicks it,
    UserInput::moveMouse(surface, point);
    const bool hand = surface->cursor().shape() == Qt::PointingHandCursor;
    UserInput::click(surface, point);

    // then only in view mode is it a link, and the host hears its name and birth date;
    QCOMPARE(hand, links);
    QCOMPARE(clicks.count(), links ? 1 : 0);
    if (links)
        QCOMPARE(clicks.first(), (QVariantList{QStringLiteral("DOE, BABY"), 20100505}));
    QVERIFY(!host.grid()->IsCellHyperlink(host.grid()->FixedRows(), name));
    // switching the property after the load takes effect at once.
    host.editor->SetHyperlinkNames(false);
    if (links)  // (while editing, a press on the current name would start a drag)
        UserInput::click(surface, point);
    QCOMPARE(clicks.count(), links ? 1 : 0);
    QVERIFY(!host.grid()->CellFontUnderline(child, name));
    host.editor->SetHyperlinkNames(true);
    QCOMPARE(host.grid()->IsCellHyperlink(child, name), links);
    QCOMPARE(host.grid()->CellForeColor(child, name) == host.grid()->LinkColor(), links);
}

void PartiesEditorTest::failureReachesTheHost_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("dropped");    // a table
    QTest::addColumn<QString>("statement");  // the one that fails without it
    forEachEngine([](auto row) {
        row("the user's rights") << "DUVPRB.PRBSEC" << Statements::SecurityRow;
        row("the associations") << "DUVPRB.PRBCLTASC" << Statements::associationTree(QStringLiteral("C"));
    });
}

void PartiesEditorTest::failureReachesTheHost()
{
    QFETCH(QString, dropped);
    QFETCH(QString, statement);
    // Given client 12 loaded, and a host that hears of failures,
    PartiesEditor editor;
    QVERIFY(editor.LoadRecords(QStringLiteral("JSMITH"), QStringLiteral("C"), 12));
    const QStringList shown = outline(editor);
    QStringList told;
    connect(&editor, &PartiesEditor::Error, this, [&told](TableObject *&table) {
        told << table->LastStatement();
        table = nullptr;  // the host's copy only
    });

    // When a table goes and the host loads the client again,
    Database::connection().run(QStringLiteral("Drop Table ") + dropped);
    QVERIFY_THROWS_EXCEPTION(DataAccessError, editor.LoadRecords(QStringLiteral("JSMITH"), QStringLiteral("C"), 12));

    // then the host hears once of the statement that failed, and the outline stays as it was.
    QCOMPARE(told, QStringList{statement});
    QCOMPARE(outline(editor), shown);
}

QTEST_MAIN(PartiesEditorTest)
#include "tst_partieseditor.moc"
