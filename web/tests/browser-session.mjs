// What the browser tests share: Debian's Chromium started headless with a profile of its own and
// none of its own traffic, the built page served on 127.0.0.1, a page opened at a screen size
// with every request and every console error kept, the conditions accepted, answers chosen as a
// click would, a calculation awaited, the clock of a page set to another day, and axe-core.
//
// ORVANE_WEB_BUILD names the built page (build/web); CHROMIUM the browser (/usr/bin/chromium);
// ORVANE_WEB_SHOTS where screenshots and files go (build/web-test).

import assert from 'node:assert/strict';
import { mkdirSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';
import { startServer } from '../serve.mjs';
import { kChromiumArgs, kChromiumPath } from '../chromium.mjs';

const require = createRequire(import.meta.url);
export const repo = fileURLToPath(new URL('../../', import.meta.url));
export const webBuild = process.env.ORVANE_WEB_BUILD ?? join(repo, 'build/web');
export const shots = process.env.ORVANE_WEB_SHOTS ?? join(repo, 'build/web-test');
export const orvaneEval = process.env.ORVANE_EVAL ?? join(repo, 'build/default/bin/orvane-eval');
const axeSource = readFileSync(require.resolve('axe-core/axe.min.js'), 'utf8');

export const kPhone = { width: 360, height: 740 };
export const kDesk = { width: 1366, height: 768 };

// The desktop's assessment of 57 (tst_record's "moderate, 57, air temperature"), by option text.
export const kModerate = {
    Dry_Bulb: '86-90.9', Duration: '60 to 120', Intensity: 'Moderate pace throughout',
    Acclimatization: 'Used to warm weather conditions', Ability: 'Good fitness level', Age: '13 to 17',
    Drinks: '15 to 25', Time: '4 pm to sunset', Surface: 'Grass', Venue: 'Indoor no air conditioning',
    Medical: 'None',
};
export const kExtreme = 'Extreme: Flu,Diarrhea,Drugs,Alcohol, *';

export class Session {
    async start() {
        this.server = await startServer(webBuild, 0);
        this.origin = `http://127.0.0.1:${this.server.address().port}`;
        this.userData = mkdtempSync(join(tmpdir(), 'orvane-chromium-'));
        this.browser = await puppeteer.launch({ executablePath: kChromiumPath, headless: true,
                                                userDataDir: this.userData, args: kChromiumArgs });
        this.requests = []; // every address any page asked for
        this.problems = []; // console errors and uncaught exceptions
        mkdirSync(shots, { recursive: true });
        return this;
    }

    async stop() {
        await this.browser?.close();
        this.server?.close();
        rmSync(this.userData, { recursive: true, force: true });
    }

    // A page at a screen size and time zone; `now` sets its clock to another instant (its
    // timers run as usual), for a day the test needs, such as one with a daylight-saving change.
    async open({ size = kDesk, zone = 'UTC', now = null, context = this.browser.defaultBrowserContext(),
                 path = '/' } = {}) {
        const page = await context.newPage();
        await page.setViewport(size);
        await page.emulateTimezone(zone);
        if (now)
            await page.evaluateOnNewDocument(iso => {
                const Real = Date;
                const shift = Real.parse(iso) - Real.now();
                globalThis.Date = class extends Real {
                    constructor(...given) {
                        super(...(given.length ? given : [Real.now() + shift]));
                    }
                    static now() {
                        return Real.now() + shift;
                    }
                };
            }, now);
        page.on('request', request => this.requests.push(request.url()));
        page.on('console', message => {
            if (message.type() === 'error')
                this.problems.push(`console: ${message.text()}`);
        });
        page.on('pageerror', error => this.problems.push(`page: ${error.message}`));
        await page.goto(`${this.origin}${path}`, { waitUntil: 'load' });
        return page;
    }
}

export async function accept(page) {
    await page.click('#cmdAccept');
    await page.waitForSelector('html[data-core]');
}

export async function choose(page, key, text) {
    const index = await page.$eval(`#cbo_${key}`, (list, text) =>
        [...list.options].findIndex(option => option.text === text), text);
    assert.ok(index >= 0, `${key} has no option "${text}"`);
    await page.$eval(`#cbo_${key}`, (list, index) => {
        list.selectedIndex = index;
        list.dispatchEvent(new Event('change', { bubbles: true }));
    }, index);
}

export async function answer(page, answers) {
    for (const [key, text] of Object.entries(answers))
        if (text !== undefined)
            await choose(page, key, text);
}

export async function calculate(page) {
    await page.click('#cmd_Calculate');
    await page.waitForFunction(() => {
        const advice = document.getElementById('advice');
        return document.getElementById('message').open || advice.querySelector('.rich, .problem');
    });
}

// A field's value set as typing it would, with its input and change events.
export async function setField(page, selector, value) {
    await page.$eval(selector, (field, value) => {
        field.value = value;
        field.dispatchEvent(new Event('input', { bubbles: true }));
        field.dispatchEvent(new Event('change', { bubbles: true }));
    }, value);
}

// A list's option chosen by its text, as a click would.
export async function select(page, selector, text) {
    const found = await page.$eval(selector, (list, text) => {
        const index = [...list.options].findIndex(option => option.text === text);
        if (index < 0)
            return false;
        list.selectedIndex = index;
        list.dispatchEvent(new Event('change', { bubbles: true }));
        return true;
    }, text);
    assert.ok(found, `${selector} has no option "${text}"`);
}

export const text = (page, selector) => page.$eval(selector, e => (e.value ?? e.textContent).trim());
export const shown = (page, selector) => page.$eval(selector, e => !e.hidden && e.getClientRects().length > 0);

export async function axeViolations(page) {
    await page.evaluate(axeSource);
    return page.evaluate(async () => {
        const result = await window.axe.run(document, { resultTypes: ['violations'] });
        return result.violations.map(v => `${v.id}: ${v.nodes.map(n => n.target.join(' ')).join(', ')}`);
    });
}

// No sideways scrolling of the page itself (a table scrolls in its own box).
export async function sidewaysScroll(page) {
    return page.evaluate(() => document.documentElement.scrollWidth - window.innerWidth);
}
