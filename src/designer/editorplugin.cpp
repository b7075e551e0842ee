#include "editorplugin.h"

#include <TORVAProbationParties/controls/imagelist.h>

#include <QIcon>
#include <QMetaObject>

namespace Torva {

EditorPlugin::EditorPlugin(const QMetaObject &widgetClass, const QString &imageKey, QObject *parent)
    : QObject(parent)
    , m_widgetClass(widgetClass)
    , m_imageKey(imageKey)
{
}

QString EditorPlugin::groupName()
{
    return QStringLiteral("TORVA Probation");
}

QString EditorPlugin::name() const
{
    return QString::fromLatin1(m_widgetClass.className());
}

QString EditorPlugin::group() const
{
    return groupName();
}

QIcon EditorPlugin::icon() const
{
    // Drawn on demand: pixmaps need the application Designer has by then.
    const ImageList images;
    return QIcon(images.Picture(m_imageKey));
}

bool EditorPlugin::isContainer() const
{
    return false;
}

bool EditorPlugin::isInitialized() const
{
    return m_initialized;
}

void EditorPlugin::initialize(QDesignerFormEditorInterface *core)
{
    m_initialized = true;
    m_core = core;
}

} // namespace Torva
