// The page's Estimate WBGT and Plan the Event Day in Debian's Chromium, against a stand-in for
// Open-Meteo's two services on 127.0.0.1 (fake-weather.mjs), set in the page's Weather Service as
// a user would: the page's policy naming the addresses set and no others; an estimate from a
// place found by its name with the weather now from the service, and from the browser's location
// (emulated), each against the native orvane-eval; a field out of range marked with its reason;
// a time the clocks skip; a plan with a gap, hour by hour against orvane-eval forecast, and days
// with a daylight-saving change either way; every failure's message with nothing of an earlier
// plan left; a date changed while a request is in flight; screenshots and axe-core at both sizes.
// No request leaves 127.0.0.1.

import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { join } from 'node:path';
import { Session, accept, answer, axeViolations, calculate, kDesk, kModerate, kPhone, orvaneEval, select, setField,
         shots, shown, sidewaysScroll, text } from './browser-session.mjs';
import { forecastBody, kForecastPath, kSearchPath, startFakeWeather, summerHour } from './fake-weather.mjs';
import { addDays } from '../src/format.js';
import { instantOf, wallClock } from '../src/zones.js';

let session;
let fake;
let host; // the fake's host and port, as messages name it

// The examples the tests plan for, by their coordinates as the page sends them.
const kZones = { '-34.9300': 'Australia/Adelaide', '40.7100': 'America/New_York', '-34.9290': 'Australia/Adelaide' };
const kOtherAnswers = { ...kModerate, Dry_Bulb: undefined };
const kNativeAnswers = Object.entries(kOtherAnswers).filter(([, v]) => v !== undefined)
    .flatMap(([key, value]) => ['--answer', `${key}=${value}`]);

// The fake's forecast: every hour of the day asked for at the place, as its clock reads, values
// by the hour of that clock; `change(hour, localHour, date)` alters an hour.
function dayForecast(url, change = () => {}) {
    const zone = kZones[url.searchParams.get('latitude')] ?? 'UTC';
    const date = url.searchParams.get('start_date');
    const first = instantOf(zone, date, 0).utcSeconds;
    const count = (instantOf(zone, addDays(date, 1), 0).utcSeconds - first) / 3600;
    const hours = Array.from({ length: count }, (_, i) => {
        const local = wallClock(zone, first + i * 3600).hour;
        const hour = summerHour(local);
        change(hour, local, date);
        return hour;
    });
    return forecastBody({ latitude: Number(url.searchParams.get('latitude')),
                          longitude: Number(url.searchParams.get('longitude')), timezone: zone, firstUtc: first, hours });
}

const kCurrentUnits = { time: 'unixtime', interval: 'seconds', temperature_2m: '\u00b0C', relative_humidity_2m: '%',
                        wind_speed_10m: 'm/s', shortwave_radiation_instant: 'W/m\u00b2', surface_pressure: 'hPa' };

function currentWeather(url, zone, time) {
    return JSON.stringify({
        latitude: Number(url.searchParams.get('latitude')), longitude: Number(url.searchParams.get('longitude')),
        timezone: zone, utc_offset_seconds: 0, current_units: kCurrentUnits,
        current: { time, interval: 900, temperature_2m: 35.2, relative_humidity_2m: 28, wind_speed_10m: 4.1,
                   shortwave_radiation_instant: 870, surface_pressure: 1008 },
    });
}

// The forecast service answers forecasts for whole days, and the weather now where asked.
function serveDays(change) {
    fake.set(kForecastPath, url => url.searchParams.has('current')
        ? { status: 200, body: currentWeather(url, kZones[url.searchParams.get('latitude')] ?? 'America/New_York',
                                              Date.UTC(2026, 11, 8, 3, 30) / 1000) }
        : { status: 200, body: dayForecast(url, change) });
}

before(async () => {
    session = await new Session().start();
    fake = await startFakeWeather();
    host = fake.origin.replace('http://', '');
    serveDays();
    fake.set(kSearchPath, { status: 200, body: JSON.stringify({ results: [
        { name: 'Adelaide', latitude: -34.929, longitude: 138.601, country: 'Australia', admin1: 'South Australia',
          timezone: 'Australia/Adelaide' }] }) });
    // The weather service set in the page, as a user sets it: saved, and the page reloaded.
    const page = await session.open();
    await page.evaluate(() => navigator.serviceWorker.ready);
    await accept(page);
    await page.click('#mnuPlanEventDay');
    await page.waitForSelector('#planner:not([hidden])');
    await page.click('#cmdWeatherService');
    await page.waitForSelector('#weatherservice:not([hidden])');
    await setField(page, '#txtForecastAddress', fake.forecastUrl);
    await setField(page, '#txtGeocodingAddress', fake.searchUrl);
    await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.click('#cmdServiceSave')]);
    await page.close();
});

