#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <TORVAProbationParties/controls/fieldcontrol.h>

#include <QLineEdit>

namespace Torva {

/// A text box that can turn what the user types into upper or lower case
/// (CaseType as CaseValidator counts it) and
/// holds at most MaxLength characters. Text written by code is kept as given
/// (cut to MaxLength), so that a stored value comes back unchanged.
///
/// Change is raised for the user's edits only; textChanged for every change.
/// Validate is raised when the user leaves the box: a handler connected
/// directly may set Cancel to keep the focus there.
class TORVA_EXPORT AlphaMericBox : public QLineEdit, public FieldControl
{
    Q_OBJECT
    Q_PROPERTY(QString Text READ Text WRITE setText USER true)  // QLineEdit::text notifies
    Q_PROPERTY(int CaseType READ CaseType WRITE setCaseType)
    Q_PROPERTY(int MaxLength READ maxLength WRITE setMaxLength)
    Q_PROPERTY(QString Tag READ Tag WRITE setTag)

public:
    explicit AlphaMericBox(QWidget *parent = nullptr);

    /// Shows text as given: the letter case applies to what the user types.
    void setText(const QString &text);
    int CaseType() const { return m_caseType; }
    void setCaseType(int caseType);
    QString Tag() const { return m_tag; }
    void setTag(const QString &tag) { m_tag = tag; }

    bool Enabled() const override { return isEnabled(); }
    void SetFocus() override { setFocus(Qt::OtherFocusReason); }
    QString Text() const override { return text(); }
    qint32 ValueAsLong() const override { return text().trimmed().toInt(); }

Q_SIGNALS:
    void Change();
    void Validate(bool &Cancel);

protected:
    void focusOutEvent(QFocusEvent *event) override;

private:
    int m_caseType = 0;
    QString m_tag;
};

} // namespace Torva
