#include "addressfunctions.h"

#include "formfunctions.h"

#include "controls/alphamericbox.h"
#include "data/statements.h"
#include "data/tableobject.h"

namespace Torva {

namespace AddressFunctions {

bool AddressComplete(const QString &Street, const QString &City, const QString &State, qint32 Zip)
{
    if (Street.isEmpty() && City.isEmpty() && State.isEmpty() && Zip <= 0)
        return true;
    return !Street.isEmpty() && !City.isEmpty() && !State.isEmpty() && Zip != 0;
}

bool CityStateZipValid(TableObject &ZipTable, const QString &City, const QString &State, qint32 Zip)
{
    if (City.isEmpty() && State.isEmpty() && Zip <= 0)
        return true;
    if (ZipTable.SQL().isEmpty()) {
        ZipTable.setSQL(Statements::ZipLookup);
        ZipTable.setPrepared(true);
    }
    ZipTable.Execute(QString(), QVariantList{City, State, Zip}, true, true);
    return !ZipTable.Eof();
}


void CompactStreetLines(AlphaMericBox *Line1, AlphaMericBox *Line2)
{
    const QString first = FormFunctions::TrimSpaces(Line1->Text());
    const QString second = FormFunctions::TrimSpaces(Line2->Text());
    if (first.isEmpty() && !second.isEmpty()) {
        Line1->setText(Line2->Text());
        Line2->setText(QString());
    }
}

} // namespace AddressFunctions

} // namespace Torva
