#include "casevalidator.h"

#include <QLineEdit>

namespace Torva {

CaseValidator::CaseValidator(int caseType, QObject *parent)
    : QValidator(parent)
    , m_caseType(caseType)
{
}

QValidator::State CaseValidator::validate(QString &input, int &position) const
{
    // The part that differs from the text before is what the user typed or
    // pasted, taken as whole characters: an emoji may differ from the one it
    // replaces in its second half only.
    qsizetype begin = 0;
    const qsizetype common = qMin(input.size(), m_previous.size());
    while (begin < common && input.at(begin) == m_previous.at(begin))
        ++begin;
    qsizetype suffix = 0;
    while (suffix < common - begin
           && input.at(input.size() - 1 - suffix) == m_previous.at(m_previous.size() - 1 - suffix))
        ++suffix;
    qsizetype end = input.size() - suffix;
    if (begin < end && begin > 0 && input.at(begin).isLowSurrogate() && input.at(begin - 1).isHighSurrogate())
        --begin;
    if (begin < end && end < input.size() && input.at(end - 1).isHighSurrogate() && input.at(end).isLowSurrogate())
        ++end;

    // A box cuts a paste at its length in UTF-16 units, which may leave the
    // first half of a character (an emoji) that did not fit: that half goes.
    const auto *box = qobject_cast<const QLineEdit *>(parent());
    if (begin < end && input.at(end - 1).isHighSurrogate() && box && input.size() >= box->maxLength()) {
        input.remove(--end, 1);
        if (position > end)
            --position;
    }
    // Half of a character anywhere else is no text (no database could store
    // it): the keys or the paste are refused, and the box keeps what it had.
    const QStringView typed = QStringView(input).sliced(begin, end - begin);
    if (!typed.isValidUtf16())
        return Invalid;

    if (m_caseType == UpperCase)
        input.replace(begin, typed.size(), typed.toString().toUpper());
    else if (m_caseType == LowerCase)
        input.replace(begin, typed.size(), typed.toString().toLower());
    m_previous = input;
    return Acceptable;
}

void CaseValidator::dropHalfCharacter(QString &text)
{
    // A box cut at its length in UTF-16 units may leave the first half of a
    // character (an emoji) at the end; half a character is no character.
    if (!text.isEmpty() && text.back().isHighSurrogate())
        text.chop(1);
}

void CaseValidator::setTextAsGiven(QLineEdit *box, const QString &text)
{
    auto *validator = qobject_cast<CaseValidator *>(const_cast<QValidator *>(box->validator()));
    if (validator)
        box->setValidator(nullptr);
    box->setText(text);
    QString shown = box->text();
    dropHalfCharacter(shown);
    if (shown != box->text())
        box->setText(shown);
    if (validator) {
        validator->m_previous = shown;
        box->setValidator(validator);
    }
}

} // namespace Torva