after(async () => {
    await session?.stop();
    await fake?.close();
});

async function openTool(page, button, screen) {
    await page.click(button);
    await page.waitForSelector(`#${screen}:not([hidden])`);
}

async function planner(options = {}) {
    const page = await session.open(options);
    await accept(page);
    await openTool(page, '#mnuPlanEventDay', 'planner');
    return page;
}

// Asks for the forecast and waits for its plan or its failure.
async function getForecast(page) {
    await page.click('#cmdGetForecast');
    await page.waitForFunction(() => document.getElementById('cmdCancel').disabled);
}

const tableColumn = (page, column) => page.$$eval('#tblHours tbody tr', (rows, column) =>
    rows.map(row => row.cells[column].textContent.trim()), column);
const planShown = page => page.evaluate(() => ({
    rows: document.querySelectorAll('#tblHours tbody tr').length,
    chart: document.querySelectorAll('#chtForecast svg').length,
    sentences: ['lblEvent', 'lblCoolest', 'lblGaps'].map(id => document.getElementById(id).textContent).join(''),
}));

test('the page reaches only Open-Meteo and the addresses set in Weather Service: its policy names them', async () => {
    // Handed out by the service worker, the page's policy names the addresses set.
    const page = await session.open();
    const policy = await page.$eval('meta[http-equiv="Content-Security-Policy"]', e => e.content);
    assert.match(policy, new RegExp(`connect-src 'self' https://api\\.open-meteo\\.com https://geocoding-api\\.open-meteo\\.com ${fake.origin.replace(/[.]/g, '\\.')};`));
    assert.match(policy, /default-src 'none'; script-src 'self' 'wasm-unsafe-eval';/, 'nothing else loosened');
    await page.close();

    // The page as built, not handed out by the worker, names only Open-Meteo's: an address set
    // elsewhere is refused with a message, and nothing is sent.
    const bare = await session.browser.newPage();
    await bare.setBypassServiceWorker(true);
    await bare.goto(`${session.origin}/`, { waitUntil: 'load' });
    assert.match(await bare.$eval('meta[http-equiv="Content-Security-Policy"]', e => e.content),
                 / connect-src 'self' https:\/\/api\.open-meteo\.com https:\/\/geocoding-api\.open-meteo\.com; /);
    await accept(bare);
    await openTool(bare, '#mnuPlanEventDay', 'planner');
    await select(bare, '#cboPlace', 'Adelaide, SA');
    const before = fake.requests.length;
    await getForecast(bare);
    assert.match(await text(bare, '#lblProblem'), new RegExp(`^This page's security policy does not let it reach ${host}\\. `));
    assert.equal(fake.requests.length, before, 'nothing was sent');

    // An address the page cannot use is refused when saved, with the desktop's reason.
    await bare.click('#cmdWeatherService');
    await bare.waitForSelector('#weatherservice:not([hidden])');
    for (const [address, reason] of [['ftp://example.org/v1/forecast', 'must start with https:// or http://'],
                                     ['http://api.open-meteo.com/v1/forecast', "must use https:// for Open-Meteo's own servers"],
                                     ['forecast please', 'is not a web address']]) {
        await setField(bare, '#txtForecastAddress', address);
        await bare.click('#cmdServiceSave');
        await bare.waitForFunction(typed => document.getElementById('lblServiceProblem').textContent.includes(typed), {}, address);
        assert.equal(await text(bare, '#lblServiceProblem'), `The forecast address "${address}" ${reason}.`);
    }
    await bare.close();
});

// The native model's WBGT for the page's inputs, in °C.
function nativeWbgt(line) {
    const run = spawnSync(orvaneEval, ['wbgt'], { input: JSON.stringify(line) + '\n', encoding: 'utf8' });
    assert.equal(run.status, 0, run.stdout + run.stderr);
    return JSON.parse(run.stdout).wbgt_c;
}

const fToC = f => (f - 32) * 5 / 9;
const mphToMs = mph => mph * 1609.344 / 3600;
// "WBGT 86.4 °F (30.2 °C)" → 30.2
const shownCelsius = async page => Number(/\(([-\d.]+) °C\)$/.exec(await text(page, '#estResult'))[1]);

