#include "torvawidgets.h"

#include "partieseditorplugin.h"
#include "partyeditorplugin.h"

namespace Torva {

TorvaWidgets::TorvaWidgets(QObject *parent)
    : QObject(parent)
{
    m_widgets << new PartyEditorPlugin(this) << new PartiesEditorPlugin(this);
}

QList<QDesignerCustomWidgetInterface *> TorvaWidgets::customWidgets() const
{
    return m_widgets;
}

} // namespace Torva
