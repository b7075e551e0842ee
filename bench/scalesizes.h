#pragma once

#include <QtGlobal>

namespace Torva {

// How many rows of each table a scale database holds: the agency's sizes
// (1,000,000 parties and clients, 3,000,000 associations, 41,000 zip rows)
// times a factor between MinimumScale and 1. Never more than those sizes.
struct ScaleSizes
{
    static constexpr qint64 FullParties = 1'000'000;
    static constexpr qint64 FullClients = 1'000'000;
    static constexpr qint64 FullAssociations = 3'000'000;
    static constexpr qint64 FullZipRows = 41'000;
    static constexpr int HeavyClientAssociations = 2'000;
    static constexpr int TypicalClientAssociations = 10;
    static constexpr double MinimumScale = 0.0001;

    // Throws std::invalid_argument for a factor outside [MinimumScale, 1].
    static ScaleSizes forScale(double scale);

    double scale = 1.0;
    qint64 parties = FullParties;
    qint64 clients = FullClients;
    qint64 associations = FullAssociations;
    qint64 zipRows = FullZipRows;
    // The client with the most associations (as either side), and one with a
    // typical number; small scales cap the first at a third of all associations.
    int heavyClientAssociations = HeavyClientAssociations;
    int typicalClientAssociations = TypicalClientAssociations;
};

} // namespace Torva