test('an estimate from a place found by its name, with the weather now from the service, as the native model gives it', async () => {
    const page = await session.open({ zone: 'Australia/Adelaide' });
    await accept(page);
    await openTool(page, '#mnuEstimateWbgt', 'estimator');
    const sent = fake.requests.length;
    await setField(page, '#estFind', 'Adelaide');
    await page.click('#estSearch');
    await page.waitForFunction(() => document.getElementById('estPlace').selectedIndex === 1);
    assert.equal(await page.$eval('#estPlace', e => e.options[1].text), 'Adelaide, South Australia, Australia');
    await page.click('#estFetch');
    await page.waitForFunction(() => document.getElementById('estWeatherNote').textContent.startsWith('The weather at'));
    // Only the name, then only the coordinates, went out.
    const [search, current] = fake.requests.slice(sent);
    assert.deepEqual([...search.searchParams.keys()], ['name', 'count', 'language', 'format']);
    assert.equal(search.searchParams.get('name'), 'Adelaide');
    assert.deepEqual(Object.fromEntries(current.searchParams), {
        latitude: '-34.9290', longitude: '138.6010', current: 'temperature_2m,relative_humidity_2m,wind_speed_10m,' +
            'shortwave_radiation_instant,surface_pressure', wind_speed_unit: 'ms', timeformat: 'unixtime', timezone: 'auto' });
    // The fields as the service's values give them, at the place's time of those values.
    const fields = await page.evaluate(() => Object.fromEntries(
        ['estAir', 'estHumidity', 'estWind', 'estSolar', 'estWhen'].map(id => [id, document.getElementById(id).value])));
    assert.equal(fields.estWhen, '2026-12-08T14:00', '03:30 UTC is 14:00 in Adelaide in summer');
    assert.deepEqual([fields.estAir, fields.estHumidity, fields.estSolar], ['95.4', '28', '870']);
    assert.equal(await page.$eval('#estSky', e => e.value), 'Measured solar radiation');
    // The wind brought down to 2 m as the native plan brings the same hour's.
    const plan = spawnSync(orvaneEval, ['forecast'], { encoding: 'utf8', input: JSON.stringify({
        latitude: -34.929, longitude: 138.601, timezone: 'Australia/Adelaide', hourly: {
            time: [Date.UTC(2026, 11, 8, 3, 30) / 1000], temperature_2m: [35.2], relative_humidity_2m: [28],
            wind_speed_10m: [4.1], shortwave_radiation_instant: [870], surface_pressure: [1008] } }) });
    const wind2m = JSON.parse(plan.stdout).wind_2m_ms;
    assert.ok(Math.abs(Number(fields.estWind) - wind2m / 0.44704) <= 0.06, `${fields.estWind} mph, natively ${wind2m} m/s`);
    // The estimate as the native model makes it from the same fields.
    const expected = nativeWbgt({ utc: '2026-12-08T03:30:00Z', lat: -34.929, lon: 138.601, air_c: fToC(95.4), rh: 28,
                                  wind_ms: mphToMs(Number(fields.estWind)), solar_wm2: 870 });
    assert.ok(Math.abs(await shownCelsius(page) - expected) <= 0.051, `${await text(page, '#estResult')} against ${expected} °C`);
    assert.match(await text(page, '#estWeatherNote'), /Weather data by Open-Meteo\.com\./);

    // "Use in question 1": the calculator's list answers it, and the record says from what.
    await page.click('#cmdUseInQuestion1');
    await page.waitForSelector('#calculator:not([hidden])');
    const estimate = Number(/^WBGT ([\d.]+) °F/.exec(await page.$eval('#estResult', e => e.textContent))[1]);
    const option = await page.$eval('#cbo_WBGT', e => e.options[e.selectedIndex].text);
    assert.equal(option, estimate >= 86 ? '>= 86°F' : estimate >= 82 ? '82-85.9' : '73-81.9');
    assert.notEqual(await text(page, '#txt_WBGT'), '', 'its points shown, as on a click');
    await answer(page, kOtherAnswers);
    await calculate(page);
    const record = await page.$eval('#record', e => e.textContent);
    for (const part of ['1. Wet Bulb Globe Temperature: estimated from the weather, air 95.4 °F, relative humidity 28 %, wind ',
                        ' mph at 2 m, solar radiation 870 W/m²; Adelaide, South Australia, Australia, 2026-12-08 14:00 UTC+10:30; ' +
                        'weather from Open-Meteo.com for 2026-12-08 14:00 UTC+10:30: WBGT '])
        assert.ok(record.includes(part), `the record lacks "${part}":\n${record}`);

    // A value out of range is marked at its field with the reason, and no estimate is shown.
    await openTool(page, '#mnuEstimateWbgt', 'estimator');
    await setField(page, '#estAir', '150');
    assert.deepEqual(await page.evaluate(() => [document.getElementById('estAir').getAttribute('aria-invalid'),
                                                document.getElementById('estAirBeside').textContent,
                                                document.getElementById('estProblem').textContent,
                                                document.getElementById('estResult').textContent,
                                                document.getElementById('cmdUseInQuestion1').disabled]),
                     ['true', 'the air temperature must be -40 to 140 °F', 'No estimate: the air temperature must be -40 to 140 °F.',
                      '\u2014', true]);
    await setField(page, '#estAir', '');
    assert.equal(await text(page, '#estProblem'), 'No estimate: give the air temperature.');
    await page.close();
});

