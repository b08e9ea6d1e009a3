// The web edition's core gives the desktop's results: the very .wasm the page loads, run in
// Node, against the native `orvane-eval` built from the same sources by g++. The catalogue
// texts, every option's points, every referral, a seeded sample of 200,000 whole assessments
// (each points text, total, band and document), texts only a direct caller writes, and the WBGT
// model on the estimator's cases to 1e-9 °C, and a forecast's plan hour by hour.
//
// ORVANE_WEB_BUILD names the built page (build/web), ORVANE_EVAL the native orvane-eval.

import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync, spawnSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { importBuilt } from './built-module.mjs';

const repo = fileURLToPath(new URL('../../', import.meta.url));
const webBuild = process.env.ORVANE_WEB_BUILD ?? join(repo, 'build/web');
const orvaneEval = process.env.ORVANE_EVAL ?? join(repo, 'build/default/bin/orvane-eval');

const { default: createOrvaneCore } = await importBuilt(webBuild, 'orvane-core.js');
const { CorePlanner } = await importBuilt(webBuild, 'core-plan.js');
const core = await createOrvaneCore({ wasmBinary: readFileSync(join(webBuild, 'orvane-core.wasm')) });
const catalogue = core.catalogue();
const boxKeys = core.boxKeys();
const factor = key => catalogue.find(f => f.key === key);

function native(args, input = '') {
    const run = spawnSync(orvaneEval, args, { input, encoding: 'utf8', maxBuffer: 1 << 30 });
    if (run.error)
        throw run.error;
    return { status: run.status, lines: run.stdout.split('\n').filter(Boolean), stderr: run.stderr };
}

// Box texts of many assessments, evaluated natively in one run: one JSON outcome each.
function nativeOutcomes(groups) {
    const input = groups.map(texts => texts.join('\n') + '\n').join('');
    const { status, lines, stderr } = native(['evaluate'], input);
    assert.equal(status, 0, stderr);
    assert.equal(lines.length, groups.length);
    return lines.map(line => JSON.parse(line));
}

// The web outcome in the native line's shape: what the two must agree on.
function webOutcome(texts) {
    const o = core.evaluate(texts);
    const ceiling = o.ceiling ? { ceiling: o.ceiling.name, ceiling_unknown: o.ceiling.unknown } : {};
    if (o.outcome === 'Scored')
        return { outcome: o.outcome, total: o.total, display: o.display, document: o.document, ...ceiling };
    if (o.outcome === 'MedicalReferral')
        return { outcome: o.outcome, document: o.document, ...ceiling };
    return o;
}

// The page's own call, the assessment from the answers, in the same shape.
function assessedOutcome(choices) {
    const answers = catalogue.map(f => {
        const index = choices[f.key] ?? -1;
        const option = index >= 0 ? f.options[index].text : '';
        const effect = index >= 0 ? core.selectionRule(f.key, index, option) : null;
        return { key: f.key, option, points: effect?.pointsBoxKey ? effect.points : '', source: { kind: 'ByHand' } };
    });
    const a = core.assess(answers);
    if (a.outcome === 'MissingAnswer')
        return a;
    const ceiling = { ceiling: a.ceiling.name, ceiling_unknown: a.ceiling.unknown };
    if (a.referral)
        return { outcome: 'MedicalReferral', document: a.document, ...ceiling };
    return { outcome: 'Scored', total: a.total, document: a.document, ...ceiling };
}

function compareAll(groups, what) {
    const expected = nativeOutcomes(groups);
    let checked = 0;
    groups.forEach((texts, i) => {
        const actual = webOutcome(texts);
        // One message for the first difference, with the texts that gave it.
        if (JSON.stringify(actual) !== JSON.stringify(expected[i]))
            assert.deepEqual(actual, expected[i], `${what} #${i}: ${JSON.stringify(texts)}`);
        ++checked;
    });
    return checked;
}

// Points boxes as the page fills them: each answer given as an option index (or -1 for none)
// through the core's selection rule, the page's only way of writing a box.
function boxTextsFor(choices) {
    const boxes = Object.fromEntries(boxKeys.map(key => [key, '']));
    for (const [key, index] of Object.entries(choices)) {
        if (index < 0)
            continue;
        const effect = core.selectionRule(key, index, factor(key).options[index].text);
        if (effect.pointsBoxKey !== null)
            boxes[effect.pointsBoxKey] = effect.points;
    }
    return boxKeys.map(key => boxes[key]);
}

