// The web edition in a real browser: Debian's Chromium, headless, driven by puppeteer-core
// against the built page on a local server. A person's path through it (accept, answer,
// calculate, the advice, the lock and Reset, a referral after a score, the stale mark), every
// document, the printed record read back from its PDF, Copy as text against the desktop's own
// text, a reload with the network off, both screen sizes with their screenshots, axe-core at both,
// and a missing or damaged core or document. Nothing here leaves 127.0.0.1: Chromium's own
// background traffic is switched off, and every request the page makes is checked.
//
// ORVANE_WEB_BUILD names the built page (build/web); CHROMIUM the browser (/usr/bin/chromium);
// ORVANE_WEB_SHOTS where the screenshots go (build/web-test).

import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';
import { startServer } from '../serve.mjs';
import { kChromiumArgs, kChromiumPath } from '../chromium.mjs';

const require = createRequire(import.meta.url);
const repo = fileURLToPath(new URL('../../', import.meta.url));
const webBuild = process.env.ORVANE_WEB_BUILD ?? join(repo, 'build/web');
const shots = process.env.ORVANE_WEB_SHOTS ?? join(repo, 'build/web-test');
const axeSource = readFileSync(require.resolve('axe-core/axe.min.js'), 'utf8');
const fixture = name => readFileSync(new URL(`fixtures/${name}`, import.meta.url), 'utf8');
// The release the project's CMakeLists.txt names, which the record's second line carries.
const version = /project\(\w+ VERSION (\d+\.\d+\.\d+)/.exec(readFileSync(join(repo, 'CMakeLists.txt'), 'utf8'))[1];

const kPhone = { width: 360, height: 740 };
const kDesk = { width: 1366, height: 768 };
const kStale = 'The result shown is for earlier answers. Press "Calculate Total:" to update it.';

// The desktop's assessment of 57 (tst_record's "moderate, 57, air temperature"), by option text.
const kModerate = {
    Dry_Bulb: '86-90.9', Duration: '60 to 120', Intensity: 'Moderate pace throughout',
    Acclimatization: 'Used to warm weather conditions', Ability: 'Good fitness level', Age: '13 to 17',
    Drinks: '15 to 25', Time: '4 pm to sunset', Surface: 'Grass', Venue: 'Indoor no air conditioning',
    Medical: 'None',
};
const kExtreme = 'Extreme: Flu,Diarrhea,Drugs,Alcohol, *';
const kHigh = 'High: Asthma, Diabetes, Pregnancy, *';

let server;
let origin;
let browser;
let userData;
const requests = []; // every address the page asked for, in every test
const problems = []; // console errors and uncaught exceptions

before(async () => {
    server = await startServer(webBuild, 0);
    origin = `http://127.0.0.1:${server.address().port}`;
    userData = mkdtempSync(join(tmpdir(), 'orvane-chromium-'));
    browser = await puppeteer.launch({
        executablePath: kChromiumPath,
        headless: true,
        userDataDir: userData,
        args: kChromiumArgs,
    });
    mkdirSync(shots, { recursive: true });
});

after(async () => {
    await browser?.close();
    server?.close();
    rmSync(userData, { recursive: true, force: true });
});

async function openPage(size = kDesk, context = browser.defaultBrowserContext()) {
    const page = await context.newPage();
    await page.setViewport(size);
    await page.emulateTimezone('UTC');
    page.on('request', request => requests.push(request.url()));
    page.on('console', message => {
        if (message.type() === 'error')
            problems.push(`console: ${message.text()}`);
    });
    page.on('pageerror', error => problems.push(`page: ${error.message}`));
    await page.goto(`${origin}/`, { waitUntil: 'load' });
    return page;
}

async function accept(page) {
    await page.click('#cmdAccept');
    await page.waitForSelector('html[data-core]');
}

async function choose(page, key, text) {
    const index = await page.$eval(`#cbo_${key}`, (list, text) =>
        [...list.options].findIndex(option => option.text === text), text);
    assert.ok(index >= 0, `${key} has no option "${text}"`);
    await page.$eval(`#cbo_${key}`, (list, index) => {
        list.selectedIndex = index;
        list.dispatchEvent(new Event('change', { bubbles: true }));
    }, index);
}

async function answer(page, answers) {
    for (const [key, text] of Object.entries(answers))
        if (text !== undefined)
            await choose(page, key, text);
}

async function calculate(page) {
    // What an earlier calculation showed is marked, so that the wait below is for this one's.
    await page.$$eval('#advice > *', nodes => nodes.forEach(n => n.setAttribute('data-earlier', '')));
    await page.click('#cmd_Calculate');
    await page.waitForFunction(() => {
        const advice = document.getElementById('advice');
        const dialog = document.getElementById('message');
        return dialog.open || advice.querySelector('.rich:not([data-earlier]), .problem:not([data-earlier])') ||
               document.getElementById('txt_Total').value === '';
    });
    // The document arrives after the total: wait until the advice settles.
    await page.waitForFunction(() => !document.getElementById('advice').childElementCount ||
                                     document.querySelector('#advice .rich:not([data-earlier]), ' +
                                                            '#advice .problem:not([data-earlier])'));
}

const text = (page, selector) => page.$eval(selector, e => (e.value ?? e.textContent).trim());
const adviceFirstLine = page => page.$eval('#advice', e => e.innerText.trim().split('\n')[0]);
// The band's document's own first line, its decision, below any ceiling.
const decision = page => page.$eval('#advice .rich > p:not(.ceiling)', e => e.innerText.trim());

test('accept, answer, calculate: the points at once, the total in its band and the advice', async () => {
    const page = await openPage();
    assert.equal(await page.$eval('#conditions', e => e.hidden), false);
    assert.equal(await page.$eval('#calculator', e => e.hidden), true);
    await accept(page);
    assert.equal(await page.evaluate(() => document.activeElement.id), 'cbo_WBGT', 'the first list has the focus');
    // Each list is labelled by its question as the catalogue gives it.
    assert.equal(await page.$eval('#cbo_Time', e => e.labels[0].textContent), '8. Time of event  (DST)');
    await choose(page, 'Dry_Bulb', '86-90.9');
    assert.equal(await text(page, '#txt_Dry_Bulb'), '14', 'the points show on the choice, before Calculate');
    await answer(page, kModerate);
    await calculate(page);
    assert.equal(await text(page, '#txt_Total'), '57');
    assert.equal(await page.$eval('#txt_Total', e => e.className), 'total band-1');
    assert.equal(await decision(page), 'MODERATE RISK (score 56 to 65): go ahead, but with extra precautions.');
    assert.equal(await page.$eval('#advice', e => e.getAttribute('aria-label')), 'Advice');
    assert.equal(await page.$eval('#txt_Total', e => e.labels[0].textContent), 'Total');
    assert.equal(await page.$eval('#mnuPrint', e => e.disabled), false);
    await page.close();
});

test('a missing answer is a message, and the first missing one in the window\'s order', async () => {
    const page = await openPage();
    await accept(page);
    await answer(page, { Duration: '30 to 60' });
    await page.click('#cmd_Calculate');
    await page.waitForSelector('#message[open]');
    assert.equal(await text(page, '#message-text'), 'Please add Temperature data.');
    await page.click('#message-ok');
    await choose(page, 'WBGT', '<73°F');
    await page.click('#cmd_Calculate');
    await page.waitForSelector('#message[open]');
    assert.equal(await text(page, '#message-text'), 'Please add Individual Intensity data.');
    await page.click('#message-ok');
    assert.equal(await text(page, '#txt_Total'), '');
    await page.close();
});

test('the lock between the two ways of question 1, freed by Reset with everything else', async () => {
    const page = await openPage();
    await accept(page);
    await choose(page, 'WBGT', '82-85.9');
    assert.deepEqual(await page.$$eval('#cbo_WBGT, #cbo_Dry_Bulb', lists => lists.map(l => l.disabled)), [false, true]);
    await answer(page, { ...kModerate, Dry_Bulb: undefined });
    await page.click('#cmd_Reset');
    assert.deepEqual(await page.$$eval('#questions select', lists => lists.filter(l => l.disabled || l.selectedIndex !== -1).length), 0);
    assert.deepEqual(await page.$$eval('#calculator output', boxes => boxes.filter(b => b.value !== '').length), 0);
    // The other way now locks the first.
    await choose(page, 'Dry_Bulb', '<75°F');
    assert.deepEqual(await page.$$eval('#cbo_WBGT, #cbo_Dry_Bulb', lists => lists.map(l => l.disabled)), [true, false]);
    await page.close();
});

test('a referral after a score: no total, the medical advice, and the stale mark on a change', async () => {
    const page = await openPage();
    await accept(page);
    await answer(page, kModerate);
    await calculate(page);
    assert.equal(await text(page, '#txt_Total'), '57');
    await choose(page, 'Medical', kExtreme);
    assert.equal(await text(page, '#lblStatus'), kStale);
    assert.match(await page.$eval('#txt_Total', e => e.className), /\bstale\b/);
    assert.equal(await page.$eval('#mnuCopyAsText', e => e.disabled), true, 'no record for earlier answers');
    await calculate(page);
    assert.equal(await text(page, '#txt_Total'), '', 'a referral has no total');
    assert.equal(await text(page, '#lblStatus'), '');
    assert.equal(await adviceFirstLine(page), 'A serious medical condition was chosen, so no score is given:');
    await page.close();
});

test('the WBGT ceiling: first in the advice in the top band\'s ink, after a referral\'s rules, greyed when stale', async () => {
    const page = await openPage();
    await accept(page);
    await answer(page, { WBGT: '>= 86°F', ...kModerate, Dry_Bulb: undefined });
    await calculate(page);
    const ceiling = () => page.$eval('#advice .ceiling', e => [e.textContent, getComputedStyle(e).color,
                                                                e.previousElementSibling?.textContent ?? null]);
    const [line, ink, before] = await ceiling();
    assert.match(line, /^WBGT ceiling, whatever the score: at a WBGT of 86 °F or above, /);
    assert.equal(ink, 'rgb(192, 0, 0)');
    assert.equal(before, null, 'the ceiling comes first');
    assert.ok((await adviceFirstLine(page)).startsWith('WBGT ceiling'));
    await choose(page, 'Age', 'Over 40');
    assert.equal((await ceiling())[1], 'rgb(118, 118, 118)', 'greyed with the stale total');
    await choose(page, 'Medical', kHigh);
    await calculate(page);
    const [, referralInk, afterLine] = await ceiling();
    assert.equal(referralInk, 'rgb(192, 0, 0)');
    assert.match(afterLine, /^•\tChronic illness/, 'after the referral\'s decision and its rules');
    // The air temperature cannot tell the WBGT: at its hot options the ceiling is not known.
    await page.click('#cmd_Reset');
    await answer(page, { ...kModerate, Dry_Bulb: '>= 91°F' });
    await calculate(page);
    assert.match((await ceiling())[0], /^WBGT ceiling: not known\./);
    await page.click('#cmd_Reset');
    await answer(page, { ...kModerate, Dry_Bulb: '<75°F' });
    await calculate(page);
    assert.equal(await page.$('#advice .ceiling'), null, 'no ceiling where none applies');
    await page.close();
});

test('each document opens, and the viewer\'s links lead where the desktop\'s do', async () => {
    const page = await openPage();
    await page.click('#cmdDisclaimer');
    await page.waitForSelector('#about-document .rich');
    assert.match(await text(page, '#about-version'), /^Solvane Calculator °F, Version \d+\.\d+$/);
    assert.ok((await text(page, '#about-document')).length > 200);
    await page.goBack(); // the browser's Back is the page's Back
    assert.equal(await page.$eval('#conditions', e => e.hidden), false);
    await accept(page);
    for (const [button, first] of [['#cmd_asterisk', 'The items marked with a star (*)'],
                                   ['#cmd_RIR_Guidelines', null]]) {
        await page.click(button);
        await page.waitForSelector('#viewer-document .rich');
        const shown = await page.$eval('#viewer-document', e => e.innerText.trim().split('\n')[0]);
        if (first)
            assert.equal(shown, first);
        else
            assert.ok(shown.length > 10);
        await page.click('#cmdBackfromReadme');
        assert.equal(await page.$eval('#calculator', e => e.hidden), false);
    }
    // Every band's document and the referral's, through the calculator.
    for (const [answers, first] of [
        [{ ...kModerate, Dry_Bulb: '<75°F', Intensity: 'Easy pace throughout' }, 'LOW RISK'],
        [{ ...kModerate, Surface: 'Asphalt', Venue: 'Outdoors', Dry_Bulb: '>= 91°F' }, 'HIGH RISK'],
        [{ ...kModerate, Surface: 'Asphalt', Venue: 'Outdoors', Dry_Bulb: '>= 91°F', Time: '12 noon to 4 pm' }, 'EXTREME RISK'],
    ]) {
        await answer(page, answers);
        await calculate(page);
        assert.ok((await decision(page)).startsWith(first), `${first}: ${await decision(page)}`);
    }
    const links = await page.$$eval('#viewer a', anchors => anchors.map(a => [a.id, a.getAttribute('href')]));
    assert.deepEqual(links, [['cmdURL', 'docs/Estimated%20Wet%20Bulb%20Globe%20Temperatures.htm'],
                             ['cmd_Tarvix', 'http://tarvix.example.org'], ['cmd_RIR_SA', 'http://rir-sa.example.org/'],
                             ['cmd_BOM', 'http://www.bom.gov.au/products/IDS65004.shtml']]);
    // The page of estimated WBGT is shipped as it is; its links to other sites are not followed.
    const wbgt = await browser.newPage();
    await wbgt.goto(`${origin}/docs/Estimated%20Wet%20Bulb%20Globe%20Temperatures.htm`);
    assert.equal(await wbgt.$eval('h1', e => e.textContent), 'Estimated Wet Bulb Globe Temperatures (°F)');
    await wbgt.close();
    await page.close();
});

test('the printed record holds the answers, total and advice; Copy as text is the desktop\'s', async () => {
    const context = browser.defaultBrowserContext();
    await context.overridePermissions(origin, ['clipboard-read', 'clipboard-write', 'clipboard-sanitized-write']);
    const page = await openPage();
    await accept(page);
    const byWbgt = { ...kModerate, Dry_Bulb: undefined };
    const cases = [[kModerate, 'record-moderate-air-temperature.txt'],
                   [{ ...kModerate, Medical: kExtreme, Other: 'Water freely available at venue?' }, 'record-referral.txt'],
                   [{ WBGT: '>= 86°F', ...byWbgt }, 'record-wbgt-ceiling.txt'],
                   [{ WBGT: '82-85.9', ...byWbgt, Medical: kHigh }, 'record-referral-with-ceiling.txt']];
    for (const [answers, expected] of cases) {
        await page.click('#cmd_Reset');
        await answer(page, answers);
        await calculate(page);
        await page.click('#mnuCopyAsText');
        await page.waitForFunction(() => document.getElementById('lblStatus').textContent !== '');
        const copied = await page.evaluate(() => navigator.clipboard.readText());
        const calculated = /^Calculated: (\d{4}-\d\d-\d\d \d\d:\d\d UTC\+00:00)$/m.exec(copied);
        assert.ok(calculated, copied.slice(0, 200));
        assert.equal(copied, fixture(expected).replace('{version}', version).replace('{calculated}', calculated[1]));
    }
    await page.click('#cmd_Reset');
    await answer(page, kModerate);
    await calculate(page);
    const pdf = join(shots, 'record.pdf');
    writeFileSync(pdf, await page.pdf({ format: 'A4' }));
    const printed = execFileSync('pdftotext', ['-layout', pdf, '-'], { encoding: 'utf8' }).replace(/[ \t]+/g, ' ');
    for (const line of ['Heat illness risk assessment', 'Decision taken: ____', 'Signature: ____',
                        'Ordinary Air Temperature* 86-90.9 14', '8. Time of event (DST) 4 pm to sunset 5',
                        '1. Wet Bulb Globe Temperature not used', 'Total: 57', 'What to do',
                        'MODERATE RISK (score 56 to 65)', 'not medical advice'])
        assert.ok(printed.includes(line), `the PDF lacks "${line}":\n${printed}`);
    for (const option of Object.values(kModerate))
        assert.ok(printed.includes(option), `the PDF lacks the answer "${option}"`);
    assert.ok(!printed.includes('Calculate Total:'), 'the page\'s controls are not printed');
    await page.close();
});

test('with the network off and the server gone, a reload still calculates and opens the documents', async () => {
    // A server of its own, stopped halfway: the page must then come from the worker's store alone
    // (Chromium's offline emulation does not reach a service worker's own requests).
    const own = await startServer(webBuild, 0);
    const page = await browser.newPage();
    await page.setViewport(kPhone);
    page.on('request', request => requests.push(request.url().replace(/^http:\/\/127\.0\.0\.1:\d+/, origin)));
    await page.goto(`http://127.0.0.1:${own.address().port}/`, { waitUntil: 'load' });
    await page.evaluate(() => navigator.serviceWorker.ready);
    await page.reload({ waitUntil: 'load' }); // now under the worker's control
    assert.ok(await page.evaluate(() => navigator.serviceWorker.controller !== null));
    await new Promise(resolve => { own.close(resolve); own.closeAllConnections(); });
    await page.setOfflineMode(true);
    await page.reload({ waitUntil: 'load' });
    await accept(page);
    assert.equal(await page.evaluate(() => document.documentElement.dataset.core), 'ready');
    await answer(page, kModerate);
    await calculate(page);
    assert.equal(await text(page, '#txt_Total'), '57');
    assert.ok((await decision(page)).startsWith('MODERATE RISK'));
    await page.click('#mnuCopyAsText'); // the record's text comes from the store too
    await page.click('#cmd_asterisk');
    await page.waitForSelector('#viewer-document .rich');
    await page.close();
});

test('both screens: nothing sideways on a phone, targets a thumb can hit, and screenshots', async () => {
    for (const [name, size] of [['phone', kPhone], ['desk', kDesk]]) {
        const page = await openPage(size);
        await page.screenshot({ path: join(shots, `${name}-conditions.png`) });
        await accept(page);
        await answer(page, kModerate);
        await calculate(page);
        await page.screenshot({ path: join(shots, `${name}-calculator.png`), fullPage: true });
        const overflow = await page.evaluate(() => document.documentElement.scrollWidth - window.innerWidth);
        assert.ok(overflow <= 0, `${name}: ${overflow} px of sideways scrolling`);
        const small = await page.$$eval('#calculator select, #calculator button, #calculator output', controls =>
            controls.filter(c => c.getBoundingClientRect().height < 44 || c.getBoundingClientRect().width < 44)
                .map(c => c.id));
        assert.deepEqual(small, [], `${name}: controls smaller than 44 px`);
        await page.click('#cmd_RIR_Guidelines');
        await page.waitForSelector('#viewer-document .rich');
        await page.screenshot({ path: join(shots, `${name}-viewer.png`) });
        // Under a dark theme the page turns dark, and the document stays on white paper.
        await page.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: 'dark' }]);
        const colours = await page.evaluate(() => [getComputedStyle(document.body).backgroundColor,
                                                   getComputedStyle(document.getElementById('viewer-document')).backgroundColor,
                                                   getComputedStyle(document.querySelector('#viewer-document p')).color]);
        assert.deepEqual(colours, ['rgb(29, 31, 33)', 'rgb(255, 255, 255)', 'rgb(0, 0, 0)'], name);
        await page.screenshot({ path: join(shots, `${name}-viewer-dark.png`) });
        await page.close();
    }
});

