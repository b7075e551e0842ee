#include "controls/combobox.h"
#include "controls/datagrid.h"
#include "data/connection.h"
#include "data/database.h"
#include "data/statements.h"
#include "controlrows.h"
#include "fixtures.h"
#include "userinput.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QLineEdit>
#include <QTableView>
#include <QToolButton>
#include <QtTest>

using namespace Torva;

namespace {

// A host with a grid whose row 1 has an empty name cell in column 1, and the
// name search set up over it as the associations editor sets it up.
struct Host
{
    QWidget window;
    DataGrid *grid = new DataGrid(&window);
    ComboBox *combo = new ComboBox(&window);
    QLineEdit *find = new QLineEdit(&window);  // next in the tab order: where a lost focus would go

    Host()
    {
        window.resize(600, 400);
        grid->setGeometry(0, 30, 600, 370);
        grid->setCols(3);
        grid->setFixedCols(1);
        grid->InsertRow(QStringLiteral("Party\t\t"), 2, false, -1);
        combo->hide();
        combo->setRecordSource(Statements::NameSearchSource);
        combo->setGrid(grid);
    }

    void open(const QString &cellText = QString())
    {
        grid->setCellText(1, 1, cellText);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        grid->setRow(1);
        grid->setCol(1);
        combo->EditCell();
    }

    void type(const QString &text)
    {
        UserInput::type(text);
        combo->Search();  // as the pause in typing would
    }
};

QStringList names(ComboBox &combo)
{
    QStringList listed;
    for (int row = 0; row < combo.ListCount(); ++row) {
        combo.setListIndex(row);
        listed << combo.Columns(QStringLiteral("PTYNAM")).toString();
    }
    return listed;
}

} // namespace

class ComboBoxTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void opensOverTheCellWithItsSettings();
    void typedTextIsSearchedAsText_data();
    void typedTextIsSearchedAsText();
    void listIsReadLazily_data() { TestDatabase::addEngineRows(); }
    void listIsReadLazily();
    void listShowsItsColumnsWhole_data();
    void listShowsItsColumnsWhole();
    void entryFinished_data();
    void entryFinished();
    void searchFailureIsReportedNotThrown_data() { TestDatabase::addEngineRows(); }
    void searchFailureIsReportedNotThrown();
};

void ComboBoxTest::opensOverTheCellWithItsSettings()
{
    Host host;
    host.open(QStringLiteral(""));

    // Over the cell, as its editor, with the focus.
    const QRect cell = host.grid->CellRect(1, 1);
    QCOMPARE(host.combo->geometry().topLeft(), host.grid->mapTo(&host.window, cell.topLeft()));
    QCOMPARE(host.combo->width(), cell.width());
    QVERIFY(host.combo->Visible());
    QVERIFY(host.combo->IsEditing());
    QCOMPARE(QApplication::focusWidget(), host.combo->editor());

    // At most 30 characters.
    UserInput::type(QString(35, QLatin1Char('A')));
    QCOMPARE(host.combo->EditText().size(), 30);

    // The four list columns: captions, and the key and date right of the name's left edge.
    QAbstractItemModel *list = host.combo->listView()->model();
    QStringList captions;
    for (int col = 0; col < 4; ++col)
        captions << list->headerData(col, Qt::Horizontal).toString();
    QCOMPARE(captions, (QStringList{"Type", "Key", "Name", "DOB"}));
    QCOMPARE(host.combo->KeyItems(), (QStringList{"ASCFLG", "PTYKEY", "PTYNAM", "PTYBDT"}));
    QCOMPARE(list->headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));
    QCOMPARE(list->headerData(2, Qt::Horizontal, Qt::TextAlignmentRole).toInt(), int(Qt::AlignLeft | Qt::AlignVCenter));
}

void ComboBoxTest::typedTextIsSearchedAsText_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("listed");
    forEachEngine([](auto row) {
        row("quote") << "O'BRIEN" << QStringList{"O'BRIEN, KIM", "O'BRIEN, PAT"};
        row("percent") << "100%" << QStringList{"100% PURE"};
        row("underscore") << "A_" << QStringList{"A_B"};
        row("statement text") << "X' Or 'A'='A" << QStringList{};
        row("typed in lower case") << "o'brien" << QStringList{"O'BRIEN, KIM", "O'BRIEN, PAT"};
    });
}

