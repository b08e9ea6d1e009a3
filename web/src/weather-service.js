// The Weather Service screen, as the desktop's dialog of that name: other base addresses for the
// forecast and the place search (a paid plan's, or a server of the association's own running
// Open-Meteo's software) and an API key, kept in the browser's settings. Open-Meteo's own
// addresses are used where none is set. The page's security policy names only Open-Meteo's two
// addresses; the service worker adds the origins set here to the policy of the page it hands
// out, so saving reloads the page, once the worker is there to hand it out.

import { addressProblem, kDefaultForecastAddress, kDefaultGeocodingAddress } from './weather.js';
import { readWeatherSettings, writeSetting } from './settings.js';

const $ = id => document.getElementById(id);

// Fills the screen with what is set.
export async function showWeatherService() {
    const settings = await readWeatherSettings();
    $('txtForecastAddress').value = settings.forecast;
    $('txtGeocodingAddress').value = settings.geocoding;
    $('txtApiKey').value = settings.apiKey;
    $('txtForecastAddress').placeholder = kDefaultForecastAddress;
    $('txtGeocodingAddress').placeholder = kDefaultGeocodingAddress;
    $('lblServiceProblem').textContent = '';
    $('lblServiceProblem').hidden = true;
}

function problem(text) {
    $('lblServiceProblem').textContent = text;
    $('lblServiceProblem').hidden = text === '';
}

// Saves what was typed; true when saved. The page then reloads to take the addresses into its
// policy (`reload` is the page's own).
export async function saveWeatherService(reload) {
    const typed = { forecast: $('txtForecastAddress').value.trim(), geocoding: $('txtGeocodingAddress').value.trim(),
                    apiKey: $('txtApiKey').value.trim() };
    for (const [address, what] of [[typed.forecast, 'forecast address'], [typed.geocoding, 'place search address']]) {
        const why = address ? addressProblem(address) : '';
        if (why) {
            problem(`The ${what} "${address}" ${why}.`);
            return false;
        }
    }
    try {
        await writeSetting('weather', typed);
    } catch (error) {
        problem(`The browser did not keep the settings (${error?.message || error?.name}): nothing was changed.`);
        return false;
    }
    if (!('serviceWorker' in navigator)) {
        problem('Saved. This browser keeps no copy of the page on this site (that needs https://), so the page\'s ' +
                "policy cannot name other addresses: only Open-Meteo's own can be reached.");
        return true;
    }
    problem('Saved. The page reloads now, so that its security policy lets it reach these addresses.');
    // Once the worker is there, it hands out the page with the new policy.
    await Promise.race([navigator.serviceWorker.ready, new Promise(resolve => setTimeout(resolve, 5000))]);
    reload();
    return true;
}
