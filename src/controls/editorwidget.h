#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <QWidget>

namespace Torva {

class PropertyBag;
class TableObject;

/// What both editors share as controls of a host's form: an Enabled state
/// of their own (QWidget's also follows a disabled parent), the design mode
/// the designer plugin sets, their table objects' failures passed on to the
/// host as Error, and "Enabled" in the property bag.
class TORVA_EXPORT EditorWidget : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled NOTIFY EnabledChanged STORED true DESIGNABLE true)

public:
    /// The control's own enabled state. Written at run time it enables or
    /// disables what the control holds (applyEnabled); in a form designer
    /// only the control itself.
    bool Enabled() const;
    void SetEnabled(bool enabled);

    /// The stored properties, for hosts that keep them outside a form file:
    /// "Enabled" (design default enabled) and each editor's own.
    virtual void ReadProperties(const PropertyBag &bag) = 0;
    virtual void WriteProperties(PropertyBag &bag) const = 0;

    /// Set by the designer plugin on the widgets it makes for Qt Designer.
    bool DesignMode() const { return m_designMode; }
    void setDesignMode(bool designMode) { m_designMode = designMode; }

Q_SIGNALS:
    /// A table object failed; the call that was running then fails too.
    /// adoTABLE is a copy of the reference: changing it changes nothing here.
    /// Needs a direct connection.
    void Error(TableObject *&adoTABLE);
    /// The record asked for is held by another user.
    void LockError();
    void EnabledChanged(bool enabled);

protected:
    explicit EditorWidget(QWidget *parent);

    /// Gives the control's own enabled state to what it holds (at run time).
    virtual void applyEnabled(bool enabled) = 0;
    /// Whether a failure of the table objects is the host's to hear of (an
    /// editor may expect one and handle it itself).
    virtual bool reportsError(int number) const;
    /// Passes the table object's failures on to the host as Error.
    void forwardErrors(TableObject &table);

    /// "Enabled" in the property bag, against its design default (enabled).
    void readEnabled(const PropertyBag &bag);
    void writeEnabled(PropertyBag &bag) const;

    void changeEvent(QEvent *event) override;

private:
    void enabledSet(bool enabled);

    bool m_designMode = false;
    bool m_ownEnabled = true;
    bool m_settingEnabled = false;
};

} // namespace Torva
