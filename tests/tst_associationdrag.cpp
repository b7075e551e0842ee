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

#include <QSignalSpy>
#include <QtTest>

using namespace Torva;

using namespace AssociationFixture;

class AssociationDragTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { Clock::pin(QDateTime(QDate(2026, 1, 5), QTime(10, 0))); }
    void cleanup() { Clock::unpin(); }

    void pressStartsADragOnlyWhenItMay_data();
    void pressStartsADragOnlyWhenItMay();
    void dropCopiesOrMoves_data();
    void dropCopiesOrMoves();
    void dropsThatDoNothing_data();
    void dropsThatDoNothing();
    void moveNeedsTheRightToDelete_data();
    void moveNeedsTheRightToDelete();
};

void AssociationDragTest::pressStartsADragOnlyWhenItMay_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("row");
    QTest::addColumn<bool>("current");
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("effects");
    const int left = Qt::LeftButton;
    QTest::newRow("move") << "*EDIT" << "DOE, BABY" << true << left << int(Qt::NoModifier) << int(DataGrid::DropMove);
    QTest::newRow("copy with Ctrl") << "*EDIT" << "DOE, BABY" << true << left << int(Qt::ControlModifier) << int(DataGrid::DropCopy);
    QTest::newRow("right button") << "*EDIT" << "DOE, BABY" << true << int(Qt::RightButton) << int(Qt::NoModifier) << 0;
    QTest::newRow("with Shift") << "*EDIT" << "DOE, BABY" << true << left << int(Qt::ShiftModifier) << 0;
    QTest::newRow("with Alt") << "*EDIT" << "DOE, BABY" << true << left << int(Qt::AltModifier) << 0;
    QTest::newRow("not the current cell") << "*EDIT" << "DOE, BABY" << false << left << int(Qt::NoModifier) << 0;
    QTest::newRow("a folder") << "*EDIT" << "Children" << true << left << int(Qt::NoModifier) << 0;
    QTest::newRow("the client itself") << "*EDIT" << "header" << true << left << int(Qt::NoModifier) << 0;
    QTest::newRow("no name yet") << "*EDIT" << "new" << true << left << int(Qt::NoModifier) << 0;
    QTest::newRow("viewing") << "*VIEW" << "DOE, BABY" << true << left << int(Qt::NoModifier) << 0;
}

void AssociationDragTest::pressStartsADragOnlyWhenItMay()
{
    QFETCH(QString, mode);
    QFETCH(QString, row);
    QFETCH(bool, current);
    QFETCH(int, button);
    QFETCH(int, modifiers);
    QFETCH(int, effects);
    TORVA_USE_DATABASE(QStringLiteral("sqlite"));
    ClientTwelveHost host(QStringLiteral("JSMITH"), mode);
    const int at = row == QLatin1String("new") ? host.editor->rows().AddAssociateRow(host.row(QStringLiteral("Wards")), false)
                                               : host.row(row);
    host.select(current ? at : host.row(QStringLiteral("DOE, SIS")));

    QCOMPARE(host.pressToDrag(at, Qt::KeyboardModifiers(modifiers), Qt::MouseButton(button)), effects);
}

void AssociationDragTest::dropCopiesOrMoves_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("dragged");
    QTest::addColumn<bool>("copy");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<int>("changes");
    forEachEngine([](auto row) {
        // A symmetric folder keeps the dragged sides, with its own code.
        row("copy to a folder below") << "DOE, JOHN" << true << "Siblings" << QStringList{"P", "5", "21", "C", "12"} << 1;
        // An inverse folder: client 12 on side 1, code without the 100.
        row("copy to an inverse folder") << "DOE, JOHN" << true << "Wards" << QStringList{"C", "12", "5", "P", "5"} << 1;
        // A direct folder, the dragged row with client 12 on side 1: the associate goes to side 1.
        row("move to a folder above") << "DOE, BABY" << false << "Parents" << QStringList{"C", "7", "3", "C", "12"} << 2;
        row("move to a direct folder below") << "DOE, SIS" << false << "Guardians" << QStringList{"P", "6", "5", "C", "12"} << 2;
    });
}

