// The web edition's first visit, measured in Debian's Chromium with its CPU slowed 4x (as a
// mid-range phone) and a cold cache, from the local server:
//   - what the page fetches before its lists are usable, compressed with gzip -9 and brotli as
//     a web server would send it (the documents load when opened, and the service worker's
//     copies only after the lists are up, so neither counts);
//   - the .wasm alone;
//   - from navigation to the lists usable: the core loaded and the lists built (the page's
//     performance mark; Accept only shows them, and a person reads the conditions first);
//   - from a choice to its points shown: the page's handler and the layout of the points box;
//   - beside them, the same harness loading a page of plain text, since a shared machine's load
//     moves every figure.
// A benchmark, not a test: it prints figures and judges nothing.
//
// Usage: node bench/first-visit.mjs [RUNS]   (after tools/build-web.sh and npm ci in web/)

import { brotliCompressSync, constants, gzipSync } from 'node:zlib';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import os, { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';
import { startServer } from '../serve.mjs';
import { kChromiumArgs, kChromiumPath } from '../chromium.mjs';

const repo = fileURLToPath(new URL('../../', import.meta.url));
const webBuild = process.env.ORVANE_WEB_BUILD ?? join(repo, 'build/web');
const runs = Number(process.argv[2] ?? 5);

const sizes = file => {
    const body = readFileSync(file);
    return {
        raw: body.length,
        gzip: gzipSync(body, { level: 9 }).length,
        brotli: brotliCompressSync(body, { params: { [constants.BROTLI_PARAM_QUALITY]: 11 } }).length,
    };
};

const median = values => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

// The same harness loading a page of plain text: what any page costs here before its own work.
async function baseline(origin) {
    const userData = mkdtempSync(join(tmpdir(), 'orvane-bench-'));
    const browser = await puppeteer.launch({ executablePath: kChromiumPath, headless: true,
                                             userDataDir: userData, args: kChromiumArgs });
    try {
        const page = await browser.newPage();
        const cdp = await page.createCDPSession();
        await cdp.send('Emulation.setCPUThrottlingRate', { rate: 4 });
        await page.goto(`${origin}/docs/Asterisk.txt`, { waitUntil: 'load' });
        return await page.evaluate(() => performance.getEntriesByType('navigation')[0].loadEventEnd);
    } finally {
        await browser.close();
        rmSync(userData, { recursive: true, force: true });
    }
}

async function visit(origin) {
    const userData = mkdtempSync(join(tmpdir(), 'orvane-bench-'));
    const browser = await puppeteer.launch({ executablePath: kChromiumPath,
                                             headless: true, userDataDir: userData, args: kChromiumArgs });
    try {
        const page = await browser.newPage();
        await page.setViewport({ width: 360, height: 740 });
        const cdp = await page.createCDPSession();
        await cdp.send('Emulation.setCPUThrottlingRate', { rate: 4 });
        await page.goto(`${origin}/`, { waitUntil: 'domcontentloaded' });
        await page.waitForFunction(() => performance.getEntriesByName('orvane-lists-ready').length > 0);
        await page.click('#cmdAccept');
        const timing = await page.evaluate(() => {
            const ready = performance.getEntriesByName('orvane-lists-ready')[0].startTime;
            const before = performance.getEntriesByType('resource')
                .filter(entry => entry.responseEnd <= ready)
                .map(entry => new URL(entry.name).pathname);
            return { ready, before };
        });
        // A choice to its points: the page's handler (the core's selection rule) and the layout of
        // the points box, each list in turn, three times. The paint follows in the next frame.
        const choices = await page.evaluate(() => {
            const times = [];
            for (let round = 0; round < 3; ++round)
                for (const list of document.querySelectorAll('#questions select:not(:disabled)')) {
                    const box = document.getElementById(list.id.replace('cbo_', 'txt_'));
                    const start = performance.now();
                    list.selectedIndex = (list.selectedIndex + 1) % list.options.length;
                    list.dispatchEvent(new Event('change'));
                    if (box && box.getBoundingClientRect().width > 0 && box.value === '')
                        throw new Error(`${list.id}: no points shown`);
                    times.push(performance.now() - start);
                }
            return times;
        });
        return { ready: timing.ready, before: ['/', ...timing.before], choices };
    } finally {
        await browser.close();
        rmSync(userData, { recursive: true, force: true });
    }
}

const server = await startServer(webBuild, 0);
const origin = `http://127.0.0.1:${server.address().port}`;
const results = [];
const baselines = [];
for (let i = 0; i < runs; ++i) {
    baselines.push(await baseline(origin));
    results.push(await visit(origin));
}
server.close();

const fetched = [...new Set(results[0].before)];
let total = { raw: 0, gzip: 0, brotli: 0 };
console.log('Fetched before the lists are usable (first visit):');
for (const path of fetched) {
    const file = join(webBuild, decodeURIComponent(path === '/' ? '/index.html' : path));
    const s = sizes(file);
    total = { raw: total.raw + s.raw, gzip: total.gzip + s.gzip, brotli: total.brotli + s.brotli };
    console.log(`  ${path.padEnd(28)} ${String(s.raw).padStart(7)} B  gzip ${String(s.gzip).padStart(6)} B  brotli ${String(s.brotli).padStart(6)} B`);
}
const kb = n => `${(n / 1024).toFixed(1)} KB`;
console.log(`  ${'all'.padEnd(28)} ${kb(total.raw)}  gzip ${kb(total.gzip)}  brotli ${kb(total.brotli)}  (at most 300 KB)`);
const wasm = sizes(join(webBuild, 'orvane-core.wasm'));
console.log(`The .wasm alone: ${kb(wasm.raw)} (${wasm.raw} B), gzip ${kb(wasm.gzip)}, brotli ${kb(wasm.brotli)}`);
const all = results.flatMap(r => r.choices);
const [cores, load] = [os.cpus().length, os.loadavg()[0].toFixed(1)];
console.log(`CPU slowed 4x, cold cache, ${runs} visits on ${cores} cores at a load of ${load} (median, then the slowest):`);
console.log(`  baseline, a page of plain text loaded: ${median(baselines).toFixed(0)} ms, ${Math.max(...baselines).toFixed(0)} ms`);
console.log(`  navigation to the lists built (core loaded): ${median(results.map(r => r.ready)).toFixed(0)} ms, ` +
            `${Math.max(...results.map(r => r.ready)).toFixed(0)} ms  (at most 1000 ms)`);
console.log(`  a choice to its points laid out: ${median(all).toFixed(2)} ms, ${Math.max(...all).toFixed(2)} ms ` +
            `over ${all.length} choices  (under 16 ms)`);
