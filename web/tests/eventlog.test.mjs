// The page's event log in Debian's Chromium: three assessments added to a day (one estimated,
// one a referral) with the event asked for the first time, a reload and still there, one struck
// out with its reason; the CSV the page exports read back by Python's csv module, and taken in by
// the desktop's `orvane-eval log import-csv` into a new log whose export is the page's CSV byte
// for byte, a second import adding nothing, a broken line refused whole with the log's bytes as
// they were; the day report's PDF through pdftotext; a full store and a refused database, each
// keeping the entry in its form; the reminder; screenshots and axe-core at both sizes.

import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync, spawnSync } from 'node:child_process';
import { createHash } from 'node:crypto';
import { mkdtempSync, readFileSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { Session, accept, answer, axeViolations, calculate, choose, kDesk, kExtreme, kModerate, kPhone, orvaneEval,
         select, setField, shots, sidewaysScroll, text } from './browser-session.mjs';

let session;
let work;
const kZone = 'Australia/Adelaide';
const kEvent = { name: '=Fun run, "north"', place: 'Oval, gate 2' };
const kByWbgt = { ...kModerate, Dry_Bulb: undefined };

before(async () => {
    session = await new Session().start();
    work = mkdtempSync(join(tmpdir(), 'orvane-log-'));
});

after(async () => {
    await session?.stop();
    rmSync(work, { recursive: true, force: true });
});

async function waitScreen(page, id) {
    await page.waitForSelector(`#${id}:not([hidden])`);
}

async function dialogOpen(page, id) {
    await page.waitForSelector(`#${id}[open]`);
}

// "Add to Event Log" for the assessment on screen, with the decision and note; the event is asked
// for where the page asks.
async function addToLog(page, decision, note, newEvent = null) {
    await page.click('#mnuAddToEventLog');
    if (newEvent) {
        await dialogOpen(page, 'dlgChooseEvent');
        await setField(page, '#txtEventName', newEvent.name);
        await setField(page, '#txtEventPlace', newEvent.place);
        await page.click('#cmdChooseOk');
    }
    await dialogOpen(page, 'dlgAddEntry');
    await setField(page, '#txtDecision', decision);
    await setField(page, '#txtNote', note);
    await page.click('#cmdAddToLog');
}

async function added(page) {
    await page.waitForFunction(() => document.getElementById('lblStatus').textContent.startsWith('Added to the event log'));
}

async function openLog(page) {
    await page.click('#mnuEventLog');
    await waitScreen(page, 'eventlog');
    await page.waitForFunction(() => document.querySelector('#lstEvents label, #lstEvents p'));
}

const tableRows = page => page.$$eval('#tblEntries tbody tr', rows => rows.map(row =>
    [...row.cells].map(cell => cell.textContent.trim())));

let csvText = null; // the page's export, for the tests after
let calculatedAt = 0; // when the first entry was calculated, by this machine's clock

test('four assessments logged (one estimated, one a referral), the event asked for once; still there after a reload; one struck out', async () => {
    const page = await session.open({ zone: kZone });
    await accept(page);
    // 1: by hand, a new event; the decision and the note as typed, formula marks and all.
    await answer(page, kModerate);
    calculatedAt = Date.now();
    await calculate(page);
    assert.equal(await page.$eval('#mnuAddToEventLog', e => e.disabled), false);
    await addToLog(page, '-extra drinks', 'two\nlines', kEvent);
    await added(page);
    const today = await page.evaluate(() => new Date().toLocaleDateString('en-CA'));
    assert.match(await text(page, '#lblStatus'), new RegExp(`^Added to the event log: =Fun run, "north", ${today}, at \\d\\d:\\d\\d\\. ` +
                 'New assessments go there too\\. (The browser keeps this log|The browser did not grant persistent storage)'));
    // 2: question 1 from the estimator, the event remembered; a higher band.
    await page.click('#cmd_Reset');
    await answer(page, { ...kByWbgt, Surface: 'Asphalt', Venue: 'Outdoors' });
    await page.click('#mnuEstimateWbgt');
    await waitScreen(page, 'estimator');
    await select(page, '#estPlace', 'Adelaide, SA');
    await setField(page, '#estWhen', '2026-01-15T14:00'); // a summer afternoon: >= 86 °F
    await setField(page, '#estAir', '95');
    await page.click('#cmdUseInQuestion1');
    await waitScreen(page, 'calculator');
    await calculate(page);
    await addToLog(page, 'Go ahead with extra precautions', '@check again at noon');
    await added(page);
    // 3: a medical referral, no total.
    await choose(page, 'Medical', kExtreme);
    await calculate(page);
    await addToLog(page, 'Stop', '');
    await added(page);
    // 4: the second's band again, higher than the first's.
    await answer(page, { Medical: 'None', Surface: 'Grass' });
    await calculate(page);
    await addToLog(page, 'Shorten or change the event', '');
    await added(page);
    assert.equal(await page.$eval('#mnuRemind', e => e.disabled), false, 'the reminder is offered once an entry is in');

    // A reload: the page starts afresh, the log is still there.
    await page.reload({ waitUntil: 'load' });
    await accept(page);
    await openLog(page);
    assert.equal(await page.$eval('#lstEvents label', e => e.textContent),
                 `=Fun run, "north"  \u25c0 new assessments${today}, Oval, gate 2 \u2014 4 assessments`);
    const rows = await tableRows(page);
    // A band that rose since the entry before is marked; a referral is neither marked nor
    // compared against.
    assert.deepEqual(rows.map(r => r.slice(2, 4)), [['57', 'MODERATE RISK (56 to 65)'], ['73', 'HIGH RISK (66 to 74)  ▲ rose'],
                                                    ['\u2014', 'medical referral'], ['67', 'HIGH RISK (66 to 74)']]);
    assert.match(rows[1][1], /^WBGT >= 86°F \(estimated \d+\.\d °F\)$/);
    assert.deepEqual(rows.map(r => r[5]), ['-extra drinks', 'Go ahead with extra precautions', 'Stop', 'Shorten or change the event']);
    assert.equal(await page.$$eval('#chtTimeline svg', svgs => svgs.length), 1);

    // The second struck out: a reason is asked for, and the entry stays, marked.
    await page.click('#tblEntries tbody tr:nth-child(2) input');
    await page.click('#cmdStrikeOut');
    await dialogOpen(page, 'dlgStrikeOut');
    assert.match(await text(page, '#lblStrikeQuestion'), /^Why is the assessment of \d\d:\d\d \(total \d+\) struck out\? It stays in the log, marked, and leaves the timeline\.$/);
    await page.click('#cmdStrikeOk');
    assert.equal(await text(page, '#dlgStrikeOut .dialog-problem'), 'An entry is struck out only with a reason: type why.');
    await setField(page, '#txtReason', '=wrong event');
    await page.click('#cmdStrikeOk');
    await page.waitForFunction(() => document.querySelectorAll('#tblEntries tr.struck').length === 1);
    const struck = (await tableRows(page))[1];
    assert.equal(struck[6], 'Struck out: =wrong event. @check again at noon');
    assert.match(await page.$eval('#lstEvents label', e => e.textContent), /3 assessments \(1 struck out\)$/);
    // Struck out, the second is no longer compared against: the fourth's band rose from the first's.
    assert.deepEqual((await tableRows(page)).map(r => r[3]), ['MODERATE RISK (56 to 65)', 'HIGH RISK (66 to 74)',
                                                              'medical referral', 'HIGH RISK (66 to 74)  ▲ rose']);
    assert.equal(await page.$eval('#cmdStrikeOut', e => e.disabled), true, 'struck out once only');
    await page.close();
});

// The page's CSV, downloaded as a person would.
async function exportCsv(page) {
    const folder = mkdtempSync(join(work, 'download-'));
    const cdp = await page.createCDPSession();
    await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: folder });
    await page.click('#cmdExportCsv');
    for (let i = 0; i < 100 && !readdirSync(folder).some(f => f.endsWith('.csv')); ++i)
        await new Promise(resolve => setTimeout(resolve, 50));
    const name = readdirSync(folder).find(f => f.endsWith('.csv'));
    assert.ok(name, 'a CSV was saved');
    return { path: join(folder, name), name };
}

