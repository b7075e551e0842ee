// The designer plugin as Qt Designer meets it (loaded from its file, asked
// for its collection, each factory for its description and a widget) and as
// a running host meets it (a form loaded with QUiLoader, whose controls come
// from the same plugin and must be run-time controls).

#include <TORVAProbationParties/controls/datagrid.h>
#include <TORVAProbationParties/controls/imagelist.h>
#include <TORVAProbationParties/controls/propertybag.h>
#include <TORVAProbationParties/parties_editor/partieseditor.h>
#include <TORVAProbationParties/party_editor/partyeditor.h>

#include <QBuffer>
#include <QFileInfo>
#include <QMetaProperty>
#include <QPluginLoader>
#include <QUiLoader>
#include <QtTest>
#include <QtDesigner/QDesignerFormEditorInterface>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>

#include <memory>

using namespace Torva;

namespace {

// Both editors as a host's form stores them, each saved disabled.
constexpr char HostForm[] = R"(<ui version="4.0">
 <widget class="QWidget" name="HostForm">
  <widget class="Torva::PartyEditor" name="partyEditor">
   <property name="Enabled"><bool>false</bool></property>
  </widget>
  <widget class="Torva::PartiesEditor" name="partiesEditor">
   <property name="Enabled"><bool>false</bool></property>
  </widget>
 </widget>
</ui>
)";

// A loader that finds the library's designer plugin, as a host sets one up.
// It makes every widget with the named bool properties turned over, so that
// only what the form declares puts them back.
class HostLoader : public QUiLoader
{
public:
    explicit HostLoader(const QStringList &turnedOver = {})
        : m_turnedOver(turnedOver)
    {
        clearPluginPaths();
        addPluginPath(QFileInfo(QStringLiteral(TORVA_DESIGNER_PLUGIN)).absolutePath());
    }

    std::unique_ptr<QWidget> load(const QByteArray &form)
    {
        QByteArray xml = form;
        QBuffer file(&xml);
        return std::unique_ptr<QWidget>(QUiLoader::load(&file));
    }

    QWidget *createWidget(const QString &className, QWidget *parent, const QString &name) override
    {
        QWidget *widget = QUiLoader::createWidget(className, parent, name);
        for (const QString &property : m_turnedOver)
            widget->setProperty(qPrintable(property), !widget->property(qPrintable(property)).toBool());
        return widget;
    }

private:
    QStringList m_turnedOver;
};

} // namespace

class DesignerPluginTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    // Before Designer initializes the plugin: from then on it makes editors for Designer's forms.
    void savedDisabledControlsLoadDisabled();
    void picturesAreDrawnAndDistinct();
    void factoryDescribesAndMakesItsEditor_data();
    void factoryDescribesAndMakesItsEditor();

private:
    QPluginLoader m_loader;
    QDesignerCustomWidgetCollectionInterface *m_collection = nullptr;
};

void DesignerPluginTest::initTestCase()
{
    m_loader.setFileName(QStringLiteral(TORVA_DESIGNER_PLUGIN));
    QVERIFY2(m_loader.load(), qPrintable(m_loader.errorString()));
    m_collection = qobject_cast<QDesignerCustomWidgetCollectionInterface *>(m_loader.instance());
    QVERIFY2(m_collection, "the plugin's instance is no widget collection");
    // Designer reads the interface from the metadata before it loads anything.
    QCOMPARE(m_loader.metaData().value(QLatin1String("IID")).toString(),
             QStringLiteral(QDesignerCustomWidgetCollectionInterface_iid));
    QCOMPARE(m_collection->customWidgets().size(), 2);
}

void DesignerPluginTest::savedDisabledControlsLoadDisabled()
{
    // Given a loader that finds the library's designer plugin, when a host
    // loads a form whose editors were saved disabled,
    HostLoader loader;
    const std::unique_ptr<QWidget> form = loader.load(HostForm);
    QVERIFY2(form, qPrintable(loader.errorString()));
    auto *party = form->findChild<PartyEditor *>(QStringLiteral("partyEditor"));
    auto *parties = form->findChild<PartiesEditor *>(QStringLiteral("partiesEditor"));
    QVERIFY(party && parties);

    // then they are run-time controls, disabled as saved: no field takes input.
    QVERIFY(!party->DesignMode() && !parties->DesignMode());
    QVERIFY(!party->Enabled() && !parties->Enabled());
    QVERIFY(!party->findChild<QWidget *>(QStringLiteral("txtPTYNAM"))->isEnabled());
    QVERIFY(!parties->grid()->Enabled());

    // A host that keeps the properties outside a .ui file gets back what it
    // saved, and the default (enabled) where it saved nothing.
    for (EditorWidget *editor : std::initializer_list<EditorWidget *>{party, parties}) {
        PropertyBag saved;
        editor->WriteProperties(saved);
        QCOMPARE(saved.values().value(QStringLiteral("Enabled")), QVariant(false));
        editor->ReadProperties(PropertyBag());
        QVERIFY(editor->Enabled());
        editor->ReadProperties(saved);
        QVERIFY(!editor->Enabled());
    }
}

