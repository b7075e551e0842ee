#include "statements.h"

#include "recordsource.h"

namespace Torva {

QList<Statements::Named> Statements::all()
{
    const auto bound = [](const QString &source) { return RecordSource::bind(source, QString()).statement(); };
    return {
        {QStringLiteral("party load, locked"), LoadPartyForUpdate},
        {QStringLiteral("party load"), LoadParty},
        {QStringLiteral("next party key"), NextPartyKey},
        {QStringLiteral("party update"), UpdateParty},
        {QStringLiteral("party insert"), InsertParty},
        {QStringLiteral("party delete"), DeleteParty},
        {QStringLiteral("likely duplicate, same street"), DuplicatePartyWithStreet},
        {QStringLiteral("likely duplicate"), DuplicateParty},
        {QStringLiteral("zip check"), ZipLookup},
        {QStringLiteral("zip city and state"), ZipCityState},
        {QStringLiteral("city list"), bound(CityListSource)},
        {QStringLiteral("state list"), bound(StateListSource)},
        {QStringLiteral("sex list"), bound(SexListSource)},
        {QStringLiteral("user security"), SecurityRow},
        {QStringLiteral("name search"), bound(NameSearchSource)},
        {QStringLiteral("associations of a client"), associationTree(QStringLiteral("C"))},
        {QStringLiteral("associations of a party"), associationTree(QStringLiteral("P"))},
        {QStringLiteral("association lookup"), DuplicateAssociation},
        {QStringLiteral("association delete"), DeleteAssociation},
        {QStringLiteral("association insert"), InsertAssociation},
    };
}

} // namespace Torva