test('Export CSV: the desktop\'s columns and formula guard, read back by Python\'s csv module', async () => {
    const page = await session.open({ zone: kZone });
    await accept(page);
    await openLog(page);
    const { path, name } = await exportCsv(page);
    assert.match(name, /^=Fun run, -north- \d{4}-\d\d-\d\d\.csv$/);
    csvText = readFileSync(path, 'utf8');
    assert.match(await text(page, '#lblLogStatus'), /^Exported: /);
    // The entry's time is the calculation's, to the second, at the device's offset.
    const time = /\r\n[^\r]*?,1,(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\+10:30),/.exec(csvText);
    assert.ok(time, csvText.slice(0, 2000));
    assert.ok(Math.abs(Date.parse(time[1]) - calculatedAt) < 3000, `${time[1]} against ${new Date(calculatedAt).toISOString()}`);
    const check = spawnSync('python3', ['-c', `
import csv, re, sys
raw = open(sys.argv[1], 'rb').read()
assert not raw.startswith(b'\\xef\\xbb\\xbf'), 'no byte order mark'
assert raw.count(b'\\r\\n') == 5 and b'"two\\nlines"' in raw, 'CRLF ends rows, a note keeps its own'
rows = list(csv.reader(open(sys.argv[1], newline='', encoding='utf-8')))
head, body = rows[0], [dict(zip(rows[0], row)) for row in rows[1:]]
assert len(body) == 4 and all(len(row) == len(head) for row in rows)
assert head[:6] == ['Event', 'Place', 'Event date', 'Entry', 'Time', 'Time zone'], head[:6]
assert head[-14:] == ['Question 1 answered by', 'WBGT °F', 'Question 1 worked out from', 'Total', 'Band', 'Band rose',
                      'Medical referral', 'WBGT ceiling', 'Decision', 'Note', 'Program version', 'Struck out',
                      'Reason struck out', 'Time struck out'], head[-14:]
assert '1. Wet Bulb Globe Temperature: points' in head and 'Dry_Bulb' not in ','.join(head)
assert not [f for row in rows for f in row if f and f[0] in '=+-@\\t\\r'], 'a field a spreadsheet would run'
by_hand, estimated, referral, higher = body
assert (by_hand['Event'], by_hand['Place']) == ("'=Fun run, \\"north\\"", 'Oval, gate 2')
assert [r['Entry'] for r in body] == ['1', '2', '3', '4']
assert re.fullmatch(r'\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\+10:30', by_hand['Time']), by_hand['Time']
assert by_hand['Time zone'] == 'Australia/Adelaide'
assert (by_hand['Ordinary Air Temperature*'], by_hand['Ordinary Air Temperature*: points']) == ('86-90.9', '14')
assert (by_hand['Total'], by_hand['Band'], by_hand['Question 1 answered by']) == ('57', '56\\u201365', 'air-temperature')
assert (by_hand['Decision'], by_hand['Note'], by_hand['WBGT ceiling']) == ("'-extra drinks", 'two\\nlines', 'unknown')
assert estimated['Question 1 answered by'] == 'estimated' and re.fullmatch(r'\\d+\\.\\d', estimated['WBGT °F'])
assert estimated['Question 1 worked out from'].startswith('air 95.0 °F, relative humidity 50 %, wind 5.0 mph at 2 m, clear sky; Adelaide, SA, ')
assert (estimated['Struck out'], estimated['Reason struck out'], estimated['Note']) == ('yes', "'=wrong event", "'@check again at noon")
assert re.fullmatch(r'\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\+10:30', estimated['Time struck out'])
assert (referral['Medical referral'], referral['Total'], referral['Band']) == ('yes', '', '')
assert referral["11. Athletes' Other Risky Medical Conditions*: points"] == 'X'
assert all(r['Program version'].endswith(' web') for r in body)
assert [r['Band rose'] for r in body] == ['no', 'no', 'no', 'yes'], 'the struck-out entry is passed over'
assert (higher['Total'], higher['Band'], higher['10. Venue']) == ('67', '66\\u201374', 'Outdoors')
`, path], { encoding: 'utf8' });
    assert.equal(check.status, 0, check.stderr);
    await page.close();
});

