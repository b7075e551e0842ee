#include "casevalidator.h"

#include <QLineEdit>

CaseValidator::CaseValidator(int caseType, QObject *parent)
    : QValidator(parent)
    , m_caseType(caseType)
{
}

QValidator::State CaseValidator::validate(QString &input, int &) const
{
    // The part that differs from the text before is what the user typed or pasted.
    qsizetype prefix = 0;
    const qsizetype common = qMin(input.size(), m_previous.size());
    while (prefix < common && input.at(prefix) == m_previous.at(prefix))
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < common - prefix
           && input.at(input.size() - 1 - suffix) == m_previous.at(m_previous.size() - 1 - suffix))
        ++suffix;
    const QString typed = input.mid(prefix, input.size() - prefix - suffix);
    if (m_caseType == UpperCase)
        input.replace(prefix, typed.size(), typed.toUpper());
    else if (m_caseType == LowerCase)
        input.replace(prefix, typed.size(), typed.toLower());
    dropHalfCharacter(input);
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
