#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace Torva {

class PartyEditor;

// A window for one party: its PartyEditor, loaded under the party's row lock,
// with Save, Delete and Close. It says plainly who holds a party it cannot
// have, why a save failed, and asks before unsaved changes are discarded.
class PartyWindow : public QDialog
{
    Q_OBJECT

public:
    explicit PartyWindow(const QString &userId, const QString &mode, QWidget *parent = nullptr);

    // Opens an existing party under its row lock; false when it is not there
    // or held elsewhere. A party another user holds is shown read-only, with
    // who holds it and since when, and Retry.
    bool openParty(int key);
    // Starts a new party with the name typed in the name search.
    bool newParty(const QString &name);

    PartyEditor *editor() const { return m_editor; }
    // The key of the party saved in this window; 0 until a save.
    int savedKey() const { return m_savedKey; }
    bool hasUnsavedChanges() const { return m_dirty; }
    QString notice() const;

    bool save();
    bool remove();

    void done(int result) override;

Q_SIGNALS:
    void saved(int key);

private:
    void setNotice(const QString &text);
    void setDirty(bool dirty);
    void showHeldParty(int key);
    void updateButtons();

    PartyEditor *m_editor;
    QLabel *m_notice;
    QPushButton *m_save;
    QPushButton *m_delete;
    QPushButton *m_retry;
    int m_savedKey = 0;
    bool m_dirty = false;
    bool m_open = false;
    bool m_heldElsewhere = false;  // the last load found the party held by another user
};

} // namespace Torva