void ComboBoxTest::typedTextIsSearchedAsText()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, listed);
    TORVA_USE_ENGINE_ROW();
    Fixtures::addParty(1, QStringLiteral("O'BRIEN, PAT"));
    Fixtures::addParty(2, QStringLiteral("100% PURE"));
    Fixtures::addParty(3, QStringLiteral("1000 OAKS"));
    Fixtures::addParty(4, QStringLiteral("A_B"));
    Fixtures::addParty(5, QStringLiteral("AXB"));
    Fixtures::addClient(10, QStringLiteral("O'BRIEN, KIM"));
    Fixtures::addClient(11, QStringLiteral("OBRIEN, LEE"));
    Fixtures::addClient(12, QStringLiteral("AB"));
    Host host;
    host.open();

    host.type(typed);

    QCOMPARE(names(*host.combo), listed);
}

void ComboBoxTest::listIsReadLazily()
{
    TORVA_USE_ENGINE_ROW();
    for (int key = 1; key <= 130; ++key)
        Fixtures::addParty(key, QStringLiteral("SMITH, P%1").arg(key, 3, 10, QLatin1Char('0')));
    Host host;
    host.open();
    const int page = host.combo->listModel().pageSize();

    // A one-letter search lists one page, not every match,
    host.type(QStringLiteral("S"));
    QCOMPARE(host.combo->ListCount(), page);
    QCOMPARE(host.combo->ListIndex(), 0);
    QCOMPARE(host.combo->Columns(QStringLiteral("PTYNAM")).toString(), QStringLiteral("SMITH, P001"));

    // and moving down past its end reads the next.
    host.combo->setListIndex(page - 1);
    UserInput::press(Qt::Key_Down);
    QCOMPARE(host.combo->ListCount(), qMin(130, 2 * page));
    QCOMPARE(host.combo->ListIndex(), page);
    QCOMPARE(host.combo->Columns(QStringLiteral("PTYKEY")).toInt(), page + 1);
}

void ComboBoxTest::listShowsItsColumnsWhole_data()
{
    QTest::addColumn<int>("parties");
    QTest::newRow("one row") << 1;
    QTest::newRow("a few rows") << 5;
    QTest::newRow("more rows than it shows") << 40;
}

void ComboBoxTest::listShowsItsColumnsWhole()
{
    QFETCH(int, parties);
    TORVA_USE_DATABASE(QStringLiteral("sqlite"));
    for (int key = 1; key <= parties; ++key)
        Fixtures::addClient(100000 + key, QStringLiteral("WASHINGTON-BARRINGTON, MAX %1").arg(key, 3, 10, QLatin1Char('0')));
    Host host;
    host.open();

    // When the name search lists long names under a narrow cell,
    host.type(QStringLiteral("WASH"));
    QTableView *list = host.combo->listView();
    QTRY_VERIFY(list->isVisible());

    // then every column shows its widest text whole, the birth date too, and
    // no horizontal scroll bar takes the room of a row.
    QVERIFY(!list->horizontalScrollBar()->isVisible());
    int columns = 0;
    QStyleOptionViewItem option;
    option.initFrom(list);
    for (int col = 0; col < list->model()->columnCount(); ++col) {
        for (int row = 0; row < list->model()->rowCount(); ++row) {
            const QModelIndex cell = list->model()->index(row, col);
            QVERIFY2(list->columnWidth(col) >= list->itemDelegateForIndex(cell)->sizeHint(option, cell).width(),
                     qPrintable(cell.data().toString()));
        }
        columns += list->columnWidth(col);
    }
    QVERIFY(list->viewport()->width() >= columns);
    const int rowsShown = qMin(parties, 8);
    QVERIFY(list->viewport()->height() >= rowsShown * list->rowHeight(0));
    QVERIFY2(list->viewport()->height() < (rowsShown + 1) * list->rowHeight(0), "no blank row under the last");
    QVERIFY(list->screen()->availableGeometry().contains(list->window()->frameGeometry()));
}

void ComboBoxTest::entryFinished_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("flag");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("finished");
    QTest::addColumn<int>("addRequests");
    QTest::addColumn<bool>("stillOpen");
    forEachEngine([](auto row) {
        row("pick by keys") << "keys" << "SMITH, PAT" << "P" << 5 << 1 << 0 << false;
        row("pick by mouse") << "mouse" << "SMITH, PAM" << "P" << 6 << 1 << 0 << false;
        row("client") << "client" << "SMITH, PETER" << "C" << 7 << 1 << 0 << false;
        row("escape") << "escape" << "" << "P" << 5 << 1 << 0 << false;
        row("add taken") << "add" << "NEWMAN, ZED" << "" << 0 << 0 << 1 << false;
        row("add declined") << "decline" << "" << "" << 0 << 0 << 1 << true;
        row("add over a list") << "ctrl+enter" << "SMITH" << "" << 0 << 0 << 1 << false;
    });
}