const md5 = file => createHash('md5').update(readFileSync(file)).digest('hex');
function log(db, ...args) {
    return spawnSync(orvaneEval, ['log', '--db', db, ...args], { encoding: 'utf8' });
}

test('the round trip: orvane-eval log import-csv takes the page\'s day into a new log, whose export is the same file', async () => {
    assert.ok(csvText, 'the page\'s CSV');
    const file = join(work, 'day.csv');
    writeFileSync(file, csvText);
    const db = join(work, 'new.sqlite');
    const first = log(db, 'import-csv', file);
    assert.equal(first.status, 0, first.stderr);
    assert.deepEqual(JSON.parse(first.stdout), { added: 4, skipped: 0 });
    const events = log(db, 'events').stdout.trim().split('\n').map(line => JSON.parse(line));
    assert.equal(events.length, 1);
    const exported = log(db, 'export-csv', String(events[0].id));
    assert.equal(exported.status, 0, exported.stderr);
    assert.equal(exported.stdout, csvText, 'byte for byte');
    const again = log(db, 'import-csv', file);
    assert.deepEqual(JSON.parse(again.stdout), { added: 0, skipped: 4 });

    // A broken line refuses the whole file, names its line, and leaves the log's bytes as they were.
    const before = md5(db);
    for (const [broken, said] of [[csvText.replace(',57,', ',58,'), /line 2: its total and band/],
                                  [csvText.replace('Indoor no air conditioning', 'Moon'), /line 2: question "10\. Venue" has no option "Moon"/],
                                  [csvText.replace('"two\nlines"', 'two\nlines'), /line \d: it has \d+ fields where the header has \d+/]]) {
        assert.notEqual(broken, csvText);
        writeFileSync(file, broken);
        const refused = log(db, 'import-csv', file);
        assert.equal(refused.status, 1);
        assert.match(refused.stderr, said);
        assert.match(refused.stderr, /Nothing was imported\.$/m);
        assert.equal(md5(db), before);
    }
});

