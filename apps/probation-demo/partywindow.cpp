#include "partywindow.h"

#include "failuremessage.h"

#include "base/messageservice.h"
#include "data/dataaccesserror.h"
#include "party_editor/partyeditor.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace Torva {

PartyWindow::PartyWindow(const QString &userId, const QString &mode, QWidget *parent)
    : QDialog(parent)
    , m_editor(new PartyEditor(this))
    , m_notice(new QLabel(this))
{
    setWindowTitle(tr("Party[*]"));
    m_editor->setMinimumSize(m_editor->sizeHint());  // its fields stand where they were designed
    m_editor->UserID = userId;
    m_editor->UserMode = mode;
    m_notice->setWordWrap(true);
    m_notice->hide();

    auto *buttons = new QDialogButtonBox(this);
    m_save = buttons->addButton(tr("&Save"), QDialogButtonBox::AcceptRole);
    m_delete = buttons->addButton(tr("&Delete"), QDialogButtonBox::DestructiveRole);
    m_retry = buttons->addButton(tr("&Retry"), QDialogButtonBox::ActionRole);
    QPushButton *close = buttons->addButton(QDialogButtonBox::Close);
    m_save->setObjectName(QStringLiteral("save"));
    m_delete->setObjectName(QStringLiteral("delete"));
    m_retry->setObjectName(QStringLiteral("retry"));
    m_retry->setToolTip(tr("Load the party for editing once the other user is done"));
    m_retry->hide();
    close->setObjectName(QStringLiteral("close"));
    m_save->setDefault(false);
    m_save->setAutoDefault(false);
    connect(m_save, &QPushButton::clicked, this, &PartyWindow::save);
    connect(m_delete, &QPushButton::clicked, this, &PartyWindow::remove);
    connect(m_retry, &QPushButton::clicked, this, [this] { openParty(m_editor->PartyKey); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_notice);
    layout->addWidget(m_editor, 1);
    layout->addWidget(buttons);

    connect(m_editor, &PartyEditor::Change, this, [this] { setDirty(true); });
    connect(m_editor, &PartyEditor::LockError, this, [this] { m_heldElsewhere = true; });
    updateButtons();
}

QString PartyWindow::notice() const
{
    return m_notice->isHidden() ? QString() : m_notice->text();
}

void PartyWindow::setNotice(const QString &text)
{
    m_notice->setText(text);
    m_notice->setVisible(!text.isEmpty());
}

void PartyWindow::updateButtons()
{
    const bool editing = m_open && m_editor->Enabled() && m_editor->UserMode == QLatin1String("*EDIT");
    m_save->setEnabled(editing);
    m_delete->setEnabled(editing && m_editor->PartyKey != 0);
}

bool PartyWindow::openParty(int key)
{
    setNotice(QString());
    m_heldElsewhere = false;
    try {
        m_open = m_editor->LoadRecord(key);
        if (m_heldElsewhere)
            showHeldParty(key);
    } catch (const DataAccessError &error) {
        showFailure(this, tr("The party could not be read."), error);
        m_open = false;
    }
    if (!m_open && notice().isEmpty())
        setNotice(tr("There is no party %1.").arg(key));
    setWindowTitle(m_heldElsewhere ? tr("Party %1 (read-only)[*]").arg(key) : tr("Party %1[*]").arg(key));
    m_retry->setVisible(m_heldElsewhere);
    setDirty(false);
    updateButtons();
    return m_open;
}

void PartyWindow::showHeldParty(int key)
{
    // Another user has the party: it is shown as it is stored, read-only
    // (no lock taken), with who has it; Retry loads it under the lock.
    const auto holder = m_editor->LockedBy();
    const QString who = holder ? holder->describe() : tr("another user");
    m_editor->SetEnabled(true);
    if (m_editor->ViewRecord(key))
        setNotice(tr("Party %1 is being edited by %2. It is shown read-only as it is on file; "
                     "press Retry to edit it once they are done.").arg(key).arg(who));
    else
        setNotice(tr("Party %1 is being edited by %2, and is not on file as it stands; "
                     "press Retry once they are done.").arg(key).arg(who));
}

bool PartyWindow::newParty(const QString &name)
{
    setNotice(QString());
    try {
        m_open = m_editor->AddRecord(name);
    } catch (const DataAccessError &error) {
        showFailure(this, tr("A new party could not be started."), error);
        m_open = false;
    }
    setWindowTitle(tr("New party[*]"));
    setDirty(!name.isEmpty());
    updateButtons();
    return m_open;
}

bool PartyWindow::save()
{
    try {
        if (!m_editor->SaveRecord())
            return false;  // the editor has shown what is wrong
    } catch (const DataAccessError &error) {
        showFailure(this, tr("The party was not saved."), error);
        return false;
    }
    m_savedKey = m_editor->PartyKey;
    setWindowTitle(tr("Party %1[*]").arg(m_savedKey));
    setDirty(false);
    updateButtons();
    Q_EMIT saved(m_savedKey);
    return true;
}

bool PartyWindow::remove()
{
    if (!MessageService::instance().askYesNo(this, tr("Delete party %1?").arg(m_editor->PartyKey), windowTitle()))
        return false;
    try {
        if (!m_editor->DeleteRecord()) {
            setNotice(tr("Party %1 was not deleted: it is no longer on file.").arg(m_editor->PartyKey));
            return false;
        }
    } catch (const DataAccessError &error) {
        showFailure(this, tr("The party was not deleted."), error);
        return false;
    }
    setDirty(false);
    accept();
    return true;
}

void PartyWindow::setDirty(bool dirty)
{
    m_dirty = dirty;
    setWindowModified(dirty);
}

void PartyWindow::done(int result)
{
    if (m_dirty) {
        const int choice = MessageService::instance().askChoice(
            this, tr("Save the changes to this party?"), windowTitle(),
            {tr("&Save"), tr("&Discard"), tr("Cancel")}, 0);
        if (choice == 2 || (choice == 0 && !save()))
            return;  // stay open
    }
    QDialog::done(result);
}

} // namespace Torva