test('an estimate from the browser\'s location, asked only on "Use my location", and a time the clocks skip', async () => {
    const context = await session.browser.createBrowserContext();
    await context.overridePermissions(session.origin, ['geolocation']);
    const page = await session.open({ context, zone: 'America/New_York' });
    await page.setGeolocation({ latitude: 40.712776, longitude: -74.005974 });
    // This context has no settings of its own: the weather service is set again, by hand.
    await page.evaluate(async (forecast, geocoding) => {
        const { writeSetting } = await import('./settings.js');
        await writeSetting('weather', { forecast, geocoding, apiKey: '' });
    }, fake.forecastUrl, fake.searchUrl);
    await page.evaluate(() => navigator.serviceWorker.ready);
    await page.reload({ waitUntil: 'load' });
    await accept(page);
    await openTool(page, '#mnuEstimateWbgt', 'estimator');
    assert.equal(await page.$eval('#estPlace', e => e.options[1].text), 'Phoenix, AZ', 'nothing found before asking');
    await page.click('#estLocate');
    await page.waitForFunction(() => document.getElementById('estPlace').options[1].text.startsWith('My location'));
    assert.equal(await page.$eval('#estPlace', e => e.options[e.selectedIndex].text), 'My location (40.7128°, -74.0060°)');
    const sent = fake.requests.length;
    await page.click('#estFetch');
    await page.waitForFunction(() => document.getElementById('estWeatherNote').textContent.startsWith('The weather at'));
    const asked = fake.requests[sent].searchParams;
    assert.deepEqual([asked.get('latitude'), asked.get('longitude')], ['40.7128', '-74.0060']);
    // 03:30 UTC is 22:30 the evening before in New York: the service's zone is the place's.
    assert.equal(await page.$eval('#estWhen', e => e.value), '2026-12-07T22:30');
    const wind = Number(await page.$eval('#estWind', e => e.value));
    const expected = nativeWbgt({ utc: '2026-12-08T03:30:00Z', lat: 40.7128, lon: -74.006, air_c: fToC(95.4), rh: 28,
                                  wind_ms: mphToMs(wind), solar_wm2: 870 });
    assert.ok(Math.abs(await shownCelsius(page) - expected) <= 0.051);

    // 02:30 on the morning the clocks go forward does not occur: read as 03:30, and said.
    await setField(page, '#estWhen', '2026-03-08T02:30');
    assert.equal(await text(page, '#estWarning'), '02:30 does not occur there on 2026-03-08: the clocks go forward. ' +
                 'Estimated for 03:30 EDT, the same time after the change.');
    const gap = nativeWbgt({ utc: '2026-03-08T07:30:00Z', lat: 40.7128, lon: -74.006, air_c: fToC(95.4), rh: 28,
                             wind_ms: mphToMs(wind), solar_wm2: 870 });
    assert.ok(Math.abs(await shownCelsius(page) - gap) <= 0.051, 'estimated for 07:30 UTC');
    await page.close();

    await context.close();

    // Where the browser may not tell, the place stays to be chosen, and the page says why.
    const refusing = await session.browser.createBrowserContext();
    await refusing.overridePermissions(session.origin, []); // every permission refused
    const denied = await session.open({ context: refusing });
    await accept(denied);
    await openTool(denied, '#mnuEstimateWbgt', 'estimator');
    await denied.click('#estLocate');
    await denied.waitForFunction(() => document.getElementById('estPlaceNote').textContent.startsWith('The browser'));
    assert.match(await text(denied, '#estPlaceNote'), /^The browser was not allowed to tell the page where it is: /);
    await refusing.close();
});

