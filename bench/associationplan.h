#pragma once

#include "scalesizes.h"

#include <QtGlobal>

#include <functional>
#include <random>
#include <vector>

namespace Torva {

// Who is associated with whom in a scale database. Most associations have a
// client as side 1, some a party; the number per subject is skewed as in
// real case loads (many with none or a few, some with dozens), and adds up
// to exactly the associations wanted. One client, the heavy client, has the
// most by far (2,000 at full scale, a quarter of them as side 2 of other
// clients' rows); another, the typical client, has exactly 10, all as side 1.
// Nobody else is ever side 2 of a row with those two.
class AssociationPlan
{
public:
    struct Association
    {
        char flag1;   // 'C' client or 'P' party
        qint64 key1;
        int code;     // relationship code
        char flag2;
        qint64 key2;
    };

    // codeWeights: one weight per relationship code, in the order of codes.
    AssociationPlan(const ScaleSizes &sizes, const std::vector<int> &codes, const std::vector<double> &codeWeights,
                    std::mt19937_64 &random);

    qint64 heavyClient() const { return m_heavyClient; }
    qint64 typicalClient() const { return m_typicalClient; }

    // Every association once, in the order of the table's key (side 1's
    // kind, side 1's key, code, side 2's kind, side 2's key), so that a
    // bulk load only ever appends to the key's index.
    void forEach(const std::function<void(const Association &)> &write);

private:
    // Counts per subject drawn around mean, capped, then moved up or down
    // one at a time at random subjects until they add up to target; the
    // entries in fixed keep their value, the floor entries stay above zero.
    static void distribute(std::vector<quint16> &counts, qint64 target, const std::vector<bool> &fixed,
                           const std::vector<bool> &floorOne, std::mt19937_64 &random);
    void writeSubject(char flag, qint64 key, int count, bool towardsHeavy,
                      const std::function<void(const Association &)> &write);

    ScaleSizes m_sizes;
    std::vector<int> m_codes;
    std::discrete_distribution<int> m_codeChoice;
    std::mt19937_64 &m_random;
    qint64 m_heavyClient = 0;
    qint64 m_typicalClient = 0;
    std::vector<quint16> m_clientCounts;  // side-1 rows per client, index = key - 1
    std::vector<quint16> m_partyCounts;
    std::vector<bool> m_towardsHeavy;     // clients with one row whose side 2 is the heavy client
};

} // namespace Torva
