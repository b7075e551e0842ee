#include "alphamericbox.h"

#include "casevalidator.h"

#include <QFocusEvent>
#include <QTimer>

namespace Torva {

AlphaMericBox::AlphaMericBox(QWidget *parent)
    : QLineEdit(parent)
{
    setCaseType(0);
    connect(this, &QLineEdit::textEdited, this, &AlphaMericBox::Change);
}

void AlphaMericBox::setCaseType(int caseType)
{
    m_caseType = caseType;
    delete validator();
    setValidator(new CaseValidator(caseType, this));
}

void AlphaMericBox::setText(const QString &text)
{
    CaseValidator::setTextAsGiven(this, text);
}

void AlphaMericBox::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // A menu or another window taking the focus for a moment is not leaving the box.
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        return;
    bool cancel = false;
    Q_EMIT Validate(cancel);
    if (cancel)
        QTimer::singleShot(0, this, [this] { setFocus(Qt::OtherFocusReason); });
}

} // namespace Torva
