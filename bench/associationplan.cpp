#include "associationplan.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <tuple>

namespace Torva {

namespace {

constexpr double ClientSideShare = 0.9;  // of the associations, those with a client as side 1
constexpr double PartnerIsPartyShare = 0.75;
constexpr int OrdinaryCap = 60;          // the most any subject but the heavy client has as side 1

} // namespace

AssociationPlan::AssociationPlan(const ScaleSizes &sizes, const std::vector<int> &codes,
                                 const std::vector<double> &codeWeights, std::mt19937_64 &random)
    : m_sizes(sizes)
    , m_codes(codes)
    , m_codeChoice(codeWeights.begin(), codeWeights.end())
    , m_random(random)
{
    if (sizes.clients < 3 || codes.empty())
        throw std::invalid_argument("an association plan needs at least three clients and one relationship type");
    std::uniform_int_distribution<qint64> anyClient(1, sizes.clients);
    m_heavyClient = anyClient(random);
    do
        m_typicalClient = anyClient(random);
    while (m_typicalClient == m_heavyClient);

    const qint64 heavySide2 = std::min<qint64>(sizes.heavyClientAssociations / 4, sizes.clients - 2);
    const qint64 heavySide1 = sizes.heavyClientAssociations - heavySide2;

    m_clientCounts.assign(std::size_t(sizes.clients), 0);
    m_partyCounts.assign(std::size_t(sizes.parties), 0);
    m_towardsHeavy.assign(std::size_t(sizes.clients), false);
    std::vector<bool> fixed(std::size_t(sizes.clients), false);
    fixed[std::size_t(m_heavyClient - 1)] = true;
    fixed[std::size_t(m_typicalClient - 1)] = true;
    m_clientCounts[std::size_t(m_heavyClient - 1)] = quint16(heavySide1);
    m_clientCounts[std::size_t(m_typicalClient - 1)] = quint16(sizes.typicalClientAssociations);
    for (qint64 chosen = 0; chosen < heavySide2;) {
        const qint64 client = anyClient(random);
        if (fixed[std::size_t(client - 1)] || m_towardsHeavy[std::size_t(client - 1)])
            continue;
        m_towardsHeavy[std::size_t(client - 1)] = true;
        ++chosen;
    }

    const qint64 clientRows = std::llround(double(sizes.associations) * ClientSideShare);
    distribute(m_clientCounts, clientRows, fixed, m_towardsHeavy, random);
    distribute(m_partyCounts, sizes.associations - clientRows, std::vector<bool>(std::size_t(sizes.parties), false),
               std::vector<bool>(std::size_t(sizes.parties), false), random);
}

void AssociationPlan::distribute(std::vector<quint16> &counts, qint64 target, const std::vector<bool> &fixed,
                                 const std::vector<bool> &floorOne, std::mt19937_64 &random)
{
    qint64 fixedRows = 0;
    qint64 free = 0;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        if (fixed[i])
            fixedRows += counts[i];
        else
            ++free;
    }
    if (free == 0)
        throw std::invalid_argument("an association plan needs subjects besides the heavy and the typical client");
    const double mean = std::max(0.0, double(target - fixedRows) / double(free));
    std::geometric_distribution<int> skewed(1.0 / (1.0 + mean));
    qint64 total = fixedRows;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        if (fixed[i])
            continue;
        counts[i] = quint16(std::clamp(skewed(random), floorOne[i] ? 1 : 0, OrdinaryCap));
        total += counts[i];
    }
    std::uniform_int_distribution<std::size_t> anyone(0, counts.size() - 1);
    while (total != target) {
        const std::size_t i = anyone(random);
        if (fixed[i])
            continue;
        if (total < target && counts[i] < OrdinaryCap) {
            ++counts[i];
            ++total;
        } else if (total > target && counts[i] > (floorOne[i] ? 1 : 0)) {
            --counts[i];
            --total;
        }
    }
}

void AssociationPlan::forEach(const std::function<void(const Association &)> &write)
{
    for (qint64 key = 1; key <= m_sizes.clients; ++key)
        writeSubject('C', key, m_clientCounts[std::size_t(key - 1)], m_towardsHeavy[std::size_t(key - 1)], write);
    for (qint64 key = 1; key <= m_sizes.parties; ++key)
        writeSubject('P', key, m_partyCounts[std::size_t(key - 1)], false, write);
}

void AssociationPlan::writeSubject(char flag, qint64 key, int count, bool towardsHeavy,
                                   const std::function<void(const Association &)> &write)
{
    if (count == 0)
        return;
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::uniform_int_distribution<qint64> anyClient(1, m_sizes.clients);
    std::uniform_int_distribution<qint64> anyParty(1, m_sizes.parties);

    using Partner = std::tuple<int, char, qint64>;  // code, side 2's kind, side 2's key
    std::vector<Partner> partners;
    partners.reserve(std::size_t(count));
    if (towardsHeavy)
        partners.emplace_back(m_codes[std::size_t(m_codeChoice(m_random))], 'C', m_heavyClient);
    while (int(partners.size()) < count) {
        while (int(partners.size()) < count) {
            const char flag2 = unit(m_random) < PartnerIsPartyShare ? 'P' : 'C';
            const qint64 key2 = flag2 == 'P' ? anyParty(m_random) : anyClient(m_random);
            if (flag2 == flag && key2 == key)
                continue;
            if (flag2 == 'C' && (key2 == m_heavyClient || key2 == m_typicalClient))
                continue;
            partners.emplace_back(m_codes[std::size_t(m_codeChoice(m_random))], flag2, key2);
        }
        std::sort(partners.begin(), partners.end());
        partners.erase(std::unique(partners.begin(), partners.end()), partners.end());
    }
    for (const auto &[code, flag2, key2] : partners)
        write({flag, key, code, flag2, key2});
}

} // namespace Torva
