// The page's own modules that need no screen, in Node, case by case: the clock of a place (the
// instant of a wall time, with the desktop's rule for a time the clocks skip, and which of a
// time shown twice), the weather service's requests and every message for an answer it cannot
// use, a base address refused with its reason, the CSV's quoting and formula guard, and the
// planner's sentences over a plan the WebAssembly core made.

import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { webBuild } from './browser-session.mjs';
import { importBuilt } from './built-module.mjs';
import { CorePlanner } from '../src/core-plan.js';
import { field } from '../src/event-csv.js';
import { HourNames, PlanWords, eventSentence, gapsSentence } from '../src/plan-view.js';
import { addressProblem, forecastUrl, hoursOutside, parseCurrent, parseForecast, parsePlaces, placeSearchUrl } from '../src/weather.js';
import { daylightSaving, instantOf, offsetAt, zoneAbbreviation } from '../src/zones.js';

const iso = seconds => new Date(seconds * 1000).toISOString().replace('.000', '');

test('the instant of a wall time at a place: a skipped time read after the change, a repeated one the first', () => {
    for (const [zone, date, time, utc, inGap] of [
        ['Australia/Adelaide', '2026-12-08', '14:00', '2026-12-08T03:30:00Z', false],
        // 02:30 does not occur in Adelaide on 4 October 2026: as long after the change as it is
        // after 02:00, so 03:30 in daylight-saving time.
        ['Australia/Adelaide', '2026-10-04', '02:30', '2026-10-03T17:00:00Z', true],
        ['America/New_York', '2026-03-08', '02:00', '2026-03-08T07:00:00Z', true],
        ['America/New_York', '2026-03-08', '03:00', '2026-03-08T07:00:00Z', false],
        // 01:30 occurs twice in New York on 1 November 2026: the first, in daylight-saving time.
        ['America/New_York', '2026-11-01', '01:30', '2026-11-01T05:30:00Z', false],
        ['America/Phoenix', '2026-07-01', '12:00', '2026-07-01T19:00:00Z', false],
        [19800, '2026-01-01', '00:00', '2025-12-31T18:30:00Z', false], // an offset alone, +05:30
        [-34200, '2026-01-01', '23:30', '2026-01-02T09:00:00Z', false],
    ]) {
        const [h, m] = time.split(':').map(Number);
        const found = instantOf(zone, date, h * 60 + m);
        assert.deepEqual([iso(found.utcSeconds), found.inGap], [utc, inGap], `${zone} ${date} ${time}`);
    }
});

test('the offsets the page remembers are the calendar\'s, second for second, across a year and its changes', () => {
    const calendar = (zone, t) => {
        const c = {};
        for (const part of new Intl.DateTimeFormat('en-US', { timeZone: zone, hourCycle: 'h23', year: 'numeric', month: 'numeric',
                                                              day: 'numeric', hour: 'numeric', minute: 'numeric', second: 'numeric' })
            .formatToParts(new Date(t * 1000)))
            if (part.type !== 'literal')
                c[part.type] = Number(part.value);
        return Date.UTC(c.year, c.month - 1, c.day, c.hour % 24, c.minute, c.second) / 1000 - t;
    };
    // Half-hour zones, a half-hour change (Lord Howe), both hemispheres, a zone with none.
    for (const zone of ['Australia/Adelaide', 'America/New_York', 'Australia/Lord_Howe', 'America/Santiago', 'Asia/Kolkata']) {
        const wrong = [];
        for (let t = Date.UTC(2026, 0, 1) / 1000; t < Date.UTC(2027, 0, 1) / 1000; t += 7193) // odd seconds, every hour of the clock
            if (offsetAt(zone, t) !== calendar(zone, t))
                wrong.push(iso(t));
        // And either side of each change, to the second.
        const check = t => {
            if (offsetAt(zone, t) !== calendar(zone, t))
                wrong.push(iso(t));
        };
        for (let t = Date.UTC(2026, 0, 1) / 1000; t < Date.UTC(2027, 0, 1) / 1000; t += 3600)
            if (calendar(zone, t) !== calendar(zone, t + 3600))
                for (let m = t; m < t + 3600; m += 60)
                    if (calendar(zone, m) !== calendar(zone, m + 60))
                        for (let s = m - 2; s <= m + 62; ++s)
                            check(s);
        assert.deepEqual(wrong, [], zone);
    }
});

