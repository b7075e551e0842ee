#include "partyeditorplugin.h"

#include <TORVAProbationParties/party_editor/partyeditor.h>

namespace Torva {

PartyEditorPlugin::PartyEditorPlugin(QObject *parent)
    : EditorPlugin(PartyEditor::staticMetaObject, QStringLiteral("Party"), parent)
{
}

QString PartyEditorPlugin::includeFile() const
{
    return QStringLiteral("TORVAProbationParties/party_editor/partyeditor.h");
}

QString PartyEditorPlugin::toolTip() const
{
    return tr("Party editor: name, address, phone and birth date of one party");
}

QString PartyEditorPlugin::whatsThis() const
{
    return tr("Shows and edits one party of the probation database: its name, addresses, phone numbers, "
              "birth date and notes. The host loads a party with LoadRecord (held under a row lock while "
              "shown), checks it with HasErrors and stores it with SaveRecord.");
}

QString PartyEditorPlugin::domXml() const
{
    // "Enabled" is the control's own stored property, apart from QWidget's "enabled".
    return QStringLiteral(R"(<ui language="c++" displayname="Party Editor">
 <widget class="Torva::PartyEditor" name="partyEditor">
  <property name="Enabled">
   <bool>true</bool>
  </property>
 </widget>
</ui>
)");
}

QWidget *PartyEditorPlugin::createWidget(QWidget *parent)
{
    auto *editor = new PartyEditor(parent);
    editor->setDesignMode(inDesigner());
    return editor;
}

} // namespace Torva
