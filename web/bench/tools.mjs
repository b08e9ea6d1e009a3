// The event-day tools of the web edition, timed in Debian's Chromium with its CPU slowed 4x (as
// a mid-range phone), from the local server:
//   - a plan of 384 hours (sixteen days, hourly): from the forecast service's answer (its text)
//     to the chart, the sentences and the table's first rows drawn and laid out, then to the
//     table's last row in place (the rest come a batch a frame); then the parts alone: the
//     core's plan, the chart, the table's first rows;
//   - the busiest day of the event log, 50 entries: from the choice of the day to its timeline
//     and table drawn (the database read included), and the drawing alone.
// Each figure is the median of several runs, with the slowest; beside them, the same harness
// loading a page of plain text, since a shared machine's load moves every figure.
// A benchmark, not a test: it prints figures and judges nothing.
//
// Usage: node bench/tools.mjs [RUNS]   (after tools/build-web.sh and npm ci in web/)

import { mkdtempSync, rmSync } from 'node:fs';
import os, { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';
import { startServer } from '../serve.mjs';
import { kChromiumArgs, kChromiumPath } from '../chromium.mjs';
import { forecastBody, summerHour } from '../tests/fake-weather.mjs';
import { instantOf, todayAt, wallClock } from '../src/zones.js';

const repo = fileURLToPath(new URL('../../', import.meta.url));
const webBuild = process.env.ORVANE_WEB_BUILD ?? join(repo, 'build/web');
const runs = Number(process.argv[2] ?? 5);
const kZone = 'Australia/Adelaide';

const median = values => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

async function withPage(origin, work) {
    const userData = mkdtempSync(join(tmpdir(), 'orvane-bench-'));
    const browser = await puppeteer.launch({ executablePath: kChromiumPath, headless: true, userDataDir: userData,
                                             args: kChromiumArgs });
    try {
        const page = await browser.newPage();
        await page.setViewport({ width: 360, height: 740 });
        await page.emulateTimezone(kZone);
        const cdp = await page.createCDPSession();
        await page.goto(`${origin}/`, { waitUntil: 'load' });
        await page.click('#cmdAccept');
        await page.waitForSelector('html[data-core="ready"]');
        return await work(page, rate => cdp.send('Emulation.setCPUThrottlingRate', { rate }));
    } finally {
        await browser.close();
        rmSync(userData, { recursive: true, force: true });
    }
}

// Sixteen days from the place's today, hourly, a summer day's weather each day.
function longForecast() {
    const first = instantOf(kZone, todayAt(kZone), 0).utcSeconds;
    const hours = Array.from({ length: 384 }, (_, i) => summerHour(wallClock(kZone, first + i * 3600).hour));
    hours[100].wind = null; // a gap, as forecasts have
    return forecastBody({ timezone: kZone, firstUtc: first, hours });
}

async function planRun(origin, body) {
    return withPage(origin, async (page, throttle) => {
        await page.click('#mnuPlanEventDay');
        await page.waitForSelector('#planner:not([hidden])');
        await page.$eval('#cboPlace', list => {
            list.selectedIndex = [...list.options].findIndex(o => o.text === 'Adelaide, SA');
            list.dispatchEvent(new Event('change', { bubbles: true }));
        });
        await throttle(4);
        return page.evaluate(async text => {
            const { parseForecast } = await import('./weather.js');
            const { Planner } = await import('./planner.js');
            const { drawChart } = await import('./chart.js');
            const { HourNames, dayChart } = await import('./plan-view.js');
            const planner = Planner.opened;
            planner.asked = planner.fieldsRequest(); // as if this answer were the one asked for
            const frame = () => new Promise(resolve => requestAnimationFrame(() => setTimeout(resolve, 0)));
            await frame();
            const start = performance.now();
            planner.showForecast(parseForecast(text));
            document.querySelector('#chtForecast svg').getBoundingClientRect();
            const laidOut = performance.now() - start;
            await frame();
            const painted = performance.now() - start;
            // The table's later rows, a batch a frame.
            while (planner.tblHours.hasAttribute('aria-busy'))
                await frame();
            const filled = performance.now() - start;
            const rows = planner.tblHours.tBodies[0].rows.length;
            // The parts alone.
            const day = planner.daySpan();
            let t = performance.now();
            planner.computePlan(day);
            const core = performance.now() - t;
            t = performance.now();
            drawChart(planner.chtForecast, dayChart(planner.words, planner.plan, day), 'chart');
            planner.chtForecast.querySelector('svg').getBoundingClientRect();
            const chart = performance.now() - t;
            t = performance.now();
            planner.fillTable(day, new HourNames(planner.plan, planner.zone));
            planner.tblHours.getBoundingClientRect();
            const table = performance.now() - t;
            return { laidOut, painted, filled, core, chart, table, rows };
        }, body);
    });
}

async function logRun(origin) {
    return withPage(origin, async (page, throttle) => {
        // Fifty assessments on one day, every quarter hour from 06:00, some by the estimator,
        // some struck out: written through the page's own log.
        const eventId = await page.evaluate(async () => {
            const { coreLoading } = await import('./core.js');
            const { openLog } = await import('./log-store.js');
            const { core } = await coreLoading;
            const log = await openLog();
            const now = new Date();
            const today = now.toLocaleDateString('en-CA');
            const event = await log.addEvent({ name: 'Busy day', place: 'Oval', date: today });
            const catalogue = core.catalogue();
            let seed = 7;
            const random = n => { seed = (seed * 1103515245 + 12345) % 2147483648; return seed % n; };
            const midnight = new Date(now.getFullYear(), now.getMonth(), now.getDate()).getTime() / 1000;
            for (let i = 0; i < 50; ++i) {
                const answers = catalogue.map(f => {
                    const index = f.key === 'Dry_Bulb' || (f.key === 'Medical' && random(10) > 0) ? (f.key === 'Medical' ? 0 : -1)
                        : random(f.options.length);
                    const option = index >= 0 ? f.options[index].text : '';
                    const effect = index >= 0 ? core.selectionRule(f.key, index, option) : null;
                    const estimated = f.key === 'WBGT' && i % 3 === 0;
                    return { key: f.key, option, points: effect?.pointsBoxKey ? effect.points : '',
                             source: estimated ? { kind: 'Estimated', inputs: 'air 95 °F, relative humidity 50 %', wbgtF: 80 + random(120) / 10 }
                                 : { kind: 'ByHand' } };
                });
                const r = core.assess(answers);
                if (r.outcome === 'MissingAnswer')
                    continue;
                const id = await log.addEntry({
                    eventId: event, at: { utcSeconds: midnight + 6 * 3600 + i * 900, offsetSeconds: -now.getTimezoneOffset() * 60,
                                          zone: Intl.DateTimeFormat().resolvedOptions().timeZone },
                    answers: r.answers, referral: r.referral, total: r.total, band: r.band, ceiling: r.ceiling, ceilingJudged: true,
                    temperatureSource: r.temperatureSource, decision: 'Go ahead with extra precautions',
                    note: `Assessment ${i + 1}: shade tents up, drinks every 20 minutes.`, programVersion: 'bench' });
                if (i % 9 === 4)
                    await log.strikeOut(id, 'entered twice');
            }
            return event;
        });
        await page.click('#mnuEventLog');
        await page.waitForSelector('#eventlog:not([hidden])');
        await page.waitForFunction(() => document.querySelectorAll('#tblEntries tbody tr').length > 0);
        await throttle(4);
        return page.evaluate(async id => {
            const { EventLog } = await import('./eventlog.js');
            const log = EventLog.opened;
            const frame = () => new Promise(resolve => requestAnimationFrame(() => setTimeout(resolve, 0)));
            await log.displayEvent(0);
            await frame();
            const start = performance.now();
            await log.displayEvent(id);
            document.querySelector('#chtTimeline svg').getBoundingClientRect();
            const withRead = performance.now() - start;
            await frame();
            const painted = performance.now() - start;
            const t = performance.now();
            log.drawDay();
            document.querySelector('#tblEntries').getBoundingClientRect();
            const drawn = performance.now() - t;
            return { withRead, painted, drawn, rows: document.querySelectorAll('#tblEntries tbody tr').length };
        }, eventId);
    });
}

async function baseline(origin) {
    return withPage(origin, async (page, throttle) => {
        await throttle(4);
        return page.evaluate(async () => {
            const start = performance.now();
            const response = await fetch('docs/Asterisk.txt');
            const p = document.createElement('pre');
            p.textContent = await response.text();
            document.body.append(p);
            p.getBoundingClientRect();
            return performance.now() - start;
        });
    });
}

const server = await startServer(webBuild, 0);
const origin = `http://127.0.0.1:${server.address().port}`;
const body = longForecast();
const plans = [];
const logs = [];
const baselines = [];
for (let i = 0; i < runs; ++i) {
    baselines.push(await baseline(origin));
    plans.push(await planRun(origin, body));
    logs.push(await logRun(origin));
}
server.close();

const show = (values, unit = 'ms') => `${median(values).toFixed(1)} ${unit}, slowest ${Math.max(...values).toFixed(1)} ${unit}`;
const [cores, load] = [os.cpus().length, os.loadavg()[0].toFixed(1)];
console.log(`CPU slowed 4x, ${runs} runs on ${cores} cores at a load of ${load} (median, then the slowest):`);
console.log(`  baseline, a page of plain text fetched and laid out: ${show(baselines)}`);
console.log(`A plan of ${plans[0].rows} hours (${(body.length / 1024).toFixed(0)} KB answer):`);
console.log(`  answer to the chart and first rows laid out: ${show(plans.map(p => p.laidOut))}  (under 100 ms)`);
console.log(`  answer to the next frame painted:            ${show(plans.map(p => p.painted))}`);
console.log(`  answer to every row in the table:            ${show(plans.map(p => p.filled))}`);
console.log(`  the core's plan alone: ${show(plans.map(p => p.core))}; the chart alone: ${show(plans.map(p => p.chart))}; ` +
            `the first rows alone: ${show(plans.map(p => p.table))}`);
console.log(`The busiest day of the log, ${logs[0].rows} entries:`);
console.log(`  the day chosen to its timeline and table drawn, read included: ${show(logs.map(l => l.withRead))}  (under 50 ms)`);
console.log(`  to the next frame painted:                                    ${show(logs.map(l => l.painted))}`);
console.log(`  the drawing alone:                                            ${show(logs.map(l => l.drawn))}`);
