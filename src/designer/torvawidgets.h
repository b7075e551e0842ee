#pragma once

#include <QObject>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>

namespace Torva {

// The designer plugin's entry point: the collection of the library's
// controls that Qt Designer offers in its widget box.
class TorvaWidgets : public QObject, public QDesignerCustomWidgetCollectionInterface
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QDesignerCustomWidgetCollectionInterface_iid)
    Q_INTERFACES(QDesignerCustomWidgetCollectionInterface)

public:
    explicit TorvaWidgets(QObject *parent = nullptr);

    // PartyEditor, then PartiesEditor; the factories belong to this object.
    QList<QDesignerCustomWidgetInterface *> customWidgets() const override;

private:
    QList<QDesignerCustomWidgetInterface *> m_widgets;
};

} // namespace Torva
