#include "partyeditorhost.h"

#include "controls/alphamericbox.h"
#include "controls/combo.h"
#include "controls/datalabel.h"
#include "controls/datepicker.h"
#include "controls/phonenumber.h"
#include "controls/zipcode.h"

#include <QApplication>
#include <QGroupBox>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>

namespace Torva {

PartyEditorHost::PartyEditorHost(const QString &mode)
    : editor(new PartyEditor(&window))
{
    editor->UserID = QStringLiteral("JSMITH");
    editor->UserMode = mode;
    QObject::connect(editor, &PartyEditor::Error, editor, [this](TableObject *&) { ++errors; });
    window.resize(editor->sizeHint());
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window))
        qWarning("the party editor's window did not become active");
}

QStringList PartyEditorHost::shown() const
{
    return {field<AlphaMericBox>("txtPTYNAM")->Text(),
            field<AlphaMericBox>("txtPTYST1")->Text(),
            field<AlphaMericBox>("txtPTYST2")->Text(),
            field<Combo>("cboPTYCTY")->Text(),
            field<Combo>("cboPTYSTA")->Text(),
            QString::number(field<ZipCode>("zipPTYZIP")->Value()),
            QString::number(qint64(field<PhoneNumber>("phnPTYHOMPHN")->Value())),
            QString::number(qint64(field<PhoneNumber>("phnPTYCELPHN")->Value())),
            QString::number(qint64(field<PhoneNumber>("phnPTYWRKPHN")->Value())),
            QString::number(field<DatePicker>("dtpPTYBDT")->Value()),
            field<Combo>("cboPTYSEX")->Value().toString(),
            field<DataLabel>("lblPTYUSR")->Caption(),
            field<DataLabel>("lblPTYUDT")->Caption()};
}

QString PartyEditorHost::focusedField() const
{
    for (QWidget *widget = QApplication::focusWidget(); widget; widget = widget->parentWidget()) {
        if (qobject_cast<QGroupBox *>(widget->parentWidget()))
            return widget->objectName();
    }
    return QString();
}

bool PartyEditorHost::everyFieldEnabled(bool enabled) const
{
    static const QRegularExpression names(QStringLiteral("^(txt|cbo|zip|phn|dtp|lbl)"));
    const QList<QWidget *> fields = editor->findChildren<QWidget *>(names);
    return std::all_of(fields.cbegin(), fields.cend(),
                       [this, enabled](const QWidget *field) { return field->isEnabledTo(editor) == enabled; });
}

} // namespace Torva
