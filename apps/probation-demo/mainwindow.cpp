#include "mainwindow.h"

#include "failuremessage.h"
#include "partywindow.h"

#include "base/messageservice.h"
#include "controls/combo.h"
#include "data/dataaccesserror.h"
#include "data/statements.h"
#include "parties_editor/partieseditor.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

namespace Torva {

MainWindow::MainWindow(const QString &userId, bool viewOnly, QWidget *parent)
    : QMainWindow(parent)
    , m_userId(userId)
    , m_viewOnly(viewOnly)
    , m_finder(new Combo)
    , m_associations(new PartiesEditor)
    , m_subject(new QLabel)
{
    setWindowTitle(tr("Probation parties"));

    m_finder->setObjectName(QStringLiteral("finder"));
    m_finder->setRecordSource(Statements::NameSearchSource);
    m_finder->setSearchList(true);
    m_finder->setCols(4);
    m_finder->setHeaderCaptions({tr("Type"), tr("Key"), tr("Name"), tr("Date of birth")});
    m_finder->setDisplayColumn(2);
    m_finder->setMaxLength(30);
    m_finder->setMaxRecords(0);
    m_finder->setMinimumWidth(320);
    m_finder->setToolTip(tr("Type the start of a client's or party's name, last name first"));
    auto *findLabel = new QLabel(tr("F&ind:"));  // Alt+F is the File menu's
    findLabel->setBuddy(m_finder);
    // A client or party opens when the user chooses it (a pick from the list,
    // or Enter on a whole name), never while a name is still being typed.
    connect(m_finder, &Combo::activated, this, [this] {
        if (!m_finder->Columns(QStringLiteral("PTYKEY")).isNull())
            openSubject(m_finder->Columns(QStringLiteral("ASCFLG")).toString(), m_finder->Columns(QStringLiteral("PTYKEY")).toInt());
    });

    m_subject->setObjectName(QStringLiteral("subject"));
    QFont bold = m_subject->font();
    bold.setBold(true);
    m_subject->setFont(bold);

    auto *top = new QHBoxLayout;
    top->addWidget(findLabel);
    top->addWidget(m_finder);
    top->addSpacing(16);
    top->addWidget(m_subject, 1);
    auto *central = new QWidget;
    auto *layout = new QVBoxLayout(central);
    layout->addLayout(top);
    layout->addWidget(m_associations, 1);
    setCentralWidget(central);

    m_saveAction = menuBar()->addMenu(tr("&File"))->addAction(tr("&Save associations"), this, &MainWindow::save);
    m_saveAction->setShortcut(QKeySequence::Save);
    m_saveAction->setEnabled(false);  // until associations that may be changed are on screen
    QAction *reload = new QAction(tr("&Reload"), this);
    reload->setShortcut(QKeySequence::Refresh);
    connect(reload, &QAction::triggered, this, [this] {
        if (!m_kind.isEmpty())
            openSubject(m_kind, m_key);
    });
    menuBar()->actions().first()->menu()->addAction(reload);
    menuBar()->actions().first()->menu()->addSeparator();
    menuBar()->actions().first()->menu()->addAction(tr("&Quit"), QKeySequence::Quit, this, &QWidget::close);
    QToolBar *tools = addToolBar(tr("Associations"));
    tools->addAction(m_saveAction);
    tools->addAction(reload);

    m_associations->SetHyperlinkNames(true);  // names are links when only viewing
    connect(m_associations, &PartiesEditor::Change, this, [this] { setDirty(true); });
    connect(m_associations, &PartiesEditor::ViewParty, this, &MainWindow::openAssociate);
    connect(m_associations, &PartiesEditor::AddParty, this, &MainWindow::addParty, Qt::DirectConnection);
    connect(m_associations, &PartiesEditor::HyperlinkClickName, this, [this](const QString &name, int dob) {
        showStatus(tr("%1, born %2").arg(name, QDate(dob / 10000, dob / 100 % 100, dob % 100).toString(QStringLiteral("MM/dd/yyyy"))));
    });
    showStatus(tr("Signed on as %1").arg(userId));
}

QString MainWindow::statusText() const
{
    return statusBar()->currentMessage();
}

void MainWindow::showStatus(const QString &text)
{
    statusBar()->showMessage(text);
}

QList<PartyWindow *> MainWindow::partyWindows() const
{
    return findChildren<PartyWindow *>();
}

bool MainWindow::settleUnsavedChanges()
{
    if (!m_dirty)
        return true;
    const int choice = MessageService::instance().askChoice(
        this, tr("Save the changes to the associations of %1?").arg(m_subject->text()), windowTitle(),
        {tr("&Save"), tr("&Discard"), tr("Cancel")}, 0);
    if (choice == 1) {
        setDirty(false);
        return true;
    }
    return choice == 0 && save();
}

bool MainWindow::openSubject(const QString &kind, int key)
{
    if (!settleUnsavedChanges())
        return false;
    m_associations->UserMode = m_viewOnly ? QStringLiteral("*VIEW") : QStringLiteral("*EDIT");
    try {
        m_associations->LoadRecords(m_userId, kind, key);
    } catch (const DataAccessError &error) {
        showFailure(this, tr("The associations could not be read."), error);
        return false;
    }
    m_kind = kind;
    m_key = key;
    m_subject->setText(kind == QLatin1String("C") ? tr("Client %1").arg(key, 5, 10, QLatin1Char('0')) : tr("Party %1").arg(key));
    setWindowTitle(tr("%1[*] - Probation parties").arg(m_subject->text()));
    setDirty(false);
    // Only associations being edited can be saved: a viewer, or any party, has nothing to save.
    const bool editing = m_associations->UserMode == QLatin1String("*EDIT");
    m_saveAction->setEnabled(editing);
    showStatus(editing ? tr("Editing the associations; Ctrl+S saves.") : tr("Viewing the associations."));
    return true;
}

bool MainWindow::save()
{
    if (!m_saveAction->isEnabled())
        return false;  // viewing: nothing may be saved
    try {
        if (!m_associations->SaveRecords()) {
            showStatus(tr("Not saved: an association is there already (marked in the outline)."));
            return false;
        }
    } catch (const DataAccessError &error) {
        // A server lost in the middle may have taken the save as it went.
        showFailure(this,
                    error.number() == DataAccessError::ConnectionFailed
                        ? tr("The associations may not have been saved: the database could not be reached. Once it "
                             "is back, Reload shows what is on file.")
                        : tr("The associations were not saved; nothing was changed."),
                    error);
        return false;
    }
    setDirty(false);
    showStatus(tr("Saved."));
    return true;
}

void MainWindow::setDirty(bool dirty)
{
    m_dirty = dirty;
    setWindowModified(dirty);
}

void MainWindow::openAssociate(const QString &kind, int key)
{
    if (kind == QLatin1String("C")) {
        openSubject(kind, key);
        return;
    }
    if (kind != QLatin1String("P") || key <= 0) {
        showStatus(tr("This row has no client or party yet."));
        return;
    }
    openParty(key);
}

PartyWindow *MainWindow::openParty(int key)
{
    auto *window = new PartyWindow(m_userId, m_viewOnly ? QStringLiteral("*VIEW") : QStringLiteral("*EDIT"), this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setObjectName(QStringLiteral("party-%1").arg(key));
    connect(window, &PartyWindow::saved, this, [this] {
        // The outline shows the party's name as it is now.
        if (!m_dirty && !m_kind.isEmpty())
            openSubject(m_kind, m_key);
    });
    window->openParty(key);
    window->show();
    return window;
}

void MainWindow::addParty(QVariant &uniqueId, const QString &name)
{
    PartyWindow window(m_userId, QStringLiteral("*EDIT"), this);
    window.setObjectName(QStringLiteral("new-party"));
    window.newParty(name);
    connect(&window, &PartyWindow::saved, &window, &QDialog::accept);
    if (window.exec() == QDialog::Accepted && window.savedKey() > 0)
        uniqueId = window.savedKey();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!settleUnsavedChanges()) {
        event->ignore();
        return;
    }
    for (PartyWindow *window : partyWindows()) {
        if (!window->close()) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

} // namespace Torva
