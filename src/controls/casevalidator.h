#pragma once

#include <QValidator>

class QLineEdit;

namespace Torva {

// Turns what the user types or pastes into one letter case (0 as typed,
// 1 upper, 2 lower). Only the new characters change: text that was already in
// the box, such as a stored value shown as it is, keeps its case. Typing or
// pasting half of a UTF-16 pair (a lone surrogate) is refused whole; an
// emoji cut by the box's length leaves no half of itself.
class CaseValidator : public QValidator
{
    Q_OBJECT

public:
    enum Case { AsTyped = 0, UpperCase = 1, LowerCase = 2 };

    CaseValidator(int caseType, QObject *parent = nullptr);

    int caseType() const { return m_caseType; }
    State validate(QString &input, int &position) const override;

    // Gives a box (with or without a CaseValidator) this text as it is, cut
    // to the box's length at a whole character.
    static void setTextAsGiven(QLineEdit *box, const QString &text);
    static void dropHalfCharacter(QString &text);

private:
    int m_caseType;
    mutable QString m_previous;  // the text as last accepted
};

} // namespace Torva