void AssociationDragTest::dropCopiesOrMoves()
{
    QFETCH(QString, dragged);
    QFETCH(bool, copy);
    QFETCH(QString, target);
    QFETCH(QStringList, keys);
    QFETCH(int, changes);
    TORVA_USE_ENGINE_ROW();
    ClientTwelveHost host;
    const int source = host.row(dragged);
    const QString from = cell(*host.editor, host.grid()->NodeRow(source, 1), "RLTDSC");
    host.select(source);
    QCOMPARE(host.pressToDrag(source, copy ? Qt::ControlModifier : Qt::NoModifier), copy ? 1 : 2);
    QSignalSpy changed(host.editor, &PartiesEditor::Change);

    host.dropOn(host.row(target), source);

    // The copy is the target folder's last associate, new and marked,
    const int folder = host.row(target);
    const int added = host.grid()->NodeRow(folder, 3);
    QCOMPARE(cell(*host.editor, added, "ASCNAM"), dragged);
    QCOMPARE(AssociationFixture::keys(*host.editor, added), keys);
    QCOMPARE(cell(*host.editor, added, "CHGRCD"), QStringLiteral("True"));
    // the dragged row stays for a copy and is hidden (to be deleted) for a move.
    QCOMPARE(namesIn(*host.editor, from).contains(dragged), copy);
    QCOMPARE(changed.count(), changes);

    // Saved, the association reads back into the target folder.
    QVERIFY(host.editor->SaveRecords());
    host.load();
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

void AssociationDragTest::moveNeedsTheRightToDelete_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("right");    // the user's SECP02; "none" for no security row
    QTest::addColumn<QString>("gesture");  // "drag" and "Ctrl+drag" by the mouse, else the keys before Ctrl+V
    const QStringList rights{"Y", "N", "", "y", "X", "none"};
    const QStringList gestures{"drag", "Ctrl+X", "Ctrl+drag", "Ctrl+C"};
    forEachEngine([&](auto row) {
        for (const QString &right : rights) {
            for (const QString &gesture : gestures)
                row(qPrintable((right == QLatin1String("none") ? QStringLiteral("no security row")
                                                               : QStringLiteral("SECP02 '%1'").arg(right))
                               + QStringLiteral(", ") + gesture))
                    << right << gesture;
        }
    });
}

void AssociationDragTest::moveNeedsTheRightToDelete()
{
    QFETCH(QString, right);
    QFETCH(QString, gesture);
    TORVA_USE_ENGINE_ROW();
    seedClientTwelve();
    if (right != QLatin1String("none"))
        Fixtures::addUser(QStringLiteral("CLERK"), right);
    AssociationHost host;
    host.load(QStringLiteral("CLERK"));
    ScriptedMessages boxes;
    const bool may = right == QLatin1String("Y");
    const bool move = gesture == QLatin1String("drag") || gesture == QLatin1String("Ctrl+X");

    // When the user moves or copies the child from Children to Wards,
    const int source = host.row(QStringLiteral("DOE, BABY"));
    host.select(source);
    if (gesture.endsWith(QLatin1String("drag"))) {
        const int effects = host.pressToDrag(source, move ? Qt::NoModifier : Qt::ControlModifier);
        QCOMPARE(effects, int(move && may ? DataGrid::DropMove : DataGrid::DropCopy));
        host.dropOn(host.row(QStringLiteral("Wards")), source);
    } else {
        UserInput::keys(QStringLiteral("{%1}").arg(gesture));
        host.select(host.row(QStringLiteral("Wards")));
        UserInput::keys(QStringLiteral("{Ctrl+V}"));
    }
    QVERIFY(host.editor->SaveRecords());

    // then it is stored as a ward, and it leaves Children only for a user who may delete;
    QStringList expected{"C12-21-P6", "C12-5-C7", "P5-3-C12", "P8-21-C12", "P99-3-C12"};
    if (!move || !may)
        expected << QStringLiteral("C12-3-C7");
    expected.sort();
    QCOMPARE(stored(), expected);
    // a user who asked for a move and got a copy is told so, once.
    QCOMPARE(int(boxes.messages.size()), move && !may ? 1 : 0);
    if (!boxes.messages.isEmpty())
        QVERIFY2(boxes.messages.first().text.contains(QLatin1String("DOE, BABY")), qPrintable(boxes.texts().join(QLatin1Char('\n'))));
}

QTEST_MAIN(AssociationDragTest)
#include "tst_associationdrag.moc"
