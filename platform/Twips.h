#pragma once

// Twips (1/1440 inch) are the unit of lengths at the platform widgets' interfaces; only the
// widgets convert them to pixels, through these.

#include <QPaintDevice>

#include <cmath>

namespace tabulon::platform::screen {

constexpr double twipsPerInch = 1440.0;

inline double twipsPerPixelX(const QPaintDevice &device)
{
    return twipsPerInch / device.logicalDpiX();
}

inline double twipsPerPixelY(const QPaintDevice &device)
{
    return twipsPerInch / device.logicalDpiY();
}

// The nearest whole number of pixels.
inline int toPixels(double twips, double twipsPerPixel)
{
    return int(std::lround(twips / twipsPerPixel));
}

} // namespace tabulon::platform::screen
