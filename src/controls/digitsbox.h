#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <QLineEdit>

namespace Torva {

/// A box for a number of a fixed layout, typed through a mask of digit places
/// ("(000) 000-0000"). The phone and zip boxes build on it.
///
/// Change is raised for the user's edits only; digitsChanged for every change.
class TORVA_EXPORT DigitsBox : public QLineEdit
{
    Q_OBJECT
    Q_PROPERTY(bool HighlightOnFocus READ HighlightOnFocus WRITE setHighlightOnFocus)
    Q_PROPERTY(QString Tag READ Tag WRITE setTag)

public:
    DigitsBox(const QString &mask, QWidget *parent = nullptr);

    /// The digits typed so far, in order, without the mask's separators.
    QString digits() const;
    /// Shows these digits (code writing the value: no Change).
    void setDigits(const QString &digits);

    bool HighlightOnFocus() const { return m_highlightOnFocus; }
    void setHighlightOnFocus(bool highlight) { m_highlightOnFocus = highlight; }
    QString Tag() const { return m_tag; }
    void setTag(const QString &tag) { m_tag = tag; }

    QSize sizeHint() const override;

Q_SIGNALS:
    void Change();
    void digitsChanged();

protected:
    void focusInEvent(QFocusEvent *event) override;

private:
    QString m_lastDigits;
    bool m_highlightOnFocus = false;
    QString m_tag;
};

} // namespace Torva
