#include "associationfixture.h"
#include "associationhost.h"
#include "base/clock.h"
#include "controlrows.h"
#include "controls/datagrid.h"
#include "fixtures.h"
#include "parties_editor/associationrows.h"
#include "scriptedmessages.h"
#include "testdatabase.h"
#include "userinput.h"

#include <QtTest>

using namespace Torva;

using namespace AssociationFixture;

class AssociationDragTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { Clock::pin(QDateTime(QDate(2026, 1, 5), QTime(10, 0))); }
    void cleanup() { Clock::unpin(); }

    void pressStartsNoDragWhereItMayNot_data();
    void pressStartsNoDragWhereItMayNot();
    void copyOrMove_data();
    void copyOrMove();
    void dropsThatDoNothing_data();
    void dropsThatDoNothing();
};

void AssociationDragTest::pressStartsNoDragWhereItMayNot_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("row");
    QTest::addColumn<bool>("current");
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("modifiers");
    const int left = Qt::LeftButton;
    // (the drags that start are copyOrMove's)
    QTest::newRow("right button") << "*EDIT" << "DOE, BABY" << true << int(Qt::RightButton) << int(Qt::NoModifier);
    QTest::newRow("with Shift") << "*EDIT" << "DOE, BABY" << true << left << int(Qt::ShiftModifier);
    QTest::newRow("with Alt") << "*EDIT" << "DOE, BABY" << true << left << int(Qt::AltModifier);
    QTest::newRow("not the current cell") << "*EDIT" << "DOE, BABY" << false << left << int(Qt::NoModifier);
    QTest::newRow("a folder") << "*EDIT" << "Children" << true << left << int(Qt::NoModifier);
    QTest::newRow("the client itself") << "*EDIT" << "header" << true << left << int(Qt::NoModifier);
    QTest::newRow("no name yet") << "*EDIT" << "new" << true << left << int(Qt::NoModifier);
    QTest::newRow("viewing") << "*VIEW" << "DOE, BABY" << true << left << int(Qt::NoModifier);
}

void AssociationDragTest::pressStartsNoDragWhereItMayNot()
{
    QFETCH(QString, mode);
    QFETCH(QString, row);
    QFETCH(bool, current);
    QFETCH(int, button);
    QFETCH(int, modifiers);
    TORVA_USE_DATABASE(QStringLiteral("sqlite"));
    ClientTwelveHost host(QStringLiteral("JSMITH"), mode);
    const int at = row == QLatin1String("new") ? host.editor->rows().AddAssociateRow(host.row(QStringLiteral("Wards")), false)
                                               : host.row(row);
    host.select(current ? at : host.row(QStringLiteral("DOE, SIS")));

    QCOMPARE(host.pressToDrag(at, Qt::KeyboardModifiers(modifiers), Qt::MouseButton(button)), 0);
}

void AssociationDragTest::copyOrMove_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("right");    // the user's SECP02; "none" for no security row
    QTest::addColumn<QString>("gesture");  // "drag" and "Ctrl+drag" by the mouse, else the keys before Ctrl+V on the folder
    QTest::addColumn<QString>("dragged");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QStringList>("keys");  // of the new row
    forEachEngine([](auto row) {
        // A symmetric folder keeps the dragged sides, with its own code.
        row("copy to a folder below") << "Y" << "Ctrl+drag" << "DOE, JOHN" << "Siblings" << QStringList{"P", "5", "21", "C", "12"};
        // An inverse folder: client 12 on side 1, code without the 100.
        row("copy to an inverse folder") << "Y" << "Ctrl+drag" << "DOE, JOHN" << "Wards" << QStringList{"C", "12", "5", "P", "5"};
        // A direct folder, the dragged row with client 12 on side 1: the associate goes to side 1.
        row("move to a folder above") << "Y" << "drag" << "DOE, BABY" << "Parents" << QStringList{"C", "7", "3", "C", "12"};
        row("move to a direct folder below") << "Y" << "drag" << "DOE, SIS" << "Guardians" << QStringList{"P", "6", "5", "C", "12"};
        // The child from Children to Wards, by every gesture and right.
        for (const QString &right : QStringList{"Y", "N", "", "y", "X", "none"}) {
            for (const QString &gesture : QStringList{"drag", "Ctrl+X", "Ctrl+drag", "Ctrl+C"})
                row(qPrintable((right == QLatin1String("none") ? QStringLiteral("no security row")
                                                               : QStringLiteral("SECP02 '%1'").arg(right))
                               + QStringLiteral(", ") + gesture))
                    << right << gesture << "DOE, BABY" << "Wards" << QStringList{"C", "12", "5", "C", "7"};
        }
    });
}

