#include <TORVAProbationParties/parties_editor/partieseditor.h>
#include <TORVAProbationParties/party_editor/partyeditor.h>

#include <QFileInfo>
#include <QMetaProperty>
#include <QPluginLoader>
#include <QXmlStreamReader>
#include <QtTest>
#include <QtDesigner/QDesignerFormEditorInterface>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>

#include <memory>

using namespace Torva;

namespace {

// What a factory's DOM XML declares about the widget it puts on a form.
struct DomWidget
{
    QString language;   // the <ui> element's language
    QString className;  // of the first <widget>
    QString objectName;
    // Property name -> value as "type:text", e.g. "bool:true".
    QMap<QString, QString> properties;
    QString error;  // the reader's complaint, if any
};

DomWidget readDomXml(const QString &xml)
{
    DomWidget dom;
    QXmlStreamReader reader(xml);
    if (reader.readNextStartElement() && reader.name() == QLatin1String("ui")) {
        dom.language = reader.attributes().value(QLatin1String("language")).toString();
        while (reader.readNextStartElement()) {
            if (reader.name() != QLatin1String("widget") || !dom.className.isEmpty()) {
                reader.skipCurrentElement();
                continue;
            }
            dom.className = reader.attributes().value(QLatin1String("class")).toString();
            dom.objectName = reader.attributes().value(QLatin1String("name")).toString();
            // The top widget's own properties, each with one value element.
            while (reader.readNextStartElement()) {
                if (reader.name() != QLatin1String("property")) {
                    reader.skipCurrentElement();
                    continue;
                }
                const QString name = reader.attributes().value(QLatin1String("name")).toString();
                if (reader.readNextStartElement()) {
                    const QString type = reader.name().toString();
                    dom.properties.insert(name, type + QLatin1Char(':') + reader.readElementText());
                    reader.skipCurrentElement();  // to the end of the property
                }
            }
        }
    }
    while (!reader.atEnd())  // the rest must be well-formed too
        reader.readNext();
    if (reader.hasError())
        dom.error = reader.errorString();
    return dom;
}

bool inDesignMode(const QWidget *widget)
{
    if (const auto *party = qobject_cast<const PartyEditor *>(widget))
        return party->DesignMode();
    if (const auto *parties = qobject_cast<const PartiesEditor *>(widget))
        return parties->DesignMode();
    return false;
}

} // namespace

// The designer plugin as Qt Designer meets it: loaded from its file, asked for
// its collection, and each factory asked for its description and a widget.
class DesignerPluginTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void collectionOffersBothEditorsInOneGroup();

    void factoryDescribesAndMakesItsEditor_data();
    void factoryDescribesAndMakesItsEditor();

private:
    QDesignerCustomWidgetInterface *factory(const QString &className) const;

    QPluginLoader m_loader;
    QDesignerCustomWidgetCollectionInterface *m_collection = nullptr;
};

void DesignerPluginTest::factoryDescribesAndMakesItsEditor_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("includeFile");
    QTest::addColumn<QStringList>("storedProperties");

    QTest::newRow("PartyEditor") << "Torva::PartyEditor" << "TORVAProbationParties/party_editor/partyeditor.h" << QStringList{"Enabled"};
    QTest::newRow("PartiesEditor") << "Torva::PartiesEditor" << "TORVAProbationParties/parties_editor/partieseditor.h"
                                   << QStringList{"Enabled", "HyperlinkNames"};
}

QDesignerCustomWidgetInterface *DesignerPluginTest::factory(const QString &className) const
{
    for (QDesignerCustomWidgetInterface *widget : m_collection->customWidgets()) {
        if (widget->name() == className)
            return widget;
    }
    return nullptr;
}

void DesignerPluginTest::initTestCase()
{
    m_loader.setFileName(QStringLiteral(TORVA_DESIGNER_PLUGIN));
    QVERIFY2(m_loader.load(), qPrintable(m_loader.errorString()));
    m_collection = qobject_cast<QDesignerCustomWidgetCollectionInterface *>(m_loader.instance());
    QVERIFY2(m_collection, "the plugin's instance is no widget collection");
}