async function axeViolations(page) {
    await page.evaluate(axeSource);
    return page.evaluate(async () => {
        const result = await window.axe.run(document, { resultTypes: ['violations'] });
        return result.violations.map(v => `${v.id}: ${v.nodes.map(n => n.target.join(' ')).join(', ')}`);
    });
}

test('axe-core finds no violation on any screen, at either size', async () => {
    for (const size of [kPhone, kDesk]) {
        const page = await openPage(size);
        const found = [];
        found.push(...(await axeViolations(page)).map(v => `conditions: ${v}`));
        await accept(page);
        await answer(page, kModerate);
        await calculate(page);
        await choose(page, 'Age', 'Over 40'); // the stale mark too
        found.push(...(await axeViolations(page)).map(v => `calculator: ${v}`));
        await page.click('#cmd_asterisk');
        await page.waitForSelector('#viewer-document .rich');
        found.push(...(await axeViolations(page)).map(v => `viewer: ${v}`));
        await page.click('#cmdBackfromReadme');
        await page.click('#mnuAbout');
        await page.waitForSelector('#about-document .rich');
        found.push(...(await axeViolations(page)).map(v => `about: ${v}`));
        assert.deepEqual(found, [], `${size.width}×${size.height}`);
        await page.close();
    }
});

// A page whose requests for some files are answered by the test: missing or damaged.
async function pageWith(answers) {
    const context = await browser.createBrowserContext(); // no cache of the others
    const page = await context.newPage();
    await page.setViewport(kDesk);
    // The service worker would answer from its store, where the test cannot reach.
    await page.setBypassServiceWorker(true);
    await page.setRequestInterception(true);
    page.on('request', request => {
        const name = decodeURIComponent(new URL(request.url()).pathname.split('/').pop());
        const answer = answers[name];
        if (answer)
            request.respond(answer);
        else
            request.continue();
    });
    await page.goto(`${origin}/`, { waitUntil: 'load' });
    return { page, context };
}

