#pragma once

#include "party_editor/partyeditor.h"

#include <QString>
#include <QStringList>
#include <QWidget>

namespace Torva {

// A party editor in a shown, active window, as a host form holds it, with its
// fields reached by name.
class PartyEditorHost
{
public:
    explicit PartyEditorHost(const QString &mode = QStringLiteral("*EDIT"));

    QWidget window;
    PartyEditor *editor;
    // Error signals the editor raised.
    int errors = 0;

    template<typename Field>
    Field *field(const char *name) const
    {
        return editor->findChild<Field *>(QLatin1String(name));
    }
    // What every field shows, in the order a load fills them (numbers as text,
    // the sex as its code, the audit captions last).
    QStringList shown() const;
    // The field that holds the keyboard focus (its object name), empty for none.
    QString focusedField() const;
    // Whether every field and label, or none, takes input.
    bool everyFieldEnabled(bool enabled) const;
};

} // namespace Torva