test('the day report: the print stylesheet puts the day on paper, read back from its PDF', async () => {
    const page = await session.open({ zone: kZone });
    await accept(page);
    await openLog(page);
    // The print dialog stays the browser's; the test prints to PDF what it would print.
    await page.evaluate(() => { window.print = () => {}; });
    await page.click('#cmdDayReport');
    assert.equal(await page.evaluate(() => document.documentElement.dataset.print), 'report');
    const pdf = join(shots, 'day-report.pdf');
    writeFileSync(pdf, await page.pdf({ format: 'A4' }));
    const printed = execFileSync('pdftotext', ['-layout', pdf, '-'], { encoding: 'utf8' }).replace(/[ \t]+/g, ' ');
    for (const line of ['Heat illness risk: day report', '=Fun run, "north"', 'Place: Oval, gate 2', 'Responsible person: ____',
                        'Role: ____', 'The day', 'Every assessment', 'Time Temperature Total Band WBGT ceiling Decision Note',
                        '15:', 'MODERATE RISK', 'STRUCK OUT: =wrong', 'medical referral', 'question 1 from air 95.0 °F',
                        'Total score', 'WBGT °F', 'not medical advice'])
        assert.ok(printed.includes(line), `the report lacks "${line}":\n${printed}`);
    assert.ok(!printed.includes('Calculate Total:') && !printed.includes('New Event'), 'the page\'s controls are not printed');
    await page.close();
});

