#pragma once

#include <QObject>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

struct QMetaObject;

namespace Torva {

// What the factories of the two editors share: the class name taken from the
// widget's own meta-object, the widget box group, the icon (a picture of the
// library's image list) and the answers for a control that holds none of the
// form's widgets. Each factory adds its header, texts, DOM XML and widget.
class EditorPlugin : public QObject, public QDesignerCustomWidgetInterface
{
    Q_OBJECT
    Q_INTERFACES(QDesignerCustomWidgetInterface)

public:
    // The widget box group both editors appear in.
    static QString groupName();

    QString name() const override;
    QString group() const override;
    QIcon icon() const override;
    bool isContainer() const override;
    bool isInitialized() const override;
    // Qt Designer initializes its plugins with its form editor; a form
    // loaded at run time (QUiLoader) goes through the same plugin without.
    void initialize(QDesignerFormEditorInterface *core) override;

protected:
    // widgetClass: the editor made; imageKey: its picture in ImageList.
    EditorPlugin(const QMetaObject &widgetClass, const QString &imageKey, QObject *parent);

    // Whether the editors made are for Qt Designer's forms (design mode),
    // or for a form a running host loads (run mode, where a saved
    // "Enabled" False disables the fields).
    bool inDesigner() const { return m_core != nullptr; }

private:
    const QMetaObject &m_widgetClass;
    QString m_imageKey;
    bool m_initialized = false;
    QDesignerFormEditorInterface *m_core = nullptr;
};

} // namespace Torva
