#pragma once

#include <random>
#include <string>

namespace Torva {

// Person names as the agency keys them, "LAST, FIRST M", spread over their
// prefixes as real names are. Surnames begin with each letter as often as US
// surnames do; common surnames and given names are drawn far more often
// than rare ones (the weight falls with the rank in the demo lists, which
// run from the most common down); a share of the surnames is
// built from the beginning of one surname and a common ending, sometimes
// with a letter or two more, so that the names vary without being uniform.
class NameGenerator
{
public:
    explicit NameGenerator(std::mt19937_64 &random);

    // A name of at most maxLength characters (at least 10). With room to
    // spare some names carry a whole middle name instead of an initial.
    std::string personName(int maxLength);

    std::string surname();
    std::string givenName();

private:
    std::string builtSurname();
    bool chance(double probability);

    std::mt19937_64 &m_random;
    std::discrete_distribution<int> m_surnames;
    std::discrete_distribution<int> m_givenNames;
    std::discrete_distribution<int> m_endings;
};

} // namespace Torva
