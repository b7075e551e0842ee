#include "formfunctions.h"

#include "base/messageservice.h"

#include "controls/fieldcontrol.h"

#include <QWidget>

namespace Torva {

namespace FormFunctions {

void ShowFieldError(FieldControl *Field, const QString &Message)
{
    if (Field && Field->Enabled())
        Field->SetFocus();
    if (!Message.isEmpty())
        MessageService::instance().showMessage(dynamic_cast<QWidget *>(Field), Message, MessageService::ErrorTitle);
}

bool RequiredTextMissing(FieldControl *Field)
{
    if (!TrimSpaces(Field->Text()).isEmpty())
        return false;
    ShowFieldError(Field, RequiredFieldMessage);
    return true;
}

bool RequiredLongMissing(FieldControl *Field)
{
    if (Field->ValueAsLong() != 0)
        return false;
    ShowFieldError(Field, RequiredFieldMessage);
    return true;
}

QString TrimSpaces(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

} // namespace FormFunctions

} // namespace Torva
