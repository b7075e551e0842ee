#include "partyform.h"

#include "controls/alphamericbox.h"
#include "controls/combo.h"
#include "controls/datepicker.h"
#include "controls/phonenumber.h"
#include "controls/zipcode.h"

namespace Torva {

PartyForm::PartyForm()
{
    city = QStringLiteral("SALEM");
    state = QStringLiteral("OR");
    zip = 97301;
    homePhone = 5035550100;
}

bool PartyForm::enterAsNew(PartyEditorHost &host) const
{
    if (!host.editor->AddRecord())
        return false;
    enterInto(host);
    return true;
}

void PartyForm::enterInto(PartyEditorHost &host) const
{
    host.field<AlphaMericBox>("txtPTYNAM")->setText(name);
    host.field<AlphaMericBox>("txtPTYST1")->setText(street1);
    host.field<AlphaMericBox>("txtPTYST2")->setText(street2);
    host.field<Combo>("cboPTYCTY")->setText(city);
    host.field<Combo>("cboPTYSTA")->setText(state);
    host.field<ZipCode>("zipPTYZIP")->setValue(zip);
    host.field<PhoneNumber>("phnPTYHOMPHN")->setValue(homePhone);
    host.field<PhoneNumber>("phnPTYWRKPHN")->setValue(workPhone);
    host.field<PhoneNumber>("phnPTYCELPHN")->setValue(cellPhone);
    host.field<DatePicker>("dtpPTYBDT")->setValue(birthDate);
    host.field<Combo>("cboPTYSEX")->setValue(sex);
}

void PartyForm::seedCodes()
{
    Fixtures::addSex(QStringLiteral("M"), QStringLiteral("Male"));
    Fixtures::addSex(QStringLiteral("F"), QStringLiteral("Female"));
    Fixtures::addState(QStringLiteral("OR"), QStringLiteral("Oregon"));
    Fixtures::addState(QStringLiteral("MA"), QStringLiteral("Massachusetts"));
    Fixtures::addState(QStringLiteral("ID"), QStringLiteral("Idaho"));
    Fixtures::addZip(QStringLiteral("SALEM"), QStringLiteral("OR"), 97301);
    Fixtures::addZip(QStringLiteral("SALEM"), QStringLiteral("MA"), 1970);
    Fixtures::addZip(QStringLiteral("SALEMBURG"), QStringLiteral("OR"), 97302);
    Fixtures::addZip(QStringLiteral("COEUR D'ALENE"), QStringLiteral("ID"), 83814);
}

Fixtures::Party PartyForm::onFile(int key, const QString &name, const QString &street)
{
    PartyForm party;
    party.key = key;
    party.name = name;
    party.street1 = street;
    return party;
}

} // namespace Torva
