// Asks Open-Meteo (or the service set in Weather Service) for a forecast, the weather now, or
// places by name, and reads the answers into the tools' terms, as the desktop's weather client
// does: the same requests (the five hourly values the WBGT model needs, times as Unix seconds,
// the place's own time zone), the same 15-second limit and 16 MB bound, and the same message for
// every failure. Nothing goes out but the coordinates and dates, or the name typed, and the API
// key where one is set. One request at a time: a new one drops the one in flight, whose answer
// then never arrives (its promise settles with null).

import { addDays, quoted } from './format.js';
import { instantOf, zoneKnown } from './zones.js';

export const kDefaultForecastAddress = 'https://api.open-meteo.com/v1/forecast';
export const kDefaultGeocodingAddress = 'https://geocoding-api.open-meteo.com/v1/search';
export const kDefaultTimeoutMs = 15000;
// A sixteen-day forecast is some 40 kB; anything this large is not one, and must not fill memory.
export const kMaxAnswerBytes = 16 << 20;

// The series asked for. Instant radiation, not the hourly mean: the model takes the sun where it
// stands at the hour's instant, while the mean covers the hour before it.
export const kHourlySeries = ['temperature_2m', 'relative_humidity_2m', 'wind_speed_10m',
                              'shortwave_radiation_instant', 'surface_pressure'];
// The members of a forecast hour they fill, in the same order.
const kMembers = ['airC', 'relativeHumidity', 'wind10mMs', 'solarWm2', 'pressureHpa'];
// The units each series is read in, first as the page names it.
const kUnits = {
    temperature_2m: ['\u00b0C'],
    relative_humidity_2m: ['%'],
    wind_speed_10m: ['m/s'],
    shortwave_radiation_instant: ['W/m\u00b2', 'W/m2'],
    surface_pressure: ['hPa'],
};

export class Failure {
    // kind: InvalidRequest, NoNetwork, Blocked, ConnectionFailed, Timeout, RateLimited, HttpError,
    // NotJson, ServiceError, BadData.
    constructor(kind, message) {
        this.kind = kind;
        this.message = message;
    }
}

const badData = message => new Failure('BadData', message);

// How messages name the server: its host, and its port where the address gives one.
export function hostAndPort(url) {
    const u = new URL(url);
    return u.port ? `${u.hostname}:${u.port}` : u.hostname;
}

function isOpenMeteos(url) {
    const host = new URL(url).hostname.toLowerCase();
    return host === 'open-meteo.com' || host.endsWith('.open-meteo.com');
}

// Why a base address cannot be used, or an empty text when it can. A page served over HTTPS
// cannot read an unencrypted server's answers at all, so it is told here rather than failing.
export function addressProblem(text, pageProtocol = globalThis.location?.protocol) {
    let url;
    try {
        url = new URL(text);
    } catch {
        return 'is not a web address';
    }
    if (url.protocol !== 'https:' && url.protocol !== 'http:')
        return 'must start with https:// or http://';
    if (!url.hostname)
        return 'names no host';
    if (url.protocol === 'http:' && isOpenMeteos(url))
        return "must use https:// for Open-Meteo's own servers";
    const local = ['127.0.0.1', 'localhost', '[::1]'].includes(url.hostname);
    if (url.protocol === 'http:' && pageProtocol === 'https:' && !local)
        return 'must use https:// on a page served over https://: the browser refuses unencrypted answers there';
    return '';
}

export function isUnencrypted(text) {
    try {
        return new URL(text).protocol === 'http:';
    } catch {
        return false;
    }
}

