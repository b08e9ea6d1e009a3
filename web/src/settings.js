// The few settings the page keeps between visits, as the desktop keeps them in its settings
// file: the weather service's addresses and key, and the event new assessments go to. They live
// in a small database of the browser's own, apart from the event log, which the service worker
// also reads: the addresses set here are the ones the page's security policy lets it reach.

import { kDefaultForecastAddress, kDefaultGeocodingAddress } from './weather.js';

export const kSettingsDatabase = 'orvane-settings';
const kStore = 'settings';

let opened = null;

function database() {
    opened ??= new Promise((resolve, reject) => {
        let request;
        try {
            request = indexedDB.open(kSettingsDatabase, 1);
        } catch (error) {
            reject(error);
            return;
        }
        request.onupgradeneeded = () => request.result.createObjectStore(kStore, { keyPath: 'name' });
        request.onsuccess = () => resolve(request.result);
        request.onerror = () => reject(request.error);
        request.onblocked = () => reject(new Error('another tab holds an older copy of the settings open'));
    }).catch(error => {
        opened = null; // asked again next time
        throw error;
    });
    return opened;
}

// The setting's value, or undefined where none is kept (or the browser keeps none).
export async function readSetting(name) {
    try {
        const db = await database();
        return await new Promise((resolve, reject) => {
            const request = db.transaction(kStore).objectStore(kStore).get(name);
            request.onsuccess = () => resolve(request.result?.value);
            request.onerror = () => reject(request.error);
        });
    } catch {
        return undefined;
    }
}

// Throws the browser's reason when it keeps nothing.
export async function writeSetting(name, value) {
    const db = await database();
    await new Promise((resolve, reject) => {
        const transaction = db.transaction(kStore, 'readwrite');
        transaction.objectStore(kStore).put({ name, value });
        transaction.oncomplete = resolve;
        transaction.onabort = () => reject(transaction.error ?? new Error('the write was abandoned'));
    });
}

// What the user has set: empty texts leave Open-Meteo's own addresses and no key.
export async function readWeatherSettings() {
    const stored = await readSetting('weather');
    return { forecast: stored?.forecast ?? '', geocoding: stored?.geocoding ?? '', apiKey: stored?.apiKey ?? '' };
}

// The addresses requests go to.
export function endpointsOf(settings) {
    return {
        forecast: settings.forecast.trim() || kDefaultForecastAddress,
        geocoding: settings.geocoding.trim() || kDefaultGeocodingAddress,
        apiKey: settings.apiKey.trim(),
    };
}
