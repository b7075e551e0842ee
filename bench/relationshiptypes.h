#pragma once

#include <string>
#include <vector>

namespace Torva {

// The 40 relationship types of a scale database: the demo's types and as
// many more again, directional ones (a description and its inverse) and
// symmetric ones (both the same), every code at most 100 as the grid needs.
class RelationshipTypes
{
public:
    struct Type
    {
        int code = 0;
        std::string description;         // what side 1 is to side 2
        std::string inverseDescription;  // what side 2 is to side 1
        bool symmetric() const { return description == inverseDescription; }
    };

    static constexpr int Count = 40;
    static constexpr int HighestCode = 100;

    static const std::vector<Type> &all();
};

} // namespace Torva
