#include "relationshiptypes.h"

#include "demoreferencedata.h"

namespace Torva {

namespace {

// Beyond the demo's types: directional ones, then symmetric ones. Codes are
// free in the demo's numbering and stay below 100.
const RelationshipTypes::Type MoreTypes[] = {
    {10, "Aunt or Uncle", "Niece or Nephew"},
    {11, "Foster Parent", "Foster Child"},
    {12, "Godparent", "Godchild"},
    {13, "Mentor", "Mentee"},
    {14, "Supervisor", "Supervisee"},
    {15, "Teacher", "Student"},
    {16, "Counselor", "Counselee"},
    {17, "Caregiver", "Dependent"},
    {18, "Surety", "Principal"},
    {19, "Creditor", "Debtor"},
    {50, "Physician", "Patient"},
    {51, "Lessor", "Lessee"},
    {52, "Payor", "Payee"},
    {53, "Probation Officer", "Probationer"},
    {54, "Bail Bondsman", "Bonded Person"},
    {26, "Partner", "Partner"},
    {27, "Co-worker", "Co-worker"},
    {28, "Neighbor", "Neighbor"},
    {29, "Acquaintance", "Acquaintance"},
    {30, "Former Spouse", "Former Spouse"},
    {31, "Half-sibling", "Half-sibling"},
    {32, "Step-sibling", "Step-sibling"},
    {33, "Co-parent", "Co-parent"},
    {34, "Classmate", "Classmate"},
    {35, "Business Partner", "Business Partner"},
};

std::vector<RelationshipTypes::Type> buildTypes()
{
    std::vector<RelationshipTypes::Type> types;
    for (const auto &demo : DemoReferenceData::relationships())
        types.push_back({demo.code, demo.description, demo.inverseDescription});
    for (const auto &more : MoreTypes) {
        if (int(types.size()) < RelationshipTypes::Count)
            types.push_back(more);
    }
    return types;
}

} // namespace

const std::vector<RelationshipTypes::Type> &RelationshipTypes::all()
{
    static const std::vector<Type> types = buildTypes();
    return types;
}

} // namespace Torva