// The pictures the editors put into grid cells and the widget box shows.
void DesignerPluginTest::picturesAreDrawnAndDistinct()
{
    ImageList images;
    QList<QImage> seen;
    for (int index = 0; index < images.Count(); ++index) {
        const QString key = images.Key(index);
        const QImage image = images.Picture(key).toImage();
        const int side = key.startsWith(QLatin1String("Checkbox")) ? 11 : 16;
        QCOMPARE(image.size(), QSize(side, side));
        QVERIFY2(image.hasAlphaChannel(), qPrintable(key));
        QVERIFY2(!seen.contains(image), qPrintable(key));  // drawn: no two alike
        seen << image;
    }
}

void DesignerPluginTest::factoryDescribesAndMakesItsEditor_data()
{
    QTest::addColumn<int>("index");  // in the collection
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("includeFile");
    QTest::addColumn<QStringList>("storedProperties");
    QTest::newRow("PartyEditor") << 0 << "Torva::PartyEditor" << "TORVAProbationParties/party_editor/partyeditor.h"
                                 << QStringList{"Enabled"};
    QTest::newRow("PartiesEditor") << 1 << "Torva::PartiesEditor" << "TORVAProbationParties/parties_editor/partieseditor.h"
                                   << QStringList{"Enabled", "HyperlinkNames"};
}

void DesignerPluginTest::factoryDescribesAndMakesItsEditor()
{
    QFETCH(int, index);
    QFETCH(QString, className);
    QFETCH(QString, includeFile);
    QFETCH(QStringList, storedProperties);
    QDesignerCustomWidgetInterface *widget = m_collection->customWidgets().at(index);

    // Each editor has a picture of its own in the widget box.
    QCOMPARE(widget->name(), className);
    const QImage icon = widget->icon().pixmap(16).toImage();
    QVERIFY(!icon.isNull() && icon != m_collection->customWidgets().at(1 - index)->icon().pixmap(16).toImage());
    QCOMPARE(widget->includeFile(), includeFile);
    // The header a generated form includes is one the library has (and installs).
    QVERIFY2(QFileInfo::exists(QStringLiteral(TORVA_HEADER_ROOT "/") + includeFile), qPrintable(includeFile));

    // Its DOM XML is a form of the class that declares the properties a form
    // stores, with the value a new editor has: each made turned over is put back.
    HostLoader loader(storedProperties);
    const std::unique_ptr<QWidget> declared = loader.load(widget->domXml().toUtf8());
    QVERIFY2(declared, qPrintable(loader.errorString()));
    QCOMPARE(QString::fromLatin1(declared->metaObject()->className()), className);
    QVERIFY(!declared->objectName().isEmpty());
    const std::unique_ptr<QWidget> made(widget->createWidget(nullptr));
    for (const QString &name : storedProperties) {
        const QMetaProperty property = made->metaObject()->property(made->metaObject()->indexOfProperty(qPrintable(name)));
        QVERIFY2(property.isStored() && property.isDesignable() && property.isWritable(), qPrintable(name));
        QCOMPARE(declared->property(qPrintable(name)), property.read(made.get()));
    }

    // Given the plugin initialized by Designer's form editor and a form,
    // when Designer asks for two editors on it
    QDesignerFormEditorInterface core;
    widget->initialize(&core);
    QWidget form;
    std::unique_ptr<QWidget> first(widget->createWidget(&form));
    std::unique_ptr<QWidget> second(widget->createWidget(&form));

    // then each is a new editor of this very class, on the form, in design mode.
    QVERIFY(first && second && first != second);
    QCOMPARE(QString::fromLatin1(first->metaObject()->className()), className);
    QCOMPARE(first->parentWidget(), &form);
    QVERIFY(static_cast<EditorWidget *>(first.get())->DesignMode());
    QVERIFY(static_cast<EditorWidget *>(second.get())->DesignMode());
}

QTEST_MAIN(DesignerPluginTest)
#include "tst_designerplugin.moc"