void ComboBoxTest::entryFinished()
{
    QFETCH(QString, how);
    QFETCH(QString, cell);
    QFETCH(QString, flag);
    QFETCH(int, key);
    QFETCH(int, finished);
    QFETCH(int, addRequests);
    QFETCH(bool, stillOpen);
    TORVA_USE_ENGINE_ROW();
    Fixtures::addParty(5, QStringLiteral("SMITH, PAT"));
    Fixtures::addParty(6, QStringLiteral("SMITH, PAM"));
    Fixtures::addClient(7, QStringLiteral("SMITH, PETER"));
    Host host;
    ComboBox &combo = *host.combo;
    // The host's handlers, as the associations editor has them.
    connect(&combo, &ComboBox::KeyDown, this, [&combo](int &keyCode, int &shift) {
        combo.setTag(QString());
        if (keyCode == 27 && shift == 0) {
            combo.setTag(QStringLiteral("*ESC"));
            combo.setVisible(false);
        }
    });
    int finishedCount = 0;
    QString flagAtFinish;
    int keyAtFinish = 0;
    connect(&combo, &ComboBox::EntryFinished, this, [&] {
        ++finishedCount;
        flagAtFinish = combo.Columns(QStringLiteral("ASCFLG")).toString();
        keyAtFinish = combo.Columns(QStringLiteral("PTYKEY")).toInt();
    });
    int requests = 0;
    connect(&combo, &ComboBox::AddRecordRequest, this, [&](QVariant &id) {
        ++requests;
        QCOMPARE(combo.EditText(), how == "ctrl+enter" ? QStringLiteral("SMITH") : QStringLiteral("NEWMAN, ZED"));
        id = how == "decline" ? 0 : 512;
    });
    host.open();

    if (how == "keys" || how == "client" || how == "escape") {
        host.type(how == "client" ? QStringLiteral("SMITH, PE") : QStringLiteral("SMITH, PA"));
        UserInput::press(Qt::Key_Down);  // SMITH, PAM first, then SMITH, PAT
        UserInput::press(how == "escape" ? Qt::Key_Escape : Qt::Key_Return);
    } else if (how == "mouse") {
        host.type(QStringLiteral("SMITH, PA"));
        QTableView *list = combo.listView();
        QVERIFY(list->isVisible());
        UserInput::click(list->viewport(), list->visualRect(list->model()->index(0, 2)).center());
    } else if (how == "ctrl+enter") {
        host.type(QStringLiteral("SMITH"));
        QCOMPARE(combo.ListCount(), 3);
        UserInput::press(Qt::Key_Return, Qt::ControlModifier);
    } else {
        host.type(QStringLiteral("NEWMAN, ZED"));
        QCOMPARE(combo.ListCount(), 0);
        QVERIFY(combo.addButton()->isVisible());
        UserInput::press(Qt::Key_Return);
    }

    QCOMPARE(host.grid->CellText(1, 1), cell);
    QCOMPARE(finishedCount, finished);
    QCOMPARE(requests, addRequests);
    QCOMPARE(combo.Visible(), stillOpen);
    QCOMPARE(combo.IsEditing(), stillOpen);
    // An entry that ended gives the keyboard back to the grid, on the cell it edited.
    QCOMPARE(UserInput::focusWidget(), stillOpen ? combo.editor() : static_cast<QWidget *>(host.grid->view()));
    QCOMPARE(host.grid->Row(), 1);
    if (finished) {
        QCOMPARE(flagAtFinish, flag);
        QCOMPARE(keyAtFinish, key);
        QCOMPARE(combo.Tag(), how == "escape" ? QStringLiteral("*ESC") : QString());
    } else {
        QVERIFY(!combo.Columns(QStringLiteral("PTYKEY")).isValid());
    }
}

void ComboBoxTest::searchFailureIsReportedNotThrown()
{
    TORVA_USE_ENGINE_ROW();
    Fixtures::addParty(5, QStringLiteral("SMITH, PAT"));
    Host host;
    int errors = 0;
    connect(&host.combo->tableObject(), &TableObject::Error, this, [&errors](int &, QString &) { ++errors; });
    host.open();
    host.type(QStringLiteral("SMI"));
    QCOMPARE(host.combo->ListCount(), 1);

    Database::connection().run(QStringLiteral("Drop Table DUVPRB.PRBPTY"));
    UserInput::type(QStringLiteral("T"));
    QTRY_COMPARE(errors, 1);  // the search runs once typing pauses

    QCOMPARE(host.combo->ListCount(), 0);
    QVERIFY(host.combo->IsEditing());
}

QTEST_MAIN(ComboBoxTest)
#include "tst_combobox.moc"