test('a place changed while the weather now is on its way drops it: the fields keep what was typed', async () => {
    const page = await session.open({ zone: 'Australia/Adelaide' });
    await accept(page);
    await openTool(page, '#mnuEstimateWbgt', 'estimator');
    await select(page, '#estPlace', 'Adelaide, SA');
    fake.set(kForecastPath, url => ({ status: 200, delayMs: 800, body: currentWeather(url, 'Australia/Adelaide', 1796700000) }));
    await page.click('#estFetch');
    await select(page, '#estPlace', 'Denver, CO');
    assert.equal(await text(page, '#estWeatherNote'), 'The place changed: "Get the Weather Now" fetches its weather.');
    await new Promise(resolve => setTimeout(resolve, 1200)); // past the answer for Adelaide
    assert.deepEqual(await page.evaluate(() => ['estAir', 'estHumidity', 'estSky'].map(id => document.getElementById(id).value)),
                     ['90', '50', 'Clear sky'], 'nothing of Adelaide\'s weather in Denver\'s fields');
    // Coordinates typed while it is on its way: the same.
    await select(page, '#estPlace', 'Another place\u2026');
    await setField(page, '#estLatitude', '-34.93');
    await setField(page, '#estLongitude', '138.6');
    await page.click('#estFetch');
    await setField(page, '#estLatitude', '-33.87');
    assert.equal(await text(page, '#estWeatherNote'), 'The place changed: "Get the Weather Now" fetches its weather.');
    await new Promise(resolve => setTimeout(resolve, 1200));
    assert.equal(await page.$eval('#estAir', e => e.value), '90');
    serveDays();
    await page.close();
});

// The native plan of the fake's answer for the same request, one line an hour.
function nativePlan(url) {
    const run = spawnSync(orvaneEval, ['forecast', ...kNativeAnswers], { input: dayForecast(url, gapAt15), encoding: 'utf8' });
    assert.equal(run.status, 0, run.stderr);
    return run.stdout.trim().split('\n').map(line => JSON.parse(line));
}
function gapAt15(hour, local) {
    if (local === 15)
        hour.wind = null;
}

test('a plan with a gap: every hour as orvane-eval forecast gives it, the gap said once, the event and "use this hour"', async () => {
    serveDays(gapAt15);
    const page = await session.open({ zone: 'Australia/Adelaide' });
    await accept(page);
    await answer(page, kOtherAnswers);
    await openTool(page, '#mnuPlanEventDay', 'planner');
    await select(page, '#cboPlace', 'Adelaide, SA');
    const sent = fake.requests.length;
    await getForecast(page);
    const asked = fake.requests[sent];
    const date = await page.$eval('#dtDate', e => e.value);
    assert.deepEqual(Object.fromEntries(asked.searchParams), {
        latitude: '-34.9300', longitude: '138.6000', hourly: 'temperature_2m,relative_humidity_2m,wind_speed_10m,' +
            'shortwave_radiation_instant,surface_pressure', wind_speed_unit: 'ms', timeformat: 'unixtime', timezone: 'auto',
        start_date: date, end_date: date });
    const native = nativePlan(asked);
    const [times, wbgt, totals] = [await tableColumn(page, 0), await tableColumn(page, 5), await tableColumn(page, 10)];
    assert.equal(times.length, native.length);
    native.forEach((hour, i) => {
        assert.equal(times[i], hour.local.slice(11), `hour ${i}`);
        if (hour.error) {
            assert.equal(wbgt[i], '\u2014');
            assert.equal(hour.error, 'no wind speed in the forecast');
            return;
        }
        assert.ok(Math.abs(Number(wbgt[i].split(' ')[0]) - hour.wbgt_f) <= 0.051, `${times[i]}: ${wbgt[i]} against ${hour.wbgt_f}`);
        assert.equal(totals[i], `${hour.total}, ${hour.band}`, times[i]);
    });
    assert.equal(await text(page, '#lblGaps'), 'One hour without values (\u2014): no wind speed in the forecast (15:00).');
    assert.equal(await page.$eval('#tblHours tbody tr:nth-child(16)', e => e.title), 'No value: no wind speed in the forecast');
    // The chart's line breaks at the gap; every hour at or over the ceiling is marked.
    const chart = await page.$eval('#chtForecast svg', svg => ({
        segments: (svg.querySelector('path').getAttribute('d').match(/M/g) ?? []).length,
        marked: svg.querySelectorAll('polygon').length,
    }));
    const over = native.filter(h => h.ceiling).length;
    assert.ok(over > 0, 'the day reaches the ceiling');
    assert.deepEqual(chart, { segments: 2, marked: over + 1 }, 'and one marker more in the legend');
    // The event, 09:00 to 12:00, with the calculator's outcome at its hottest hour.
    const event = native.filter(h => ['09', '10', '11'].includes(h.local.slice(11, 13)));
    const hottest = event.reduce((a, b) => (b.wbgt_f > a.wbgt_f ? b : a));
    const said = /^The event, 09:00 to 12:00: its hottest hour reaches a WBGT of ([\d.]+) °F \("([^"]+)"\), and the calculator gives \d+, /
        .exec(await text(page, '#lblEvent'));
    assert.ok(said, await text(page, '#lblEvent'));
    assert.ok(Math.abs(Number(said[1]) - hottest.wbgt_f) <= 0.051);
    assert.equal(said[2], hottest.option);
    assert.equal(await page.$$eval('#tblHours tr.in-event', rows => rows.length), 3);

    // "Use This Hour in Question 1": the hour's option, and the record names the forecast.
    await page.click('#tblHours tbody tr:nth-child(14) input');
    await page.click('#cmdUseHour');
    await page.waitForSelector('#calculator:not([hidden])');
    assert.equal(await page.$eval('#cbo_WBGT', e => e.options[e.selectedIndex].text), native[13].option);
    await calculate(page);
    assert.match(await page.$eval('#record', e => e.textContent),
                 new RegExp(`from the weather forecast, Adelaide, SA, ${date} 13:00 \\S+ \\(fetched [^)]+\\): air `));
    serveDays();
    await page.close();
});

