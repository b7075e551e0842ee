#pragma once

#include <QtGlobal>

#include <random>
#include <string>
#include <vector>

namespace Torva {

// Addresses of a scale database: the zip table (city, state, zip) and the
// street lines of the parties, whose city, state and zip are always a row
// of that zip table.
class AddressGenerator
{
public:
    struct ZipRow
    {
        std::string city;   // upper case, at most 15 characters
        std::string state;  // a US state code of the demo list
        int zip = 0;
    };

    explicit AddressGenerator(std::mt19937_64 &random);

    // count rows, each (city, state, zip) once: the demo's real rows (a
    // random choice of them when fewer are wanted), then made-up towns over
    // the whole zip range, a town now and then with several zips and common
    // town names in several states, as real zip tables have them.
    std::vector<ZipRow> zipTable(qint64 count);

    // "1234 OAK AVE": a house number and a street of the demo list.
    std::string streetLine();
    // Mostly empty; sometimes an apartment or suite.
    std::string secondLine();

private:
    std::string townName();

    std::mt19937_64 &m_random;
};

} // namespace Torva