test('a full store and a refused database: said, and what was typed stays in its form', async () => {
    // A browser whose storage for the page is full (Chromium's quota for the origin set to a
    // byte, in a profile of its own): the new event's form keeps what was typed.
    const tight = await session.browser.createBrowserContext();
    const page = await session.open({ context: tight, zone: kZone });
    const cdp = await page.createCDPSession();
    await cdp.send('Storage.overrideQuotaForOrigin', { origin: session.origin, quotaSize: 1 });
    await accept(page);
    await answer(page, kModerate);
    await calculate(page);
    await page.click('#mnuAddToEventLog');
    await dialogOpen(page, 'dlgChooseEvent');
    await setField(page, '#txtEventName', 'Junior tennis');
    await setField(page, '#txtEventPlace', 'Court 3');
    await page.click('#cmdChooseOk');
    await page.waitForFunction(() => !document.querySelector('#dlgChooseEvent .dialog-problem').hidden);
    assert.match(await text(page, '#dlgChooseEvent .dialog-problem'),
                 /^The browser's storage for this page is full, so nothing was written \(.+\)\. Free some space on this device, then try again\.$/);
    assert.deepEqual(await page.evaluate(() => [document.getElementById('dlgChooseEvent').open,
                                                document.getElementById('txtEventName').value,
                                                document.getElementById('txtEventPlace').value]), [true, 'Junior tennis', 'Court 3']);
    // Room again: the same form goes in, and the entry's form follows.
    await cdp.send('Storage.overrideQuotaForOrigin', { origin: session.origin, quotaSize: 0 });
    await page.click('#cmdChooseOk');
    await dialogOpen(page, 'dlgAddEntry');

    // The entry's own write refused as a full disk refuses it: the form keeps the decision and
    // the note, and takes them in once there is room.
    await page.evaluate(() => {
        const add = IDBObjectStore.prototype.add;
        IDBObjectStore.prototype.add = function (...given) {
            if (this.name === 'entries' && document.documentElement.dataset.testFull)
                throw new DOMException('The quota has been exceeded.', 'QuotaExceededError');
            return add.apply(this, given);
        };
        document.documentElement.dataset.testFull = 'yes';
    });
    await setField(page, '#txtDecision', 'Postpone the event');
    await setField(page, '#txtNote', 'the shade tent blew away');
    await page.click('#cmdAddToLog');
    await page.waitForFunction(() => !document.querySelector('#dlgAddEntry .dialog-problem').hidden);
    assert.match(await text(page, '#dlgAddEntry .dialog-problem'), /^The browser's storage for this page is full, so nothing was written \(The quota has been exceeded\.\)\. Free some space on this device, then try again\.\s+The entry was not added\. It stays in this window: "Add to Log" tries again\.$/);
    assert.deepEqual(await page.evaluate(() => [document.getElementById('dlgAddEntry').open,
                                                document.getElementById('txtDecision').value, document.getElementById('txtNote').value]),
                     [true, 'Postpone the event', 'the shade tent blew away']);
    await page.evaluate(() => { delete document.documentElement.dataset.testFull; });
    await page.click('#cmdAddToLog');
    await added(page);
    await openLog(page);
    assert.deepEqual((await tableRows(page)).map(row => row.slice(5)), [['Postpone the event', 'the shade tent blew away']]);
    await tight.close();

    // A browser that keeps no database for the page: the message says so, and the assessment
    // stays on screen to add once it may.
    const refusing = await session.browser.createBrowserContext();
    const bare = await refusing.newPage();
    await bare.evaluateOnNewDocument(() => {
        IDBFactory.prototype.open = () => {
            throw new DOMException('The user denied permission to access the database.', 'SecurityError');
        };
    });
    await bare.goto(`${session.origin}/`, { waitUntil: 'load' });
    await accept(bare);
    await answer(bare, kModerate);
    await calculate(bare);
    await bare.click('#mnuAddToEventLog');
    await dialogOpen(bare, 'message');
    assert.match(await text(bare, '#message-text'), /^The browser refused this page a database, so the event log cannot be kept here \(The user denied permission to access the database\.\)\. .+The assessment was not added\. It stays on screen: "Add to Event Log" tries again\.$/s);
    await bare.click('#message-ok');
    assert.deepEqual([await text(bare, '#txt_Total'), await bare.$eval('#mnuAddToEventLog', e => e.disabled)], ['57', false]);
    await refusing.close();
});

test('the reminder: on the page, and as a notification where allowed; it says it works only while the page is open', async () => {
    const context = session.browser.defaultBrowserContext();
    await context.overridePermissions(session.origin, ['notifications']);
    const page = await session.open({ zone: kZone });
    await accept(page);
    await answer(page, kModerate);
    await calculate(page);
    await addToLog(page, 'Go ahead as planned', '');
    await added(page);
    // A minute lasts 20 ms here.
    await page.evaluate(async () => (await import('./reminder.js')).setMinuteLength(20));
    await page.click('#mnuRemind');
    await dialogOpen(page, 'dlgRemind');
    await page.click('#dlgRemind button[data-answer="15"]');
    await page.waitForFunction(() => document.getElementById('lblStatus').textContent.startsWith('Reminder'));
    assert.match(await text(page, '#lblStatus'), /^Reminder to re-assess at \d\d:\d\d\. It works only while this page is open, and comes as a notification too\.$/);
    await dialogOpen(page, 'message');
    assert.match(await text(page, '#message-text'), /^Time to re-assess =Fun run, "north"\.\s+The last assessment was added to the log at \d\d:\d\d \(total 57\)\.$/);
    const notes = await page.evaluate(async () => (await (await navigator.serviceWorker.getRegistration()).getNotifications())
        .map(n => n.body));
    assert.equal(notes.length, 1);
    assert.match(notes[0], /^Time to re-assess =Fun run/);
    await page.close();
});

test('the log at both sizes: screenshots, nothing sideways, and axe-core finds no violation', async () => {
    const found = [];
    for (const [name, size] of [['phone', kPhone], ['desk', kDesk]]) {
        const page = await session.open({ size, zone: kZone });
        await accept(page);
        await openLog(page);
        await page.click('#tblEntries tbody tr:nth-child(1) input');
        await page.screenshot({ path: join(shots, `${name}-eventlog.png`), fullPage: true });
        // The line above the chart, its legend and the scale's name, has no text over another.
        const crossing = await page.$eval('#chtTimeline svg', svg => {
            const top = svg.querySelector('rect[fill="none"]').getBBox().y;
            const boxes = [...svg.querySelectorAll('text')].map(t => ({ text: t.textContent, box: t.getBBox() }))
                .filter(t => t.box.y + t.box.height <= top + 1);
            return boxes.flatMap((a, i) => boxes.slice(i + 1)
                .filter(b => a.box.x < b.box.x + b.box.width && b.box.x < a.box.x + a.box.width)
                .map(b => `${a.text} / ${b.text}`));
        });
        assert.deepEqual(crossing, [], `${name}: texts over each other above the chart`);
        found.push(...(await axeViolations(page)).map(v => `${name} log: ${v}`));
        assert.ok(await sidewaysScroll(page) <= 0, `${name}: the log scrolls sideways`);
        await page.click('#cmdNewEvent');
        await dialogOpen(page, 'dlgChooseEvent');
        await page.screenshot({ path: join(shots, `${name}-new-event.png`) });
        found.push(...(await axeViolations(page)).map(v => `${name} new event: ${v}`));
        await page.keyboard.press('Escape');
        await page.goBack();
        await answer(page, kModerate);
        await calculate(page);
        await page.click('#mnuAddToEventLog');
        await dialogOpen(page, 'dlgAddEntry');
        await page.screenshot({ path: join(shots, `${name}-add-entry.png`) });
        found.push(...(await axeViolations(page)).map(v => `${name} add entry: ${v}`));
        await page.click('#cmdAddToLog');
        await added(page);
        await page.click('#mnuRemind');
        await dialogOpen(page, 'dlgRemind');
        found.push(...(await axeViolations(page)).map(v => `${name} reminder: ${v}`));
        await page.close();
    }
    assert.deepEqual(found, []);
});

test('nothing leaves this machine, and no error on the console', async () => {
    const elsewhere = session.requests.filter(url => !url.startsWith(session.origin + '/') && !url.startsWith('data:') &&
                                                      !url.startsWith('blob:'));
    assert.deepEqual(elsewhere, []);
    assert.deepEqual(session.problems.filter(p => !/QuotaExceeded|SecurityError|denied permission/.test(p)), []);
});