test('days the clocks change: 23 hours with no 02:00, and 25 with 01:00 twice, named by their zone', async () => {
    for (const [now, place, date, expected] of [
        ['2026-10-01T00:00:00Z', 'Adelaide, SA', '2026-10-04', { count: 23, names: ['00:00', '01:00', '03:00', '04:00'] }],
        ['2026-10-28T00:00:00Z', 'New York, NY', '2026-11-01', { count: 25, names: ['00:00', '01:00 EDT', '01:00 EST', '02:00'] }],
    ]) {
        const page = await planner({ now });
        await select(page, '#cboPlace', place);
        await setField(page, '#dtDate', date);
        await getForecast(page);
        const times = await tableColumn(page, 0);
        assert.equal(times.length, expected.count, place);
        assert.deepEqual(times.slice(0, 4), expected.names, place);
        assert.equal(new Set(times).size, times.length, `${place}: every hour named apart`);
        assert.match(await text(page, '#lblZone'), /^local time \(/);
        await page.close();
    }
});

test('each failure is the desktop\'s message, and leaves nothing of an earlier plan on screen', async () => {
    const page = await planner();
    await select(page, '#cboPlace', 'Adelaide, SA');
    const cases = [
        ['no network', null, `No network: this computer could not reach ${host} (the browser is offline).`],
        ['a refusal with its reason', { status: 400, phrase: 'Bad Request', body: '{"error":true,"reason":"Cannot initialize ' +
            'WeatherVariable from invalid String value tempeture_2m"}' },
         `The weather service at ${host} answered HTTP 400 (Bad Request): Cannot initialize WeatherVariable from invalid ` +
         'String value tempeture_2m'],
        ['a refusal in a body', { status: 200, body: '{"error":true,"reason":"Parameter \'start_date\' is out of range"}' },
         "The weather service refused the request: Parameter 'start_date' is out of range"],
        ['too many requests', { status: 429, phrase: 'Too Many Requests', body: '{"error":true,"reason":"Minutely API request limit exceeded"}' },
         `The weather service at ${host} has had too many requests from this computer (HTTP 429): try again later. It says: ` +
         'Minutely API request limit exceeded'],
        ['a server error', { status: 502, phrase: 'Bad Gateway', body: '<html>gateway</html>' },
         `The weather service at ${host} answered HTTP 502 (Bad Gateway).`],
        ['not JSON', { status: 200, body: '<html>maintenance</html>' }, /^The weather service's answer is not JSON \(.+\)\.$/],
        ['a wind in km/h', { status: 200, body: forecastBody({ firstUtc: 0, hours: [summerHour(12)] })
            .replace('"wind_speed_10m":"m/s"', '"wind_speed_10m":"km/h"') }, 'The forecast gives wind_speed_10m in "km/h", not m/s.'],
        ['another day', { status: 200, body: forecastBody({ firstUtc: 0, hours: [summerHour(12)] }) },
         /^Time 1 of the forecast lies outside \d{4}-\d\d-\d\d, the day asked for: the forecast was not used\.$/],
        ['over 16 MB', { status: 200, body: ' '.repeat((16 << 20) + 1) }, "The weather service's answer is over 16 MB: it cannot be a forecast."],
    ];
    for (const [what, served, message] of cases) {
        serveDays();
        await getForecast(page);
        assert.ok((await planShown(page)).rows > 0, `${what}: a plan first`);
        if (served)
            fake.set(kForecastPath, served);
        else
            await page.setOfflineMode(true);
        await getForecast(page);
        await page.setOfflineMode(false);
        const problem = await text(page, '#lblProblem');
        if (message instanceof RegExp)
            assert.match(problem, message, what);
        else
            assert.equal(problem, message, what);
        assert.deepEqual(await planShown(page), { rows: 0, chart: 0, sentences: '' }, `${what}: nothing stale`);
        assert.equal(await page.$eval('#cmdGetForecast', e => e.disabled), false, `${what}: it can be tried again`);
    }

    // A slow answer: Cancel ends the wait at once; left alone, the time limit ends it.
    fake.set(kForecastPath, { never: true });
    await page.click('#cmdGetForecast');
    await page.waitForFunction(() => !document.getElementById('cmdCancel').disabled);
    assert.equal(await page.evaluate(() => document.activeElement.id), 'cmdCancel');
    await page.click('#cmdCancel');
    assert.equal(await text(page, '#lblProblem'), 'Cancelled.');
    const started = Date.now();
    await getForecast(page);
    const waited = Date.now() - started;
    assert.equal(await text(page, '#lblProblem'),
                 `No answer from ${host} within 15 s. The service may be busy or the network slow: try again.`);
    assert.ok(waited >= 14500 && waited < 25000, `waited ${waited} ms`);
    serveDays();
    await page.close();
});

test('a date changed while a request is in flight shows the new date\'s plan only', async () => {
    const page = await planner();
    await select(page, '#cboPlace', 'Adelaide, SA');
    const first = await page.$eval('#dtDate', e => e.value);
    const second = addDays(first, 2);
    // Each day's air is its own, so a table tells whose day it shows; the first day's answer is
    // slow to come.
    const airOf = date => (date === first ? 20 : 30);
    fake.set(kForecastPath, url => ({
        status: 200, delayMs: url.searchParams.get('start_date') === first ? 1500 : 0,
        body: dayForecast(url, (hour, local, date) => { hour.air = airOf(date); }),
    }));
    const sent = fake.requests.length;
    await page.click('#cmdGetForecast');
    while (fake.requests.length === sent) // the request is out
        await new Promise(resolve => setTimeout(resolve, 20));
    await setField(page, '#dtDate', second);
    assert.equal(await text(page, '#lblProblem'), 'The date changed: "Get Forecast" fetches its forecast.');
    assert.equal(await page.$eval('#cmdCancel', e => e.disabled), true, 'the request was dropped');
    await new Promise(resolve => setTimeout(resolve, 1800)); // past the first day's answer
    assert.equal(await text(page, '#lblProblem'), 'The date changed: "Get Forecast" fetches its forecast.',
                 'no answer came for the dropped request');
    await getForecast(page);
    await new Promise(resolve => setTimeout(resolve, 2000)); // past the first day's answer
    assert.deepEqual(new Set(await tableColumn(page, 1)), new Set(['86.0']), 'the second day\'s 30 °C only');
    assert.equal(await page.$eval('#lblProblem', e => e.hidden), true);

    // A date put in without the events a picker sends: the answer is held against the fields
    // when it comes, and refused for the other date.
    fake.set(kForecastPath, url => ({ status: 200, delayMs: 500, body: dayForecast(url) }));
    await page.click('#cmdGetForecast');
    await page.$eval('#dtDate', (field, date) => { field.value = date; }, first);
    await page.waitForFunction(() => document.getElementById('cmdCancel').disabled);
    assert.equal(await text(page, '#lblProblem'), 'The forecast that came was for another place or date than the one ' +
                 'now set: "Get Forecast" fetches this one.');
    assert.equal((await planShown(page)).rows, 0);
    serveDays();
    await page.close();
});

test('a long forecast fills the table a batch a frame, in order, and a newer plan stops the older one\'s batches', async () => {
    // The service answers one day; a forecast of four is handed to the planner as if it had
    // come, as a benchmark of sixteen days does.
    const page = await planner();
    await select(page, '#cboPlace', 'Adelaide, SA');
    const date = await page.$eval('#dtDate', e => e.value);
    const zone = 'Australia/Adelaide';
    const first = instantOf(zone, date, 0).utcSeconds;
    const hours = n => Array.from({ length: n }, (_, i) => summerHour(wallClock(zone, first + i * 3600).hour));
    const [long, short] = [forecastBody({ timezone: zone, firstUtc: first, hours: hours(100) }),
                           forecastBody({ timezone: zone, firstUtc: first, hours: hours(24) })];
    const show = (page, bodies) => page.evaluate(async bodies => {
        const { parseForecast } = await import('./weather.js');
        const { Planner } = await import('./planner.js');
        const planner = Planner.opened;
        const busy = [];
        for (const body of bodies) {
            planner.asked = planner.fieldsRequest();
            planner.showForecast(parseForecast(body));
            busy.push(planner.tblHours.hasAttribute('aria-busy'));
        }
        return busy;
    }, bodies);
    const settled = () => page.waitForFunction(() => !document.getElementById('tblHours').hasAttribute('aria-busy'));

    assert.deepEqual(await show(page, [long]), [true], 'the first rows at once, the rest to come');
    await settled();
    // Each clock time comes up on several days, so each is named with its zone as well.
    const times = (await tableColumn(page, 0)).map(time => time.slice(0, 5));
    assert.deepEqual(times, Array.from({ length: 100 }, (_, i) => {
        const c = wallClock(zone, first + i * 3600);
        return `${String(c.hour).padStart(2, '0')}:00`;
    }));
    assert.deepEqual(await page.$$eval('#tblHours input[name="hour"]', inputs => inputs.map(i => Number(i.value))),
                     Array.from({ length: 100 }, (_, i) => i), 'each row names its own hour of the plan');

    // A newer plan while the older's rows are still coming: only the newer's rows stay.
    assert.deepEqual(await show(page, [long, short]), [true, false]);
    await new Promise(resolve => setTimeout(resolve, 500));
    assert.equal((await tableColumn(page, 0)).length, 24);
    // And a changed date while they come leaves no rows at all.
    await show(page, [long]);
    await setField(page, '#dtDate', addDays(date, 1));
    await new Promise(resolve => setTimeout(resolve, 500));
    assert.deepEqual(await planShown(page), { rows: 0, chart: 0, sentences: '' });
    assert.equal(await page.$eval('#tblHours', e => e.hasAttribute('aria-busy')), false);
    await page.close();
});

test('the tools at both sizes: screenshots, nothing sideways, and axe-core finds no violation', async () => {
    const found = [];
    for (const [name, size] of [['phone', kPhone], ['desk', kDesk]]) {
        const page = await session.open({ size, zone: 'Australia/Adelaide' });
        await accept(page);
        await answer(page, kOtherAnswers);
        await openTool(page, '#mnuEstimateWbgt', 'estimator');
        await select(page, '#estPlace', 'Adelaide, SA');
        await page.screenshot({ path: join(shots, `${name}-estimator.png`), fullPage: true });
        found.push(...(await axeViolations(page)).map(v => `${name} estimator: ${v}`));
        await setField(page, '#estHumidity', '120');
        found.push(...(await axeViolations(page)).map(v => `${name} estimator, a field refused: ${v}`));
        await page.screenshot({ path: join(shots, `${name}-estimator-refused.png`), fullPage: true });
        assert.ok(await sidewaysScroll(page) <= 0, `${name}: the estimator scrolls sideways`);
        await page.goBack();
        await openTool(page, '#mnuPlanEventDay', 'planner');
        await select(page, '#cboPlace', 'Adelaide, SA');
        await getForecast(page);
        await page.screenshot({ path: join(shots, `${name}-planner.png`), fullPage: true });
        found.push(...(await axeViolations(page)).map(v => `${name} planner: ${v}`));
        assert.ok(await sidewaysScroll(page) <= 0, `${name}: the planner scrolls sideways`);
        await page.click('#cmdWeatherService');
        await page.waitForSelector('#weatherservice:not([hidden])');
        await page.screenshot({ path: join(shots, `${name}-weather-service.png`), fullPage: true });
        found.push(...(await axeViolations(page)).map(v => `${name} weather service: ${v}`));
        assert.ok(await shown(page, '#txtApiKey'));
        await page.close();
    }
    assert.deepEqual(found, []);
});

test('nothing leaves this machine, and no error on the console', async () => {
    const elsewhere = session.requests.filter(url => !url.startsWith(session.origin + '/') &&
                                                      !url.startsWith(fake.origin + '/') && !url.startsWith('data:'));
    assert.deepEqual(elsewhere, []);
    // The failures caused on purpose are reported by the page, not thrown.
    assert.deepEqual(session.problems.filter(p => !/Failed to load resource|ERR_INTERNET_DISCONNECTED|net::/.test(p)), []);
});
