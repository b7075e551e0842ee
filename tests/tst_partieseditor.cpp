#include "common/clock.h"
#include "controls/datagrid.h"
#include "controls/propertybag.h"
#include "data/connection.h"
#include "data/dataaccesserror.h"
#include "data/database.h"
#include "data/statements.h"
#include "data/tableobject.h"
#include "associationfixture.h"
#include "fixtures.h"
#include "parties_editor/associationrows.h"
#include "parties_editor/partieseditor.h"
#include "testdatabase.h"

#include <QSignalSpy>
#include <QtTest>

using namespace AssociationFixture;

class PartiesEditorTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { Clock::pin(QDateTime(QDate(2026, 1, 5), QTime(10, 0))); }
    void cleanup() { Clock::unpin(); }
    void engines_data() { TestDatabase::addEngineRows(); }

    void clientTree_data() { engines_data(); }
    void clientTree();
    void clientWithoutAssociations_data() { engines_data(); }
    void clientWithoutAssociations();
    void partyIsAlwaysReadOnly_data() { engines_data(); }
    void partyIsAlwaysReadOnly();
    void keyThatNamesNobody_data() { engines_data(); }
    void keyThatNamesNobody();
    void modeIsSettled_data();
    void modeIsSettled();
    void namesAreLinksInViewModeOnly_data() { engines_data(); }
    void namesAreLinksInViewModeOnly();
    void newRowGoesToTheEndOfItsFolder_data() { engines_data(); }
    void newRowGoesToTheEndOfItsFolder();
    void assignedKeysFollowTheFolder_data();
    void assignedKeysFollowTheFolder();
    void deletingHidesStoredRowsAndRemovesNewOnes_data() { engines_data(); }
    void deletingHidesStoredRowsAndRemovesNewOnes();
    void enabledAtRunAndDesignTime();
    void propertiesArePersisted();
    void outlineFillsTheControl();
    void failureReachesTheHost_data() { engines_data(); }
    void failureReachesTheHost();
};

void PartiesEditorTest::clientTree()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    seedClientTwelve();
    PartiesEditor editor;
    QSignalSpy changes(&editor, &PartiesEditor::Change);

    QVERIFY(editor.LoadRecords(QStringLiteral("JSMITH"), QStringLiteral("C"), 12));

    // The header with the number padded to five digits; per code, the direct
    // folder with its associates, then the inverse one ("Child" takes "ren");
    // the symmetric type lists both orientations in its one folder; an
    // associate whose party is gone shows no name.
    QCOMPARE(outline(editor), QStringList({"0:Client 00012:DOE, JANE",
                                           "1:Parents:",
                                           "2:Party:",
                                           "2:Party:DOE, JOHN",
                                           "1:Children:",
                                           "2:Client:DOE, BABY",
                                           "1:Guardians:",
                                           "1:Wards:",
                                           "1:Siblings:",
                                           "2:Party:DOE, BRO",
                                           "2:Party:DOE, SIS"}));
    QCOMPARE(editor.UserMode, QStringLiteral("*EDIT"));
    QCOMPARE(editor.grid()->Editable(), 2);
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

void PartiesEditorTest::clientWithoutAssociations()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    seedTypes();
    Fixtures::addClient(123456, QStringLiteral("ROE, RICHARD"));
    PartiesEditor editor;

    editor.LoadRecords(QStringLiteral("JSMITH"), QStringLiteral("C"), 123456);

    QCOMPARE(outline(editor), QStringList({"0:Client 123456:ROE, RICHARD", "1:Parents:", "1:Children:", "1:Guardians:",
                                           "1:Wards:", "1:Siblings:"}));
}

void PartiesEditorTest::partyIsAlwaysReadOnly()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    seedClientTwelve();
    PartiesEditor editor;
    editor.UserMode = QStringLiteral("*EDIT");

    editor.LoadRecords(QStringLiteral("JSMITH"), QStringLiteral("P"), 5);

    QCOMPARE(editor.UserMode, QStringLiteral("*VIEW"));
    QCOMPARE(editor.grid()->Editable(), 0);
    QCOMPARE(outline(editor), QStringList({"0:Party:DOE, JOHN", "1:Parents:", "1:Children:", "2:Client:DOE, JANE",
                                           "1:Guardians:", "1:Wards:", "1:Siblings:"}));
}