// Every value percent-encoded but for commas, so a '+' or '&' in a place name reaches the server
// as typed.
function withQuery(base, items, apiKey) {
    const url = new URL(base);
    const parts = url.search.length > 1 ? [url.search.slice(1)] : [];
    // As the desktop's QUrl::toPercentEncoding: all but letters, digits, "-._~" and the commas.
    const encode = value => encodeURIComponent(value)
        .replace(/[!'()*]/g, c => `%${c.charCodeAt(0).toString(16).toUpperCase()}`).replace(/%2C/g, ',');
    for (const [key, value] of items)
        parts.push(`${encode(key)}=${encode(value)}`);
    if (apiKey)
        parts.push(`apikey=${encode(apiKey)}`);
    url.search = parts.join('&');
    return url.href;
}

// The forecast of the place's own days first to last ("YYYY-MM-DD").
export function forecastUrl(base, apiKey, latitude, longitude, first, last) {
    return withQuery(base, [['latitude', latitude.toFixed(4)], ['longitude', longitude.toFixed(4)],
                            ['hourly', kHourlySeries.join(',')], ['wind_speed_unit', 'ms'],
                            ['timeformat', 'unixtime'], ['timezone', 'auto'],
                            ['start_date', first], ['end_date', last]], apiKey);
}

// The weather now: the same values the forecast gives each hour.
export function currentUrl(base, apiKey, latitude, longitude) {
    return withQuery(base, [['latitude', latitude.toFixed(4)], ['longitude', longitude.toFixed(4)],
                            ['current', kHourlySeries.join(',')], ['wind_speed_unit', 'ms'],
                            ['timeformat', 'unixtime'], ['timezone', 'auto']], apiKey);
}

export function placeSearchUrl(base, apiKey, name) {
    return withQuery(base, [['name', name], ['count', '10'], ['language', 'en'], ['format', 'json']], apiKey);
}

// The body as a JSON object, or a Failure, Open-Meteo's own error body included.
function readObject(body) {
    let object;
    try {
        object = JSON.parse(body);
    } catch (error) {
        return new Failure('NotJson', `The weather service's answer is not JSON (${error.message}).`);
    }
    if (object === null || typeof object !== 'object' || Array.isArray(object))
        return badData("The weather service's answer is JSON, but not an object.");
    if (object.error === true) {
        const reason = typeof object.reason === 'string' ? object.reason : '';
        return new Failure('ServiceError', reason === ''
            ? 'The weather service refused the request, giving no reason.'
            : 'The weather service refused the request: ' + reason);
    }
    return object;
}

// The reason of Open-Meteo's error body, or an empty text when the body is none.
export function serviceReason(body) {
    try {
        const object = JSON.parse(body);
        return object?.error === true && typeof object.reason === 'string' ? object.reason : '';
    } catch {
        return '';
    }
}

const isNumber = v => typeof v === 'number' && Number.isFinite(v);
const coordinate = (value, limit) => isNumber(value) && Math.abs(value) <= limit ? value : null;
// The years 1 to 9999 in Unix seconds.
const kFirstSecond = -62135596800;
const kLastSecond = 253402300799;

function unitProblem(units, where) {
    for (const [name, accepted] of Object.entries(kUnits)) {
        if (units?.[name] === undefined)
            continue; // a unit left out is taken as asked
        const given = typeof units[name] === 'string' ? units[name] : '';
        if (!accepted.includes(given))
            return badData(`The ${where} gives ${name} in "${quoted(given, 20)}", not ${accepted[0]}.`);
    }
    return null;
}

// What a forecast and the weather now begin with: the place, its time zone, and the values of
// `member` (hourly or current) in the units expected; or a Failure naming what is wrong, with
// `answer` ("The forecast") as its subject.
function answerHead(body, member, answer, where, valuesName) {
    const object = readObject(body);
    if (object instanceof Failure)
        return object;
    const latitude = coordinate(object.latitude, 90);
    const longitude = coordinate(object.longitude, 180);
    if (latitude === null || longitude === null)
        return badData(`${answer} gives no latitude and longitude of its place.`);
    const timeZone = typeof object.timezone === 'string' ? object.timezone : '';
    if (timeZone === '')
        return badData(`${answer} names no time zone (the request asks for timezone=auto).`);
    const values = object[member];
    if (values === null || typeof values !== 'object' || Array.isArray(values))
        return badData(`${answer} has no ${valuesName}.`);
    // A wind in km/h read as m/s would be a gale, a humidity as a fraction a desert.
    const units = unitProblem(object[`${member}_units`], where);
    if (units)
        return units;
    return { object, latitude, longitude, timeZone, values };
}

// {latitude, longitude, timeZone, hours: [{utcSeconds, airC, ...}]} or a Failure.
export function parseForecast(body) {
    const head = answerHead(body, 'hourly', 'The forecast', 'forecast', 'hourly values');
    if (head instanceof Failure)
        return head;
    const { latitude, longitude, timeZone, values: series } = head;
    const times = series.time;
    if (!Array.isArray(times))
        return badData("The forecast's hourly values have no times.");
    if (times.length === 0)
        return badData('The forecast holds no hours.');
    const hours = new Array(times.length);
    for (let i = 0; i < times.length; ++i) {
        const seconds = times[i];
        if (!isNumber(seconds) || !Number.isInteger(seconds) || Math.abs(seconds) > 1e18)
            return badData(`Time ${i + 1} of the forecast is not in Unix seconds (the request asks for timeformat=unixtime).`);
        if (seconds < kFirstSecond || seconds > kLastSecond)
            return badData(`Time ${i + 1} of the forecast lies outside the years 1 to 9999.`);
        if (i > 0 && seconds <= hours[i - 1].utcSeconds)
            return badData(`The forecast's times go back at time ${i + 1}.`);
        hours[i] = { utcSeconds: seconds, airC: null, relativeHumidity: null, wind10mMs: null,
                     solarWm2: null, pressureHpa: null };
    }
    kHourlySeries.forEach((name, s) => {
        if (hours.failure)
            return;
        const values = series[name];
        if (!Array.isArray(values)) {
            hours.failure = badData(`The forecast has no ${name} series.`);
            return;
        }
        if (values.length !== times.length) {
            hours.failure = badData(`The forecast's series differ in length: ${times.length} times, but ${values.length} values of ${name}.`);
            return;
        }
        for (let i = 0; i < values.length; ++i) {
            if (isNumber(values[i]))
                hours[i][kMembers[s]] = values[i];
            else if (values[i] !== null) {
                hours.failure = badData(`Value ${i + 1} of ${name} in the forecast is not a number.`);
                return;
            }
        }
    });
    if (hours.failure)
        return hours.failure;
    return { latitude, longitude, timeZone, hours };
}

// Why the forecast cannot be for the place's days first to last: an hour outside them. Empty
// when every hour lies within them. Where the browser does not know the zone, the place's day
// may lie up to 14 hours either side of UTC's.
export function hoursOutside(forecast, first, last) {
    const known = zoneKnown(forecast.timeZone);
    const zone = known ? forecast.timeZone : 0;
    const slack = known ? 0 : 14 * 3600;
    const from = instantOf(zone, first, 0).utcSeconds - slack;
    const to = instantOf(zone, addDays(last, 1), 0).utcSeconds + slack;
    const i = forecast.hours.findIndex(hour => hour.utcSeconds < from || hour.utcSeconds >= to);
    if (i < 0)
        return '';
    return `Time ${i + 1} of the forecast lies outside ${first === last ? first : `${first} to ${last}`}, ` +
        'the day asked for: the forecast was not used.';
}

// {latitude, longitude, timeZone, utcOffsetSeconds, hour: {utcSeconds, airC, ...}} or a Failure.
// A value the service leaves out is null: the estimator keeps what was typed for it.
export function parseCurrent(body) {
    const head = answerHead(body, 'current', "The weather service's answer", 'weather service', 'current values');
    if (head instanceof Failure)
        return head;
    const { object, latitude, longitude, timeZone, values: current } = head;
    const seconds = current.time;
    if (!isNumber(seconds) || !Number.isInteger(seconds) || seconds < kFirstSecond || seconds > kLastSecond)
        return badData("The current values' time is not in Unix seconds (the request asks for timeformat=unixtime).");
    const hour = { utcSeconds: seconds };
    for (let s = 0; s < kHourlySeries.length; ++s) {
        const value = current[kHourlySeries[s]];
        if (value !== undefined && value !== null && !isNumber(value))
            return badData(`The current ${kHourlySeries[s]} is not a number.`);
        hour[kMembers[s]] = isNumber(value) ? value : null;
    }
    const offset = isNumber(object.utc_offset_seconds) && Math.abs(object.utc_offset_seconds) <= 14 * 3600
        ? object.utc_offset_seconds : null;
    return { latitude, longitude, timeZone, utcOffsetSeconds: offset, hour };
}

// [{name, region, country, latitude, longitude, timeZone}] or a Failure. No "results" member is
// Open-Meteo's way of saying nothing matched.
export function parsePlaces(body) {
    const object = readObject(body);
    if (object instanceof Failure)
        return object;
    if (!('results' in object))
        return [];
    if (!Array.isArray(object.results))
        return badData("The place search's results are not a list.");
    const places = [];
    for (const p of object.results) {
        const latitude = coordinate(p?.latitude, 90);
        const longitude = coordinate(p?.longitude, 180);
        const name = typeof p?.name === 'string' ? p.name : '';
        if (name === '' || latitude === null || longitude === null)
            return badData(`Result ${places.length + 1} of the place search has no name, latitude and longitude.`);
        const text = v => typeof v === 'string' ? v : '';
        places.push({ name, region: text(p.admin1), country: text(p.country), latitude, longitude,
                      timeZone: text(p.timezone) });
    }
    return places;
}

// `service` names what was asked ("The weather service", "The place search"); the host decides
// whether Open-Meteo's own terms are the reason.
function httpFailure(status, phrase, reason, service, asked) {
    const says = reason === '' ? '' : ' It says: ' + quoted(reason, 200);
    if (status === 429) {
        let message = `${service} at ${hostAndPort(asked)} has had too many requests from this computer (HTTP 429): try again later.`;
        if (isOpenMeteos(asked))
            message += " Open-Meteo's free service is for non-commercial use and allows only so many requests a " +
                'minute, an hour and a day; a paid plan\'s address and API key lift the limit.';
        return new Failure('RateLimited', message + says);
    }
    let message = `${service} at ${hostAndPort(asked)} answered HTTP ${status}`;
    if (phrase)
        message += ` (${quoted(phrase, 60)})`;
    message += reason === '' ? '.' : ': ' + quoted(reason, 200);
    return new Failure('HttpError', message);
}

// The connect-src sources of the page's own policy, or null where it states none.
function pageConnectSources() {
    const meta = globalThis.document?.querySelector('meta[http-equiv="Content-Security-Policy"]');
    const directive = meta?.content.split(';').map(d => d.trim().split(/\s+/))
        .find(words => words[0] === 'connect-src');
    return directive ? directive.slice(1) : null;
}

// Why the page's policy keeps it from reaching this address, or an empty text.
export function policyProblem(url) {
    const sources = pageConnectSources();
    if (sources === null)
        return '';
    const origin = new URL(url).origin;
    if (sources.includes(origin) || (sources.includes("'self'") && origin === globalThis.location?.origin))
        return '';
    return `This page's security policy does not let it reach ${hostAndPort(url)}. An address set in ` +
        '"Weather Service" is let through once the page has been reloaded from the copy this browser ' +
        'keeps of it: reload the page. A browser that keeps no copy (a site without https://) ' +
        "reaches only Open-Meteo's own addresses.";
}

export class WeatherClient {
    // endpoints: {forecast, geocoding, apiKey}
    constructor(endpoints, timeoutMs = kDefaultTimeoutMs) {
        this.endpoints = endpoints;
        this.timeoutMs = timeoutMs;
        this.flight = null; // {abort, timer, settle}
    }

    get busy() {
        return this.flight !== null;
    }

    setEndpoints(endpoints) {
        this.endpoints = endpoints;
    }

    // Drops the request in flight; its promise settles with null.
    cancel() {
        const flight = this.flight;
        this.flight = null;
        if (!flight)
            return;
        clearTimeout(flight.timer);
        flight.abort.abort();
        flight.settle(null);
    }

    // The forecast for the place's own dates first to last: {forecast} or {failure}; null when
    // dropped.
    fetchForecast(latitude, longitude, first, last) {
        if (!(Math.abs(latitude) <= 90 && Math.abs(longitude) <= 180))
            return this.refuse("The place's latitude must be -90 to 90 degrees, its longitude -180 to 180.");
        if (!first || !last || last < first)
            return this.refuse("The forecast's last day must be its first day or later.");
        const base = this.endpoints.forecast;
        const problem = addressProblem(base);
        if (problem)
            return this.refuse(`The forecast address "${base}" ${problem}.`);
        return this.start(forecastUrl(base, this.endpoints.apiKey, latitude, longitude, first, last), 'The weather service',
                          body => {
                              const forecast = parseForecast(body);
                              if (forecast instanceof Failure)
                                  return { failure: forecast };
                              // Hours of other days would be drawn and judged as this day's.
                              const outside = hoursOutside(forecast, first, last);
                              return outside ? { failure: badData(outside) } : { forecast };
                          });
    }

    // The weather at the place now: {current} or {failure}; null when dropped.
    fetchCurrent(latitude, longitude) {
        if (!(Math.abs(latitude) <= 90 && Math.abs(longitude) <= 180))
            return this.refuse("The place's latitude must be -90 to 90 degrees, its longitude -180 to 180.");
        const base = this.endpoints.forecast;
        const problem = addressProblem(base);
        if (problem)
            return this.refuse(`The forecast address "${base}" ${problem}.`);
        return this.start(currentUrl(base, this.endpoints.apiKey, latitude, longitude), 'The weather service', body => {
            const current = parseCurrent(body);
            return current instanceof Failure ? { failure: current } : { current };
        });
    }

    // Places matching a typed name: {places} or {failure}; null when dropped.
    searchPlaces(name) {
        const typed = String(name).replace(/\s+/g, ' ').trim();
        if (typed === '')
            return this.refuse('Type the name of a place to search for.');
        const base = this.endpoints.geocoding;
        const problem = addressProblem(base);
        if (problem)
            return this.refuse(`The place search address "${base}" ${problem}.`);
        return this.start(placeSearchUrl(base, this.endpoints.apiKey, typed), 'The place search', body => {
            const places = parsePlaces(body);
            return places instanceof Failure ? { failure: places } : { places };
        });
    }

    refuse(message) {
        this.cancel();
        return Promise.resolve({ failure: new Failure('InvalidRequest', message) });
    }

    start(url, service, read) {
        this.cancel();
        const blocked = policyProblem(url);
        if (blocked)
            return Promise.resolve({ failure: new Failure('Blocked', blocked) });
        return new Promise(settle => {
            const flight = { abort: new AbortController(), timer: 0, settle };
            this.flight = flight;
            const conclude = outcome => {
                if (this.flight !== flight)
                    return; // dropped meanwhile: nothing follows for it
                this.flight = null;
                clearTimeout(flight.timer);
                settle(outcome);
            };
            flight.timer = setTimeout(() => {
                flight.abort.abort();
                conclude({ failure: new Failure('Timeout', `No answer from ${hostAndPort(url)} within ${this.timeoutMs / 1000} s. ` +
                                                            'The service may be busy or the network slow: try again.') });
            }, this.timeoutMs);
            get(url, flight.abort.signal).then(answer => {
                if (answer.failure)
                    return conclude({ failure: answer.failure });
                if (answer.status < 200 || answer.status > 299)
                    return conclude({ failure: httpFailure(answer.status, answer.phrase, serviceReason(answer.body), service, url) });
                conclude(read(answer.body));
            });
        });
    }
}

// One GET: {status, phrase, body} or {failure}. The answer is counted as it arrives, whatever
// its headers say, and stops at the limit.
async function get(url, signal) {
    let response;
    try {
        response = await fetch(url, { signal, credentials: 'omit', referrerPolicy: 'no-referrer',
                                      cache: 'no-store', mode: 'cors' });
    } catch (error) {
        return { failure: networkFailure(url, error) };
    }
    const tooLarge = { failure: badData("The weather service's answer is over 16 MB: it cannot be a forecast.") };
    if (Number(response.headers.get('Content-Length')) > kMaxAnswerBytes) {
        response.body?.cancel().catch(() => {});
        return tooLarge; // refused at its headers, before a byte of it is read
    }
    const pieces = [];
    let received = 0;
    try {
        const reader = response.body.getReader();
        for (;;) {
            const { done, value } = await reader.read();
            if (done)
                break;
            received += value.byteLength;
            if (received > kMaxAnswerBytes) {
                reader.cancel().catch(() => {});
                return tooLarge;
            }
            pieces.push(value);
        }
    } catch (error) {
        return { failure: networkFailure(url, error) };
    }
    const whole = new Uint8Array(received);
    let at = 0;
    for (const piece of pieces) {
        whole.set(piece, at);
        at += piece.byteLength;
    }
    return { status: response.status, phrase: response.statusText, body: new TextDecoder().decode(whole) };
}

// A browser tells a script only that a request failed, not why: offline it says so, otherwise
// the message names what it may be.
function networkFailure(url, error) {
    if (error?.name === 'AbortError')
        return new Failure('Timeout', 'Cancelled.');
    if (globalThis.navigator?.onLine === false)
        return new Failure('NoNetwork', `No network: this computer could not reach ${hostAndPort(url)} (the browser is offline).`);
    return new Failure('ConnectionFailed', `The connection to ${hostAndPort(url)} failed: the browser gives no reason. ` +
        'No weather service may answer there, the address may be wrong, or the server may not let web pages read its answers.');
}
