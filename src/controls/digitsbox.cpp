#include "digitsbox.h"

#include <QFocusEvent>
#include <QTimer>

namespace Torva {

DigitsBox::DigitsBox(const QString &mask, QWidget *parent)
    : QLineEdit(parent)
{
    setInputMask(mask + QStringLiteral(";_"));
    connect(this, &QLineEdit::textEdited, this, &DigitsBox::Change);
    connect(this, &QLineEdit::textChanged, this, [this] {
        const QString now = digits();
        if (now != m_lastDigits) {
            m_lastDigits = now;
            Q_EMIT digitsChanged();
        }
    });
}

QString DigitsBox::digits() const
{
    QString result;
    for (const QChar c : text()) {
        if (c.isDigit())
            result += c;
    }
    return result;
}

void DigitsBox::setDigits(const QString &digits)
{
    setText(digits);
}

QSize DigitsBox::sizeHint() const
{
    const QSize base = QLineEdit::sizeHint();
    const int textWidth = fontMetrics().horizontalAdvance(inputMask().section(QLatin1Char(';'), 0, 0)) + 16;
    return QSize(qMax(textWidth, 40), base.height());
}

void DigitsBox::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    if (m_highlightOnFocus)
        QTimer::singleShot(0, this, &QLineEdit::selectAll);
    else if (digits().isEmpty())
        QTimer::singleShot(0, this, [this] { setCursorPosition(0); });
}

} // namespace Torva