// Every scored question answered at its middle option, air temperature for question 1.
function middleChoices() {
    const choices = {};
    for (const f of catalogue)
        if (f.scored && f.key !== 'WBGT')
            choices[f.key] = Math.floor((f.options.length - 1) / 2);
    choices.Medical = 0; // "None": the others are referrals, tested on their own
    return choices;
}

test('the catalogue is the native one, text for text', () => {
    const { lines } = native(['catalogue']);
    const expected = JSON.parse(lines.join('\n'));
    assert.deepEqual(catalogue.map(f => ({ key: f.key, label: f.label, options: f.options,
                                          message: f.missingAnswerMessage })), expected);
    assert.deepEqual(boxKeys, ['Dry_Bulb', 'WBGT', 'Duration', 'Intensity', 'Acclimatization', 'Ability',
                               'Age', 'Drinks', 'Time', 'Surface', 'Venue', 'Medical']);
});

test('every option writes the points the native core gives it', () => {
    for (const f of catalogue) {
        f.options.forEach((option, index) => {
            const effect = core.selectionRule(f.key, index, option.text);
            const { status, lines } = native(['outcome', f.key, option.text]);
            if (!f.scored) {
                assert.equal(effect.pointsBoxKey, null, `${f.key}: ${option.text}`);
                return;
            }
            assert.equal(status, 0, `${f.key}: ${option.text}`);
            assert.deepEqual([effect.pointsBoxKey, effect.points], [f.key, lines[0]], `${f.key}: ${option.text}`);
            assert.equal(effect.disableListKey, f.alternativeTo, `${f.key}: ${option.text}`);
        });
    }
});

test('every option, each in an otherwise middle assessment, is evaluated alike', () => {
    const groups = [];
    for (const f of catalogue.filter(f => f.scored))
        f.options.forEach((_, index) => {
            const choices = { ...middleChoices(), [f.key]: index };
            if (f.key === 'WBGT')
                choices.Dry_Bulb = -1;
            groups.push(boxTextsFor(choices));
        });
    assert.ok(compareAll(groups, 'option') >= 50);
});

test('every referral, with each temperature answer and before or after a missing answer', () => {
    const referrals = factor('Medical').options.map((o, i) => [o, i]).filter(([o]) => o.outcome === core.referralMarker());
    assert.equal(referrals.length, 2);
    const groups = [];
    for (const [, medical] of referrals) {
        for (const temperature of ['WBGT', 'Dry_Bulb'])
            for (let t = 0; t < factor(temperature).options.length; ++t) {
                const choices = { ...middleChoices(), Dry_Bulb: -1, [temperature]: t, Medical: medical };
                groups.push(boxTextsFor(choices));
            }
        groups.push(boxTextsFor({ ...middleChoices(), Venue: -1, Medical: medical }));
        groups.push(boxTextsFor({ ...middleChoices(), Dry_Bulb: -1, Medical: medical }));
    }
    const outcomes = groups.map(texts => webOutcome(texts).outcome);
    assert.equal(outcomes.filter(o => o === 'MedicalReferral').length, 16);
    compareAll(groups, 'referral');
});

// mulberry32: a small generator with a fixed seed, so a failure names an assessment that can be
// made again.
function generator(seed) {
    let a = seed >>> 0;
    return () => {
        a = (a + 0x6d2b79f5) >>> 0;
        let t = a;
        t = Math.imul(t ^ (t >>> 15), t | 1);
        t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
        return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
    };
}

test('200,000 seeded whole assessments: every outcome, total, display and document alike', () => {
    const random = generator(33);
    const groups = [];
    const sampled = [];
    for (let n = 0; n < 200_000; ++n) {
        const choices = {};
        for (const f of catalogue.filter(f => f.scored)) {
            // Now and then a question left open, which the page allows until Calculate.
            choices[f.key] = random() < 0.03 ? -1 : Math.floor(random() * f.options.length);
        }
        // Question 1 one way, as the lock has it, and seldom both or neither, as a caller may.
        const way = random();
        if (way < 0.47)
            choices.Dry_Bulb = -1;
        else if (way < 0.94)
            choices.WBGT = -1;
        else if (way < 0.97)
            choices.WBGT = choices.Dry_Bulb = -1;
        groups.push(boxTextsFor(choices));
        sampled.push(choices);
    }
    const kinds = new Set(groups.map(texts => webOutcome(texts).document ?? webOutcome(texts).outcome));
    assert.ok(kinds.size >= 6, `the sample reaches every band, the referral and missing answers: ${[...kinds]}`);
    const ceilings = new Set(groups.map(texts => webOutcome(texts).ceiling ?? String(webOutcome(texts).ceiling_unknown)));
    assert.ok(ceilings.size >= 4, `the sample reaches the ceiling's levels and the unknown one: ${[...ceilings]}`);
    assert.equal(compareAll(groups, 'sample'), 200_000);
    // The page calculates through the assessment: every tenth of the sample again that way.
    const expected = nativeOutcomes(groups.filter((_, i) => i % 10 === 0));
    expected.forEach((line, n) => {
        const choices = sampled[n * 10];
        const native = line.outcome === 'Scored' ? { ...line, total: line.display.trim(), display: undefined } : line;
        delete native.display;
        const actual = assessedOutcome(choices);
        if (JSON.stringify(actual) !== JSON.stringify(native))
            assert.deepEqual(actual, native, `assessment #${n * 10}: ${JSON.stringify(choices)}`);
    });
});

