#include "partywindow.h"

#include "failuremessage.h"

#include "common/messageservice.h"
#include "data/dataaccesserror.h"
#include "party_editor/partyeditor.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

PartyWindow::PartyWindow(const QString &userId, const QString &mode, QWidget *parent)
    : QDialog(parent)
    , m_editor(new PartyEditor(this))
    , m_notice(new QLabel(this))
{
    setWindowTitle(tr("Party"));
    m_editor->setMinimumSize(m_editor->sizeHint());  // its fields stand where they were designed
    m_editor->UserID = userId;
    m_editor->UserMode = mode;
    m_notice->setWordWrap(true);
    m_notice->hide();

    auto *buttons = new QDialogButtonBox(this);
    m_save = buttons->addButton(tr("&Save"), QDialogButtonBox::AcceptRole);
    m_delete = buttons->addButton(tr("&Delete"), QDialogButtonBox::DestructiveRole);
    QPushButton *close = buttons->addButton(QDialogButtonBox::Close);
    m_save->setObjectName(QStringLiteral("save"));
    m_delete->setObjectName(QStringLiteral("delete"));
    close->setObjectName(QStringLiteral("close"));
    m_save->setDefault(false);
    m_save->setAutoDefault(false);
    connect(m_save, &QPushButton::clicked, this, &PartyWindow::save);
    connect(m_delete, &QPushButton::clicked, this, &PartyWindow::remove);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_notice);
    layout->addWidget(m_editor, 1);
    layout->addWidget(buttons);

    connect(m_editor, &PartyEditor::Change, this, [this] { m_dirty = true; });
    connect(m_editor, &PartyEditor::LockError, this, [this] {
        const auto holder = m_editor->LockedBy();
        setNotice(tr("This party is being edited by %1. It is shown as it was; try again once they are done.")
                      .arg(holder ? holder->describe() : tr("another user")));
    });
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
    try {
        m_open = m_editor->LoadRecord(key);
    } catch (const DataAccessError &error) {
        showFailure(this, tr("The party could not be read."), error);
        m_open = false;
    }
    if (!m_open && notice().isEmpty())
        setNotice(tr("There is no party %1.").arg(key));
    setWindowTitle(tr("Party %1").arg(key));
    m_dirty = false;
    updateButtons();
    return m_open;
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
    setWindowTitle(tr("New party"));
    m_dirty = !name.isEmpty();
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
    m_dirty = false;
    setWindowTitle(tr("Party %1").arg(m_savedKey));
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
    m_dirty = false;
    accept();
    return true;
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
