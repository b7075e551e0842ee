#include "scalesizes.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace Torva {

namespace {
qint64 scaled(qint64 full, double scale)
{
    return std::max<qint64>(1, std::llround(double(full) * scale));
}
} // namespace

ScaleSizes ScaleSizes::forScale(double scale)
{
    if (!(scale >= MinimumScale && scale <= 1.0))
        throw std::invalid_argument("the scale must lie between " + std::to_string(MinimumScale) + " and 1, not "
                                    + std::to_string(scale));
    ScaleSizes sizes;
    sizes.scale = scale;
    sizes.parties = scaled(FullParties, scale);
    sizes.clients = scaled(FullClients, scale);
    sizes.associations = scaled(FullAssociations, scale);
    sizes.zipRows = scaled(FullZipRows, scale);
    sizes.heavyClientAssociations = int(std::min<qint64>(HeavyClientAssociations, sizes.associations / 3));
    sizes.typicalClientAssociations = int(std::min<qint64>(TypicalClientAssociations, sizes.associations / 10));
    return sizes;
}

} // namespace Torva