test('texts only a direct caller writes are read alike', () => {
    const odd = [' ', '  7abc', '2.5', '3.5', '-2.5', '1e2', '0x10', '40000', '-40000', '9'.repeat(400),
                 '4\u00ff', '0.1', '1e-400', '1e-310', '4.9e-324', '-1e309', '1.7976931348623159e308',
                 '+5', '.5', '5.', 'e5', '1e', '1e+', '\t\v3', 'nan', 'inf', '0000000000000000000001.5'];
    const groups = [];
    for (const text of odd) {
        groups.push(['', '10', '4', '6', '5', '6', '2', '4', text, '2', '8', '0']); // as Time
        groups.push(boxKeys.map((_, i) => (i === 8 ? '0' : text))); // everywhere else
    }
    compareAll(groups, 'odd text');
    // The stream's failure on a subnormal keeps its value on libc++ too.
    assert.equal(core.readNumber('1e-310'), 1e-310);
    assert.equal(core.readNumber('9'.repeat(400)), Number.MAX_VALUE);
});

// The estimator's cases (tests/tst_wbgt.cpp): Washington DC at solar noon and its variations,
// nights, and each refusal.
function wbgtCases() {
    const hotNoon = { year: 2023, month: 7, day: 15, hour: 17, minute: 8, second: 0, latitude: 38.9,
                      longitude: -77.0, airC: 35, relativeHumidity: 40, windMs: 2, sky: 'Clear' };
    const w = change => ({ ...hotNoon, ...change });
    return [
        hotNoon,
        ...[[20, 50], [40, 90]].map(([airC, relativeHumidity]) => w({ airC, relativeHumidity })),
        w({ solarWm2: 1300 }), w({ shade: true }), w({ relativeHumidity: 20 }),
        w({ solarWm2: 200 }), w({ solarWm2: 800 }), w({ sky: 'Overcast' }), w({ sky: 'PartlyCloudy' }),
        w({ windMs: 6 }), w({ solarWm2: 650, windMs: 0 }), w({ solarWm2: 650, windMs: 0, shade: true }),
        w({ sky: 'Overcast', shade: true }), w({ hour: 5 }), w({ hour: 0, minute: 50 }),
        w({ latitude: 80, month: 12 }), w({ pressureHpa: 990, solarWm2: 800, shade: true }),
        w({ year: 2000, month: 2, day: 29 }), w({ month: 2, day: 29 }), w({ month: 13 }),
        w({ latitude: 90.1 }), w({ longitude: -181 }), w({ airC: 60, relativeHumidity: 5 }),
        w({ airC: 60.5 }), w({ relativeHumidity: 100.5 }), w({ solarWm2: -5 }), w({ pressureHpa: 200 }),
        w({ airC: -30, windMs: 40 }), w({ latitude: -33.87, longitude: 151.21, month: 1, hour: 2 }),
    ];
}

const kNativeField = { Time: 'utc', Latitude: 'lat', Longitude: 'lon', AirTemperature: 'air_c',
                       RelativeHumidity: 'rh', Wind: 'wind_ms', Solar: 'solar_wm2',
                       Pressure: 'pressure_hpa', Convergence: 'no convergence' };

function nativeLine(c) {
    const two = n => String(n).padStart(2, '0');
    const line = { utc: `${c.year}-${two(c.month)}-${two(c.day)}T${two(c.hour)}:${two(c.minute)}:${two(c.second)}Z`,
                   lat: c.latitude, lon: c.longitude, air_c: c.airC, rh: c.relativeHumidity, wind_ms: c.windMs };
    if (c.solarWm2 !== undefined)
        line.solar_wm2 = c.solarWm2;
    else
        line.sky = { Clear: 'clear', PartlyCloudy: 'partly cloudy', Overcast: 'overcast' }[c.sky];
    if (c.shade)
        line.shade = true;
    if (c.pressureHpa !== undefined)
        line.pressure_hpa = c.pressureHpa;
    return JSON.stringify(line);
}

