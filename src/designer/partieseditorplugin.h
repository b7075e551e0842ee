#pragma once

#include "editorplugin.h"

namespace Torva {

// Designer's factory for PartiesEditor, the outline of a client's or party's
// associations.
class PartiesEditorPlugin : public EditorPlugin
{
    Q_OBJECT

public:
    explicit PartiesEditorPlugin(QObject *parent = nullptr);

    QString includeFile() const override;
    QString toolTip() const override;
    QString whatsThis() const override;
    QString domXml() const override;
    QWidget *createWidget(QWidget *parent) override;
};

} // namespace Torva