void PartiesEditorTest::keyThatNamesNobody()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    seedTypes();
    PartiesEditor editor;

    QVERIFY(editor.LoadRecords(QStringLiteral("JSMITH"), QStringLiteral("C"), 404));

    QCOMPARE(outline(editor),
             QStringList({"1:Parents:", "1:Children:", "1:Guardians:", "1:Wards:", "1:Siblings:"}));
}

void PartiesEditorTest::modeIsSettled_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QString>("settled");
    for (const QString &engine : TestDatabase::engines()) {
        QTest::addRow("%s/view", qPrintable(engine)) << engine << "*VIEW" << "*VIEW";
        QTest::addRow("%s/edit", qPrintable(engine)) << engine << "*EDIT" << "*EDIT";
        QTest::addRow("%s/anything else", qPrintable(engine)) << engine << "*view" << "*EDIT";
        QTest::addRow("%s/nothing", qPrintable(engine)) << engine << "" << "*EDIT";
    }
}

void PartiesEditorTest::modeIsSettled()
{
    QFETCH(QString, engine);
    QFETCH(QString, asked);
    QFETCH(QString, settled);
    TORVA_USE_DATABASE(engine);
    seedClientTwelve();
    PartiesEditor editor;
    editor.UserMode = asked;

    editor.LoadRecords(QStringLiteral("JSMITH"), QStringLiteral("C"), 12);

    QCOMPARE(editor.UserMode, settled);
    QCOMPARE(editor.grid()->Editable(), settled == QLatin1String("*EDIT") ? 2 : 0);
}

void PartiesEditorTest::namesAreLinksInViewModeOnly()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
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

void PartiesEditorTest::newRowGoesToTheEndOfItsFolder()
{
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    seedClientTwelve();
    PartiesEditor editor;
    editor.LoadRecords(QStringLiteral("JSMITH"), QStringLiteral("C"), 12);
    QSignalSpy changes(&editor, &PartiesEditor::Change);

    // An empty folder gets the row right below it,
    const int wards = rowOf(editor, 1, QStringLiteral("Wards"));
    QCOMPARE(editor.rows().AddAssociateRow(wards, false), wards + 1);
    // a filled one after its last associate.
    const int parents = rowOf(editor, 1, QStringLiteral("Parents"));
    const int lastParent = editor.grid()->NodeRow(parents, 3);
    const int added = editor.rows().AddAssociateRow(parents, false);
    QCOMPARE(added, lastParent + 1);
    QCOMPARE(editor.grid()->NodeRow(parents, 3), added);
    QCOMPARE(editor.grid()->RowLevel(added), 2);
    QCOMPARE(cell(editor, added, "RLTCOD"), QStringLiteral("3"));
    QCOMPARE(cell(editor, wards + 1, "RLTCOD"), QStringLiteral("105"));
    // An empty row is no change yet.
    QCOMPARE(changes.count(), 0);
}

void PartiesEditorTest::assignedKeysFollowTheFolder_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("keys");
    for (const QString &engine : TestDatabase::engines()) {
        const QByteArray e = engine.toLatin1();
        QTest::addRow("%s/direct folder", e.constData()) << engine << "Parents" << QStringList{"C", "7", "3", "C", "12"};
        QTest::addRow("%s/inverse folder", e.constData()) << engine << "Children" << QStringList{"C", "12", "3", "C", "7"};
        QTest::addRow("%s/symmetric folder", e.constData()) << engine << "Siblings" << QStringList{"C", "12", "21", "C", "7"};
    }
}

void PartiesEditorTest::assignedKeysFollowTheFolder()
{
    QFETCH(QString, engine);
    QFETCH(QString, folder);
    QFETCH(QStringList, keys);
    TORVA_USE_DATABASE(engine);
    seedClientTwelve();
    PartiesEditor editor;
    editor.LoadRecords(QStringLiteral("JSMITH"), QStringLiteral("C"), 12);
    QSignalSpy changes(&editor, &PartiesEditor::Change);
    const int row = editor.rows().AddAssociateRow(rowOf(editor, 1, folder), false);

    // Given client 12 edited, when client 7 is chosen for the new row,
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
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
    seedClientTwelve();
    PartiesEditor editor;
    editor.LoadRecords(QStringLiteral("JSMITH"), QStringLiteral("C"), 12);
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
    QFETCH(QString, engine);
    TORVA_USE_DATABASE(engine);
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
