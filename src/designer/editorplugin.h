#pragma once

#include <QObject>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

struct QMetaObject;

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
    void initialize(QDesignerFormEditorInterface *core) override;

protected:
    // widgetClass: the editor made; imageKey: its picture in ImageList.
    EditorPlugin(const QMetaObject &widgetClass, const QString &imageKey, QObject *parent);

private:
    const QMetaObject &m_widgetClass;
    QString m_imageKey;
    bool m_initialized = false;
};
