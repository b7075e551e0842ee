#include "partieseditorplugin.h"

#include <TORVAProbationParties/parties_editor/partieseditor.h>

namespace Torva {

PartiesEditorPlugin::PartiesEditorPlugin(QObject *parent)
    : EditorPlugin(PartiesEditor::staticMetaObject, QStringLiteral("Parties"), parent)
{
}

QString PartiesEditorPlugin::includeFile() const
{
    return QStringLiteral("TORVAProbationParties/parties_editor/partieseditor.h");
}

QString PartiesEditorPlugin::toolTip() const
{
    return tr("Associations editor: the parties and clients associated with a client or party");
}

QString PartiesEditorPlugin::whatsThis() const
{
    return tr("Shows the associations of a client or party as an outline, one folder per relationship type. "
              "In edit mode the user adds associates through a name search and deletes them; SaveRecords "
              "stores all changes in one transaction. With HyperlinkNames the names are links in view mode.");
}

QString PartiesEditorPlugin::domXml() const
{
    // The control's stored properties: its own "Enabled" (apart from
    // QWidget's "enabled") and whether names are links in view mode.
    return QStringLiteral(R"(<ui language="c++" displayname="Parties Editor">
 <widget class="Torva::PartiesEditor" name="partiesEditor">
  <property name="Enabled">
   <bool>true</bool>
  </property>
  <property name="HyperlinkNames">
   <bool>false</bool>
  </property>
 </widget>
</ui>
)");
}

QWidget *PartiesEditorPlugin::createWidget(QWidget *parent)
{
    auto *editor = new PartiesEditor(parent);
    editor->setDesignMode(inDesigner());
    return editor;
}

} // namespace Torva
