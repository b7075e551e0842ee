#pragma once

#include <QRect>

namespace Torva {

// Design positions and sizes are given in twips (1/1440 inch); on screen
// they are logical pixels at 96 dpi, 15 twips to the pixel (Qt scales
// logical pixels for high-density screens itself).
namespace Twips {

constexpr int PerPixel = 15;

constexpr int toPixels(int twips)
{
    return (twips + (twips >= 0 ? PerPixel / 2 : -PerPixel / 2)) / PerPixel;
}

constexpr int fromPixels(int pixels)
{
    return pixels * PerPixel;
}

constexpr QRect toPixels(int left, int top, int width, int height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

} // namespace Twips

} // namespace Torva
