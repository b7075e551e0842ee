#include "editorwidget.h"

#include "controls/propertybag.h"
#include "data/tableobject.h"

#include <QEvent>

namespace Torva {

namespace {
// The control as a form designer places it.
constexpr bool EnabledByDesign = true;
} // namespace

EditorWidget::EditorWidget(QWidget *parent)
    : QWidget(parent)
{
}

bool EditorWidget::Enabled() const
{
    return !testAttribute(Qt::WA_ForceDisabled);
}

void EditorWidget::SetEnabled(bool enabled)
{
    m_settingEnabled = true;
    QWidget::setEnabled(enabled);
    m_settingEnabled = false;
    enabledSet(enabled);
}

void EditorWidget::enabledSet(bool enabled)
{
    m_ownEnabled = enabled;
    if (!m_designMode)
        applyEnabled(enabled);
    Q_EMIT EnabledChanged(enabled);
}

void EditorWidget::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // QWidget::setEnabled (as code generated from a form calls it) counts as
    // writing Enabled; a parent's change of state does not.
    if (event->type() == QEvent::EnabledChange && !m_settingEnabled && Enabled() != m_ownEnabled)
        enabledSet(Enabled());
}

bool EditorWidget::reportsError(int) const
{
    return true;
}

void EditorWidget::forwardErrors(TableObject &table)
{
    connect(&table, &TableObject::Error, this, [this, &table](int &number, QString &) {
        if (!reportsError(number))
            return;
        TableObject *copy = &table;
        Q_EMIT Error(copy);
    });
}

void EditorWidget::readEnabled(const PropertyBag &bag)
{
    SetEnabled(bag.ReadProperty(QStringLiteral("Enabled"), EnabledByDesign).toBool());
}

void EditorWidget::writeEnabled(PropertyBag &bag) const
{
    // The default is the state as designed, not as it is now: a disabled
    // control also has disabled fields at run time, and comparing with those
    // would leave its False unsaved.
    bag.WriteProperty(QStringLiteral("Enabled"), Enabled(), EnabledByDesign);
}

} // namespace Torva
