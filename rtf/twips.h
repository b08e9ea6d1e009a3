#pragma once

// Twips, the unit of RTF files and of the windows' designs: 1440 to the inch, 20 to the point,
// and 15 to the pixel at 96 dots per inch. Every conversion to pixels goes through here; Qt's
// device-pixel ratio scales for denser screens.

namespace orvane {

inline constexpr double kTwipsPerPixel = 15.0;

constexpr double twipsToPixels(double twips) {
    return twips / kTwipsPerPixel;
}

} // namespace orvane