void AssociationDragTest::copyOrMove()
{
    QFETCH(QString, right);
    QFETCH(QString, gesture);
    QFETCH(QString, dragged);
    QFETCH(QString, target);
    QFETCH(QStringList, keys);
    TORVA_USE_ENGINE_ROW();
    seedClientTwelve();
    if (right != QLatin1String("none"))
        Fixtures::addUser(QStringLiteral("CLERK"), right);
    AssociationHost host;
    host.load(QStringLiteral("CLERK"));
    ScriptedMessages boxes;
    const bool move = gesture == QLatin1String("drag") || gesture == QLatin1String("Ctrl+X");
    // A move deletes the associate from its folder: only a user who may delete gets one.
    const bool moved = move && right == QLatin1String("Y");
    const int source = host.row(dragged);
    const QString from = cell(*host.editor, host.grid()->NodeRow(source, 1), "RLTDSC");
    QStringList expected = stored();
    if (moved)
        expected.removeOne(association(AssociationFixture::keys(*host.editor, source)));
    expected << association(keys);
    expected.sort();
    QSignalSpy changed(host.editor, &PartiesEditor::Change);

    // When the user moves or copies the associate to the folder,
    host.select(source);
    if (gesture.endsWith(QLatin1String("drag"))) {
        const int effects = host.pressToDrag(source, move ? Qt::NoModifier : Qt::ControlModifier);
        QCOMPARE(effects, int(moved ? DataGrid::DropMove : DataGrid::DropCopy));
        host.dropOn(host.row(target), source);
    } else {
        UserInput::keys(QStringLiteral("{%1}").arg(gesture));
        host.select(host.row(target));
        UserInput::keys(QStringLiteral("{Ctrl+V}"));
    }

    // then the copy is the target folder's last associate, new and marked,
    const int added = host.grid()->NodeRow(host.row(target), 3);
    QCOMPARE(cell(*host.editor, added, "ASCNAM"), dragged);
    QCOMPARE(AssociationFixture::keys(*host.editor, added), keys);
    QCOMPARE(cell(*host.editor, added, "CHGRCD"), QStringLiteral("True"));
    // the dragged row stays, unless it was moved (hidden, to be deleted),
    QCOMPARE(namesIn(*host.editor, from).contains(dragged), !moved);
    QCOMPARE(changed.count(), moved ? 2 : 1);
    // and a user who asked for a move and got a copy is told so, once.
    QCOMPARE(int(boxes.messages.size()), move && !moved ? 1 : 0);
    if (!boxes.messages.isEmpty())
        QVERIFY2(boxes.messages.first().text.contains(dragged), qPrintable(boxes.texts().join(QLatin1Char('\n'))));

    // Saved, it is stored so, and reads back into the target folder.
    QVERIFY(host.editor->SaveRecords());
    QCOMPARE(stored(), expected);
    host.load(QStringLiteral("CLERK"));
    QVERIFY2(namesIn(*host.editor, target).contains(dragged), qPrintable(outline(*host.editor).join(QLatin1Char('\n'))));
}

void AssociationDragTest::dropsThatDoNothing_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("format");  // of what is dragged; "" for a row of the outline, "none": drops turned off
    QTest::newRow("on an associate") << "DOE, SIS" << "*EDIT" << "";
    QTest::newRow("on the client itself") << "header" << "*EDIT" << "";
    QTest::newRow("viewing") << "Wards" << "*VIEW" << "";
    QTest::newRow("text from elsewhere") << "Wards" << "*EDIT" << "text/plain";
    QTest::newRow("drops turned off by the host") << "Wards" << "*EDIT" << "none";
}

void AssociationDragTest::dropsThatDoNothing()
{
    QFETCH(QString, target);
    QFETCH(QString, mode);
    QFETCH(QString, format);
    TORVA_USE_DATABASE(QStringLiteral("sqlite"));
    ClientTwelveHost host;
    const int source = host.row(QStringLiteral("DOE, BABY"));
    host.select(source);
    host.pressToDrag(source);
    if (mode != QLatin1String("*EDIT"))
        host.load(QStringLiteral("JSMITH"), mode);
    const QStringList before = outline(*host.editor);
    QSignalSpy changed(host.editor, &PartiesEditor::Change);

    if (format == QLatin1String("none"))
        host.grid()->setDropMode(0);
    const bool accepted = host.dropOn(host.row(target), source, format == QLatin1String("none") ? QString() : format);

    QCOMPARE(accepted, format.isEmpty());
    QCOMPARE(outline(*host.editor), before);
    QCOMPARE(changed.count(), 0);
}

QTEST_MAIN(AssociationDragTest)
#include "tst_associationdrag.moc"