test('the WBGT model on the estimator\'s cases: within 1e-9 °C of the native build', () => {
    const cases = wbgtCases();
    const { lines } = native(['wbgt', '--exact'], cases.map(nativeLine).join('\n') + '\n');
    assert.equal(lines.length, cases.length);
    let estimates = 0;
    cases.forEach((c, i) => {
        const expected = JSON.parse(lines[i]);
        const actual = core.estimateWbgt(c);
        const name = JSON.stringify(c);
        if (expected.error) {
            assert.ok(actual.error, `${name}: the native build refused it (${expected.error})`);
            assert.equal(`${kNativeField[actual.error.field]}: ${actual.error.reason}`, expected.error, name);
            return;
        }
        assert.ok(!actual.error, `${name}: ${JSON.stringify(actual.error)}`);
        for (const [key, nativeKey, tolerance] of [['wbgtC', 'wbgt_c', 1e-9], ['globeC', 'globe_c', 1e-9],
                                                   ['naturalWetBulbC', 'natural_wet_bulb_c', 1e-9],
                                                   ['psychrometricWetBulbC', 'psychrometric_wet_bulb_c', 1e-9],
                                                   ['cosZenith', 'cos_zenith', 1e-12], ['solarWm2', 'solar_wm2', 1e-9]])
            assert.ok(Math.abs(actual[key] - expected[nativeKey]) <= tolerance,
                      `${name}: ${key} ${actual[key]} against ${expected[nativeKey]}`);
        ++estimates;
    });
    assert.ok(estimates >= 18, `estimates compared: ${estimates}`);
});

test('a forecast\'s plan: each hour\'s 2 m wind, WBGT, option and gap as orvane-eval forecast gives them', () => {
    // Two July days at Washington DC, from a cool night to a hot afternoon, with a gap.
    const start = Date.UTC(2023, 6, 15, 0) / 1000;
    const hours = [];
    for (let h = 0; h < 48; ++h) {
        const sun = Math.max(0, Math.sin(((h % 24) - 10) / 14 * Math.PI)) * 900;
        hours.push({ utcSeconds: start + h * 3600, airC: 22 + 12 * Math.max(0, Math.sin(((h % 24) - 11) / 14 * Math.PI)),
                     relativeHumidity: 80 - h % 24 * 1.5, wind10mMs: 0.5 + (h % 7) * 0.9, solarWm2: Math.round(sun),
                     pressureHpa: 1010 + (h % 5) });
    }
    hours[30].wind10mMs = null; // a value the forecast left out
    const answer = { latitude: 38.9, longitude: -77, timezone: 'America/New_York', hourly: {
        time: hours.map(h => h.utcSeconds), temperature_2m: hours.map(h => h.airC),
        relative_humidity_2m: hours.map(h => h.relativeHumidity), wind_speed_10m: hours.map(h => h.wind10mMs),
        shortwave_radiation_instant: hours.map(h => h.solarWm2), surface_pressure: hours.map(h => h.pressureHpa) } };
    const hundredths = x => Math.round(x * 100) / 100 + 0;
    for (const terrain of ['Rural', 'Urban']) {
        const { status, lines } = native(terrain === 'Urban' ? ['forecast', '--urban'] : ['forecast'], JSON.stringify(answer));
        assert.equal(status, 0);
        const plan = new CorePlanner(core).plan({ hours, latitude: 38.9, longitude: -77, terrain });
        assert.equal(lines.length, plan.hours.length);
        let gaps = 0;
        plan.hours.forEach((hour, i) => {
            const expected = JSON.parse(lines[i]);
            if (hour.gap) {
                ++gaps;
                assert.equal(hour.gap.reason, expected.error, `${terrain} hour ${i}`);
                return;
            }
            assert.deepEqual([hundredths(hour.wind2mMs), hundredths(hour.wbgtC), hundredths(hour.wbgtF), hour.optionText, hour.points],
                             [expected.wind_2m_ms, expected.wbgt_c, expected.wbgt_f, expected.option, expected.points],
                             `${terrain} hour ${i}`);
        });
        assert.equal(gaps, 1);
    }
});