test('daylight saving and the zone\'s name, as the planner names an hour shown twice', () => {
    const at = text => Date.parse(text) / 1000;
    for (const [zone, when, saving, name] of [
        ['America/New_York', '2026-07-01T12:00:00Z', true, 'EDT'],
        ['America/New_York', '2026-12-01T12:00:00Z', false, 'EST'],
        ['Australia/Adelaide', '2026-12-01T12:00:00Z', true, 'UTC+10:30'],
        ['Australia/Adelaide', '2026-06-01T12:00:00Z', false, 'UTC+09:30'],
        ['America/Phoenix', '2026-07-01T12:00:00Z', false, 'MST'],
        ['Pacific/Honolulu', '2026-07-01T12:00:00Z', false, 'HST'],
        [3600, '2026-07-01T12:00:00Z', false, 'UTC+01:00'],
    ])
        assert.deepEqual([daylightSaving(zone, at(when)), zoneAbbreviation(zone, at(when))], [saving, name], `${zone} ${when}`);
});

test('the requests: the desktop\'s parameters, every value encoded but its commas, a key where one is set', () => {
    assert.equal(forecastUrl('https://api.open-meteo.com/v1/forecast', '', -34.92866, 138.59863, '2026-12-08', '2026-12-08'),
                 'https://api.open-meteo.com/v1/forecast?latitude=-34.9287&longitude=138.5986&hourly=temperature_2m,' +
                 'relative_humidity_2m,wind_speed_10m,shortwave_radiation_instant,surface_pressure&wind_speed_unit=ms&' +
                 'timeformat=unixtime&timezone=auto&start_date=2026-12-08&end_date=2026-12-08');
    assert.equal(placeSearchUrl('https://example.org/search?v=2', 'k+1&2', 'St. John\'s (Old) & Co!, NL+'),
                 'https://example.org/search?v=2&name=St.%20John%27s%20%28Old%29%20%26%20Co%21,%20NL%2B&count=10&language=en&' +
                 'format=json&apikey=k%2B1%262');
});

test('a base address the page cannot use is refused with its reason', () => {
    for (const [address, page, reason] of [
        ['https://api.open-meteo.com/v1/forecast', 'https:', ''],
        ['http://weather.example.org/v1/forecast', 'http:', ''],
        ['http://127.0.0.1:8080/v1/forecast', 'https:', ''],
        ['http://weather.example.org/v1/forecast', 'https:', 'must use https:// on a page served over https://: the browser refuses unencrypted answers there'],
        ['http://customer-api.open-meteo.com/v1/forecast', 'http:', "must use https:// for Open-Meteo's own servers"],
        ['ftp://example.org/', 'https:', 'must start with https:// or http://'],
        ['example.org/v1/forecast', 'https:', 'is not a web address'],
    ])
        assert.equal(addressProblem(address, page), reason, address);
});

// A forecast answer with one change to Open-Meteo's shape.
function answer(change = body => body) {
    return JSON.stringify(change({
        latitude: -34.93, longitude: 138.6, timezone: 'Australia/Adelaide',
        hourly_units: { temperature_2m: '\u00b0C', wind_speed_10m: 'm/s', shortwave_radiation_instant: 'W/m\u00b2' },
        hourly: { time: [1796700000, 1796703600], temperature_2m: [30, null], relative_humidity_2m: [40, 41],
                  wind_speed_10m: [3, 3], shortwave_radiation_instant: [800, 700], surface_pressure: [1010, 1010] },
    }));
}