void DesignerPluginTest::collectionOffersBothEditorsInOneGroup()
{
    // Designer reads the interface from the metadata before it loads anything.
    QCOMPARE(m_loader.metaData().value(QLatin1String("IID")).toString(),
             QStringLiteral(QDesignerCustomWidgetCollectionInterface_iid));
    const QList<QDesignerCustomWidgetInterface *> widgets = m_collection->customWidgets();
    QStringList names;
    QSet<QString> groups;
    for (QDesignerCustomWidgetInterface *widget : widgets) {
        names << widget->name();
        groups << widget->group();
    }
    QCOMPARE(names, (QStringList{"Torva::PartyEditor", "Torva::PartiesEditor"}));
    QCOMPARE(groups, (QSet<QString>{"TORVA Probation"}));

    // Each has a picture of its own in the widget box.
    const QImage partyIcon = widgets.at(0)->icon().pixmap(16).toImage();
    const QImage partiesIcon = widgets.at(1)->icon().pixmap(16).toImage();
    QVERIFY(!partyIcon.isNull());
    QVERIFY(!partiesIcon.isNull());
    QVERIFY(partyIcon != partiesIcon);
}

void DesignerPluginTest::factoryDescribesAndMakesItsEditor()
{
    QFETCH(QString, className);
    QFETCH(QString, includeFile);
    QFETCH(QStringList, storedProperties);
    QDesignerCustomWidgetInterface *widget = factory(className);
    QVERIFY(widget);

    QCOMPARE(widget->includeFile(), includeFile);
    // The header a generated form includes is one the library has (and installs).
    QVERIFY2(QFileInfo::exists(QStringLiteral(TORVA_HEADER_ROOT "/") + includeFile), qPrintable(includeFile));
    QVERIFY(!widget->isContainer());
    QVERIFY(!widget->toolTip().isEmpty());
    QVERIFY(widget->whatsThis().size() > widget->toolTip().size());

    // Given the plugin initialized by Designer's form editor and a form,
    // when Designer asks for two editors on it
    QDesignerFormEditorInterface core;
    widget->initialize(&core);
    QVERIFY(widget->isInitialized());
    QWidget form;
    std::unique_ptr<QWidget> first(widget->createWidget(&form));
    std::unique_ptr<QWidget> second(widget->createWidget(&form));

    // then each is a new editor of this very class, on the form, in design mode.
    QVERIFY(first);
    QVERIFY(second);
    QVERIFY(first != second);
    QCOMPARE(QString::fromLatin1(first->metaObject()->className()), className);
    QCOMPARE(first->parentWidget(), &form);
    QVERIFY(inDesignMode(first.get()));
    QVERIFY(inDesignMode(second.get()));

    // Its DOM XML names the class and the properties a form stores,
    const DomWidget dom = readDomXml(widget->domXml());
    QVERIFY2(dom.error.isEmpty(), qPrintable(dom.error));
    QCOMPARE(dom.language, QStringLiteral("c++"));
    QCOMPARE(dom.className, className);
    QVERIFY(!dom.objectName.isEmpty());
    QCOMPARE(dom.properties.keys(), storedProperties);

    // each a stored, designable property of the class, declared with the
    // value a new editor has.
    const QMetaObject *meta = first->metaObject();
    for (const QString &name : storedProperties) {
        const QMetaProperty property = meta->property(meta->indexOfProperty(qPrintable(name)));
        QVERIFY2(property.isValid(), qPrintable(name));
        QVERIFY2(property.isStored() && property.isDesignable() && property.isWritable(), qPrintable(name));
        QCOMPARE(property.metaType(), QMetaType::fromType<bool>());
        const QString value = property.read(first.get()).toBool() ? QStringLiteral("true") : QStringLiteral("false");
        QCOMPARE(dom.properties.value(name), QStringLiteral("bool:") + value);
    }
}

QTEST_MAIN(DesignerPluginTest)
#include "tst_designerplugin.moc"