test('a missing or damaged core, or document, is a message in the page, never a blank one', async () => {
    const missing = { status: 404, contentType: 'text/plain', body: 'Not found' };
    for (const [answer, expected] of [[missing, /core \(orvane-core\.wasm\) is missing: the server answered 404/],
                                      [{ status: 200, contentType: 'application/wasm', body: 'not a wasm file' },
                                       /core \(orvane-core\.wasm\) is damaged/]]) {
        const { page, context } = await pageWith({ 'orvane-core.wasm': answer });
        await accept(page);
        assert.equal(await page.evaluate(() => document.documentElement.dataset.core), 'failed');
        assert.match(await text(page, '#core-problem'), expected);
        assert.equal(await page.$eval('#core-problem', e => e.hidden), false);
        await context.close();
    }
    const page404 = await pageWith({ 'Asterisk.html': missing,
                                     'Risk Score 56-65 recommendation.html': { status: 200, contentType: 'text/html',
                                                                               body: '<div class="rich"><p>cut sho' } });
    const { page, context } = page404;
    await accept(page);
    await page.click('#cmd_asterisk');
    await page.waitForSelector('#viewer-document .problem');
    assert.match(await text(page, '#viewer-document'),
                 /^The document "Asterisk.rtf" cannot be shown: the server answered 404/);
    await page.click('#cmdBackfromReadme');
    await answer(page, kModerate);
    await calculate(page);
    assert.equal(await text(page, '#txt_Total'), '57');
    assert.match(await text(page, '#advice'), /"Risk Score 56-65 recommendation.rtf" cannot be shown: the file is damaged/);
    assert.equal(await page.$eval('#mnuPrint', e => e.disabled), true, 'no record without its advice');
    await context.close();
});

test('a key other than Tab, Space or Enter on the conditions of use leaves; Decline leaves', async () => {
    const page = await openPage();
    await page.keyboard.press('Tab');
    assert.equal(await page.$eval('#conditions', e => e.hidden), false, 'Tab only moves the focus');
    await page.keyboard.press('x');
    assert.equal(await page.$eval('#closed', e => e.hidden), false);
    await page.click('#cmdStartAgain');
    await page.waitForSelector('#conditions:not([hidden])');
    await page.click('#cmdDecline');
    assert.equal(await page.$eval('#closed', e => e.hidden), false);
    await page.close();
});

test('nothing leaves this machine, no cookie, no error on the console', async () => {
    const elsewhere = requests.filter(url => !url.startsWith(origin + '/') && !url.startsWith('data:'));
    assert.deepEqual(elsewhere, []);
    const page = await openPage();
    assert.equal(await page.evaluate(() => document.cookie), '');
    assert.deepEqual(await page.cookies(), []);
    await page.close();
    // The failures the previous test caused on purpose are reported by the page, not thrown.
    assert.deepEqual(problems.filter(p => !/404|Failed to load resource|wasm|damaged/.test(p)), []);
});
