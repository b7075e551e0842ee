#pragma once

#include <QMainWindow>
#include <QPointer>

class QAction;
class QLabel;

namespace Torva {

class Combo;
class PartiesEditor;
class PartyWindow;

// The demo host: find any client or party by the start of its name, see and
// edit its associations, open an associate (a party in its own window, a
// client here), add a party from the name search, and save.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    MainWindow(const QString &userId, bool viewOnly, QWidget *parent = nullptr);

    // Shows a client ("C") or party ("P"), after asking about unsaved changes.
    bool openSubject(const QString &kind, int key);
    bool save();
    // Opens a party in a window of its own, under its lock.
    PartyWindow *openParty(int key);
    bool hasUnsavedChanges() const { return m_dirty; }

    PartiesEditor *associations() const { return m_associations; }
    Combo *finder() const { return m_finder; }
    // The party windows open now.
    QList<PartyWindow *> partyWindows() const;
    QString statusText() const;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void openAssociate(const QString &kind, int key);
    void addParty(QVariant &uniqueId, const QString &name);
    bool settleUnsavedChanges();
    void setDirty(bool dirty);
    void showStatus(const QString &text);

    QString m_userId;
    bool m_viewOnly;
    Combo *m_finder;
    QAction *m_saveAction;
    PartiesEditor *m_associations;
    QLabel *m_subject;
    QString m_kind;
    int m_key = 0;
    bool m_dirty = false;
};

} // namespace Torva
