// A form a running host loads with QUiLoader: the controls come from the same
// designer plugin as in Qt Designer, and must be run-time controls.

#include <TORVAProbationParties/controls/datagrid.h>
#include <TORVAProbationParties/parties_editor/partieseditor.h>
#include <TORVAProbationParties/party_editor/partyeditor.h>

#include <TORVAProbationParties/controls/propertybag.h>

#include <QBuffer>
#include <QFileInfo>
#include <QUiLoader>
#include <QtTest>

#include <functional>
#include <memory>

using namespace Torva;

namespace {

// Both editors as a host's form stores them, each saved disabled.
constexpr char HostForm[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0">
 <class>HostForm</class>
 <widget class="QWidget" name="HostForm">
  <layout class="QVBoxLayout" name="layout">
   <item>
    <widget class="Torva::PartyEditor" name="partyEditor">
     <property name="Enabled">
      <bool>false</bool>
     </property>
    </widget>
   </item>
   <item>
    <widget class="Torva::PartiesEditor" name="partiesEditor">
     <property name="Enabled">
      <bool>false</bool>
     </property>
    </widget>
   </item>
  </layout>
 </widget>
</ui>
)";

} // namespace

class FormLoaderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void savedDisabledControlsLoadDisabled();
    void enabledIsPersistedWithItsDefault_data();
    void enabledIsPersistedWithItsDefault();
};

using MakeEditor = std::function<EditorWidget *()>;
Q_DECLARE_METATYPE(MakeEditor)

void FormLoaderTest::enabledIsPersistedWithItsDefault_data()
{
    QTest::addColumn<MakeEditor>("make");
    QTest::addColumn<bool>("designMode");
    for (const bool designMode : {false, true}) {
        const char *mode = designMode ? "designer" : "run time";
        QTest::addRow("party editor, %s", mode) << MakeEditor([] { return new PartyEditor; }) << designMode;
        QTest::addRow("parties editor, %s", mode) << MakeEditor([] { return new PartiesEditor; }) << designMode;
    }
}

// A host that keeps the properties outside a .ui file gets back what it saved.
void FormLoaderTest::enabledIsPersistedWithItsDefault()
{
    QFETCH(MakeEditor, make);
    QFETCH(bool, designMode);
    std::unique_ptr<EditorWidget> editor(make());
    editor->setDesignMode(designMode);
    const auto saved = [&editor] {
        PropertyBag bag;
        editor->WriteProperties(bag);
        return bag;
    };

    // Given a bag without "Enabled", the control is enabled and saves none;
    editor->ReadProperties(PropertyBag());
    QVERIFY(editor->Enabled());
    QVERIFY(!saved().contains(QStringLiteral("Enabled")));
    // one saved disabled comes back disabled and is saved as such.
    editor->ReadProperties(PropertyBag({{QStringLiteral("Enabled"), false}}));
    QVERIFY(!editor->Enabled());
    QCOMPARE(saved().values().value(QStringLiteral("Enabled")), QVariant(false));
    editor->ReadProperties(PropertyBag());
    QVERIFY(editor->Enabled());
}

void FormLoaderTest::savedDisabledControlsLoadDisabled()
{
    // Given a loader that finds the library's designer plugin,
    QUiLoader loader;
    loader.clearPluginPaths();
    loader.addPluginPath(QFileInfo(QStringLiteral(TORVA_DESIGNER_PLUGIN)).absolutePath());
    QVERIFY2(loader.availableWidgets().contains(QStringLiteral("Torva::PartyEditor")),
             qPrintable(loader.availableWidgets().join(QLatin1Char(' '))));

    // when a host loads a form whose editors were saved disabled,
    QByteArray xml(HostForm);
    QBuffer file(&xml);
    std::unique_ptr<QWidget> form(loader.load(&file));
    QVERIFY2(form, qPrintable(loader.errorString()));
    auto *party = form->findChild<PartyEditor *>(QStringLiteral("partyEditor"));
    auto *parties = form->findChild<PartiesEditor *>(QStringLiteral("partiesEditor"));
    QVERIFY(party);
    QVERIFY(parties);

    // then they are run-time controls, disabled as saved: no field takes input.
    QVERIFY(!party->DesignMode());
    QVERIFY(!parties->DesignMode());
    QVERIFY(!party->Enabled());
    QVERIFY(!parties->Enabled());
    const QList<QWidget *> fields = party->findChildren<QWidget *>(QStringLiteral("txtPTYNAM"));
    QCOMPARE(fields.size(), 1);
    QVERIFY(!fields.first()->isEnabled());
    QVERIFY(!parties->grid()->Enabled());
}

QTEST_MAIN(FormLoaderTest)
#include "tst_formloader.moc"
