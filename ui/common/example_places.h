#pragma once

// Places offered as examples wherever a place is asked for, each with its own time zone.

#include <iterator>

namespace orvane::ui {

struct ExamplePlace {
    const char* name;
    double latitude, longitude;
    const char* zone; // IANA id
};

inline constexpr ExamplePlace kExamplePlaces[] = {
    {"Phoenix, AZ", 33.45, -112.07, "America/Phoenix"},
    {"Los Angeles, CA", 34.05, -118.24, "America/Los_Angeles"},
    {"Denver, CO", 39.74, -104.99, "America/Denver"},
    {"Houston, TX", 29.76, -95.37, "America/Chicago"},
    {"Chicago, IL", 41.88, -87.63, "America/Chicago"},
    {"Atlanta, GA", 33.75, -84.39, "America/New_York"},
    {"Miami, FL", 25.76, -80.19, "America/New_York"},
    {"New York, NY", 40.71, -74.01, "America/New_York"},
    {"Honolulu, HI", 21.31, -157.86, "Pacific/Honolulu"},
    {"Adelaide, SA", -34.93, 138.60, "Australia/Adelaide"},
};
inline constexpr int kExamplePlaceCount = int(std::size(kExamplePlaces));

} // namespace orvane::ui
