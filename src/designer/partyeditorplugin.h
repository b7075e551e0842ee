#pragma once

#include "editorplugin.h"

namespace Torva {

// Designer's factory for PartyEditor, the control that edits one party.
class PartyEditorPlugin : public EditorPlugin
{
    Q_OBJECT

public:
    explicit PartyEditorPlugin(QObject *parent = nullptr);

    QString includeFile() const override;
    QString toolTip() const override;
    QString whatsThis() const override;
    QString domXml() const override;
    QWidget *createWidget(QWidget *parent) override;
};

} // namespace Torva
