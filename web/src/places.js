// The places the tools offer wherever a place is asked for: the desktop's examples, each with
// its own time zone, and a place search's matches as a list shows them.

import { quoted } from './format.js';

export const kExamplePlaces = [
    { name: 'Phoenix, AZ', latitude: 33.45, longitude: -112.07, zone: 'America/Phoenix' },
    { name: 'Los Angeles, CA', latitude: 34.05, longitude: -118.24, zone: 'America/Los_Angeles' },
    { name: 'Denver, CO', latitude: 39.74, longitude: -104.99, zone: 'America/Denver' },
    { name: 'Houston, TX', latitude: 29.76, longitude: -95.37, zone: 'America/Chicago' },
    { name: 'Chicago, IL', latitude: 41.88, longitude: -87.63, zone: 'America/Chicago' },
    { name: 'Atlanta, GA', latitude: 33.75, longitude: -84.39, zone: 'America/New_York' },
    { name: 'Miami, FL', latitude: 25.76, longitude: -80.19, zone: 'America/New_York' },
    { name: 'New York, NY', latitude: 40.71, longitude: -74.01, zone: 'America/New_York' },
    { name: 'Honolulu, HI', latitude: 21.31, longitude: -157.86, zone: 'Pacific/Honolulu' },
    { name: 'Adelaide, SA', latitude: -34.93, longitude: 138.60, zone: 'Australia/Adelaide' },
];

// A search's match as the list names it: "Adelaide, South Australia, Australia".
export function matchedPlace(p) {
    const parts = [p.name];
    if (p.region && p.region !== p.name)
        parts.push(p.region);
    if (p.country)
        parts.push(p.country);
    return { name: quoted(parts.join(', '), 80), latitude: p.latitude, longitude: p.longitude, zone: p.timeZone };
}

// Replaces a list's options with these texts, keeping the choice where it still exists.
export function fillList(list, texts, chosen = list.selectedIndex) {
    list.replaceChildren(...texts.map(text => new Option(text)));
    list.selectedIndex = Math.min(chosen, texts.length - 1);
}