test('a forecast the page cannot use: the desktop\'s message for each fault', () => {
    const good = parseForecast(answer());
    assert.equal(good.timeZone, 'Australia/Adelaide');
    assert.deepEqual(good.hours.map(h => h.airC), [30, null], 'a value left out is kept as missing');
    for (const [body, message] of [
        ['{"latitude":', /^The weather service's answer is not JSON \(.+\)\.$/],
        ['[1,2]', "The weather service's answer is JSON, but not an object."],
        ['{"error":true,"reason":"Latitude must be in range of -90 to 90°. Given: 91.0."}',
         'The weather service refused the request: Latitude must be in range of -90 to 90°. Given: 91.0.'],
        ['{"error":true}', 'The weather service refused the request, giving no reason.'],
        [answer(b => ({ ...b, latitude: 91 })), 'The forecast gives no latitude and longitude of its place.'],
        [answer(b => ({ ...b, timezone: '' })), 'The forecast names no time zone (the request asks for timezone=auto).'],
        [answer(b => ({ ...b, hourly: [] })), 'The forecast has no hourly values.'],
        [answer(b => ({ ...b, hourly_units: { relative_humidity_2m: 'fraction of one, measured at two metres' } })),
         'The forecast gives relative_humidity_2m in "fraction of one, me…", not %.'],
        [answer(b => ({ ...b, hourly: { ...b.hourly, time: undefined } })), "The forecast's hourly values have no times."],
        [answer(b => ({ ...b, hourly: { ...b.hourly, time: [] } })), 'The forecast holds no hours.'],
        [answer(b => ({ ...b, hourly: { ...b.hourly, time: [1796700000, '2026-12-08T04:00'] } })),
         'Time 2 of the forecast is not in Unix seconds (the request asks for timeformat=unixtime).'],
        [answer(b => ({ ...b, hourly: { ...b.hourly, time: [1796700000, 1e15] } })), 'Time 2 of the forecast lies outside the years 1 to 9999.'],
        [answer(b => ({ ...b, hourly: { ...b.hourly, time: [1796700000, 1796700000] } })), "The forecast's times go back at time 2."],
        [answer(b => ({ ...b, hourly: { ...b.hourly, surface_pressure: undefined } })), 'The forecast has no surface_pressure series.'],
        [answer(b => ({ ...b, hourly: { ...b.hourly, wind_speed_10m: [3] } })),
         "The forecast's series differ in length: 2 times, but 1 values of wind_speed_10m."],
        [answer(b => ({ ...b, hourly: { ...b.hourly, shortwave_radiation_instant: [800, '700'] } })),
         'Value 2 of shortwave_radiation_instant in the forecast is not a number.'],
    ]) {
        const failure = parseForecast(body);
        assert.ok(failure.message, `no failure for ${body.slice(0, 80)}`);
        if (message instanceof RegExp)
            assert.match(failure.message, message);
        else
            assert.equal(failure.message, message);
    }
    // Hours of another day than the one asked for are not taken.
    assert.equal(hoursOutside(good, '2026-12-08', '2026-12-08'), '');
    assert.equal(hoursOutside(good, '2026-12-09', '2026-12-09'),
                 'Time 1 of the forecast lies outside 2026-12-09, the day asked for: the forecast was not used.');
});

test('the weather now and the place search: their faults, and a value left out kept as missing', () => {
    const now = current => JSON.stringify({ latitude: 40.71, longitude: -74.01, timezone: 'America/New_York', utc_offset_seconds: -18000,
                                            current: { time: 1796700000, temperature_2m: 20, relative_humidity_2m: null, ...current } });
    const read = parseCurrent(now({}));
    assert.deepEqual([read.hour.airC, read.hour.relativeHumidity, read.hour.wind10mMs, read.utcOffsetSeconds], [20, null, null, -18000]);
    assert.equal(parseCurrent(now({ time: '12:00' })).message,
                 "The current values' time is not in Unix seconds (the request asks for timeformat=unixtime).");
    assert.equal(parseCurrent(now({ wind_speed_10m: 'calm' })).message, 'The current wind_speed_10m is not a number.');
    assert.equal(parseCurrent('{"latitude":1,"longitude":2,"timezone":"UTC"}').message, "The weather service's answer has no current values.");
    assert.deepEqual(parsePlaces('{"generationtime_ms":0.2}'), [], 'no results: nothing matched');
    assert.equal(parsePlaces('{"results":{}}').message, "The place search's results are not a list.");
    assert.equal(parsePlaces('{"results":[{"name":"Adelaide","latitude":-34.9,"longitude":138.6},{"name":"Nowhere"}]}').message,
                 'Result 2 of the place search has no name, latitude and longitude.');
});

test('a CSV field: quoted where it must be, and never one a spreadsheet would run', () => {
    for (const [value, written] of [
        ['plain', 'plain'], ['', ''], ['a,b', '"a,b"'], ['say "hi"', '"say ""hi"""'], ['two\nlines', '"two\nlines"'],
        ['=SUM(A1:A9)', "'=SUM(A1:A9)"], ['+1', "'+1"], ['-extra drinks', "'-extra drinks"], ['@note', "'@note"],
        ['\tindent', "'\tindent"], ['\rreturn', '"\'\rreturn"'], ['=HYPERLINK("x","y")', '"\'=HYPERLINK(""x"",""y"")"'],
        ['a=b', 'a=b'], ['56\u201365', '56\u201365'],
    ])
        assert.equal(field(value), written, JSON.stringify(value));
});

test('the planner\'s sentences over the core\'s plan: the gaps by reason, the event and the ceiling over it', async () => {
    const { default: createOrvaneCore } = await importBuilt(webBuild, 'orvane-core.js');
    const core = await createOrvaneCore({ wasmBinary: readFileSync(join(webBuild, 'orvane-core.wasm')) });
    const words = new PlanWords(core);
    const zone = 'Australia/Adelaide';
    const start = Date.UTC(2026, 11, 7, 13, 30) / 1000; // 00:00 on 8 December in Adelaide
    const hours = Array.from({ length: 24 }, (_, i) => ({
        utcSeconds: start + i * 3600, airC: i >= 10 && i <= 13 ? 38 : 25, relativeHumidity: 40, wind10mMs: 3,
        solarWm2: i >= 6 && i <= 19 ? 900 : 0, pressureHpa: 1010, localMinutes: i * 60, daylightSaving: true }));
    hours[2].wind10mMs = null;
    hours[3].wind10mMs = null;
    hours[20].airC = null;
    const plan = new CorePlanner(core).plan({ hours, latitude: -34.93, longitude: 138.6, terrain: 'Rural' }).hours;
    plan.forEach((hour, i) => { hour.weather = hours[i]; });
    const names = new HourNames(plan, zone);
    assert.equal(gapsSentence(plan, names), '3 hours without values (\u2014): no air temperature in the forecast (20:00); ' +
                 'no wind speed in the forecast (02:00, 03:00).');
    const day = { zone, dayStart: start, dayEnd: start + 86400, eventStart: start + 10 * 3600, eventEnd: start + 12 * 3600 };
    const hot = plan[10].wbgtF;
    assert.ok(plan[10].ceilingLevel !== 'none' && plan[11].ceilingLevel !== 'none', 'a hot late morning');
    assert.match(eventSentence(words, plan, day, null, false), new RegExp(
        `^The event, 10:00 to 12:00: its hottest hour reaches a WBGT of ${hot.toFixed(1)} °F \\("[^"]+"\\)\\. ` +
        'No hour of the event is under the WBGT ceiling: at its hottest, [a-z :]+, whatever the score\\.$'));
    assert.equal(eventSentence(words, plan, { ...day, eventStart: start + 2 * 3600, eventEnd: start + 4 * 3600 }, null, false),
                 'The event, 02:00 to 04:00: none of its hours has a WBGT; 2 of its 2 hours have no values (\u2014), so the ' +
                 'calculator cannot judge it.');
    assert.equal(eventSentence(words, plan, { ...day, eventEnd: day.eventStart }, null, false),
                 'The event ends before it starts: set its start and end times.');
});
