// The event log in the page, as the desktop's EventLogKeeper and Event Log window do: "Add to
// Event Log" files the assessment on screen with the decision taken and a note (asking which
// event the first time, and again when the event is not today's); the Event Log screen shows the
// events, newest first, and for the one chosen its day on a timeline above a table of every
// entry; an entry added by mistake is struck out with a reason, kept and marked; the day goes on
// paper through the print stylesheet and out as the desktop's CSV. The browser is asked to keep
// the log (persistent storage) and its answer is said. When the browser refuses its database or
// its storage is full, the message says so and the entry stays in its form, as typed.

import { drawChart } from './chart.js';
import { askYesNo, runDialog, setDialogProblem } from './dialogs.js';
import { eventCsv } from './event-csv.js';
import { clockAtOffset, clockText, dateText, safeFileName } from './format.js';
import { bandText, ceilingText, entryName, entryTime, rankOf, temperatureText, timelineModel,
         writeDayReport } from './log-view.js';
import { askPersistence, kMaxNoteLength, openLog, persistence, persistenceText } from './log-store.js';
import { kRecordDisclaimer } from './record.js';
import { readSetting, writeSetting } from './settings.js';
import { deviceZone, todayAt } from './zones.js';

const $ = id => document.getElementById(id);
const kNotAdded = '\n\nThe entry was not added. It stays in this window: "Add to Log" tries again.';

export class EventLog {
    // The log made in this page, for the benchmark that times it (web/bench/tools.mjs).
    static opened = null;

    // ui: {showMessage(text), setStatus(text), suggestion() → {place, date}, entryAdded(), showScreen()}
    constructor(core, calculator, version, ui) {
        EventLog.opened = this;
        this.core = core;
        this.calculator = calculator;
        this.version = version;
        this.ui = ui;
        this.catalogue = core.catalogue();
        this.words = {
            bands: core.bands(),
            wbgtOptions: this.catalogue.find(f => f.key === 'WBGT').options.map(o => o.text),
            rules: core.ceilingRules(),
        };
        this.log = null;
        this.currentId = 0; // the event new assessments go to
        this.events = [];
        this.shown = null; // the event shown on the screen
        this.entries = [];
        this.lastAdded = null; // {time "HH:mm", total}
        this.persistence = null;

        $('cmdNewEvent').addEventListener('click', () => this.newEvent());
        $('cmdUseEvent').addEventListener('click', () => this.useShownEvent());
        $('cmdStrikeOut').addEventListener('click', () => this.strikeOut());
        $('cmdExportCsv').addEventListener('click', () => this.exportCsv());
        $('lstEvents').addEventListener('change', () => this.displayEvent(Number($('lstEvents').querySelector('input:checked')?.value)));
        $('tblEntries').addEventListener('change', () => this.updateButtons());
        $('optExisting').addEventListener('change', () => this.updateChooseOk());
        $('optNew').addEventListener('change', () => this.updateChooseOk());
        $('lstChooseEvents').addEventListener('change', () => {
            $('optExisting').checked = true;
            this.updateChooseOk();
        });
        $('txtEventName').addEventListener('input', () => {
            $('optNew').checked = true;
            this.updateChooseOk();
        });
        // A note is a few sentences, not a book: typing and pasting stop at its length.
        $('txtNote').maxLength = kMaxNoteLength;
    }

    // The log, opened on first use; null after saying why it cannot be used.
    async store(addendum = '') {
        if (this.log)
            return this.log;
        try {
            this.log = await openLog();
            const kept = await readSetting('currentEvent');
            if (typeof kept === 'number')
                this.currentId = kept;
            return this.log;
        } catch (error) {
            this.ui.showMessage(error.message + addendum);
            return null;
        }
    }

    eventName(event) {
        return `${event.name}, ${event.date}`;
    }

    async currentEvent() {
        if (this.currentId === 0)
            return null;
        const event = await this.log.event(this.currentId);
        if (!event)
            this.currentId = 0; // gone from this log
        return event;
    }

    async useEvent(id) {
        this.currentId = id;
        try {
            await writeSetting('currentEvent', id);
        } catch {
            // kept for this visit only: the browser keeps no settings for the page
        }
        const event = await this.log.event(id);
        if (event)
            this.ui.setStatus(`New assessments go to ${this.eventName(event)}.`);
    }

    updateChooseOk() {
        $('cmdChooseOk').disabled = $('optExisting').checked ? $('lstChooseEvents').selectedIndex < 0
            : $('txtEventName').value.trim() === '';
    }

    // Asks for the event to add to from now on (an existing one or a new one), or with `newOnly`
    // for a new event alone. Returns its id, or null.
    async chooseEvent(newOnly) {
        const events = newOnly ? [] : await this.log.events();
        const dialog = $('dlgChooseEvent');
        $('dlgChooseEvent-title').textContent = newOnly ? 'New Event' : 'Event for the Log';
        $('dlgChooseEvent-intro').textContent = newOnly ? 'A new event in the log, for its day\'s assessments.'
            : 'Assessments are added to one event. Which is it?';
        const today = todayAt(deviceZone());
        $('lstChooseEvents').replaceChildren(...events.map(event => new Option(
            `${event.name} \u2014 ${event.date}${event.place ? ', ' + event.place : ''}${event.date === today ? ' (today)' : ''}`)));
        $('chooseExisting').hidden = newOnly || events.length === 0;
        $('optNew').parentElement.hidden = newOnly;
        $('chkAddHere').parentElement.hidden = !newOnly;
        $('chkAddHere').checked = false;
        // A new event offers the planner's place and date: usually the day just planned.
        const suggestion = this.ui.suggestion();
        $('txtEventName').value = '';
        $('txtEventPlace').value = suggestion.place;
        $('dtEventDate').value = suggestion.date || today;
        const existing = !newOnly && events.length > 0;
        $('optExisting').checked = existing;
        $('optNew').checked = !existing;
        $('lstChooseEvents').selectedIndex = existing ? 0 : -1;
        setDialogProblem(dialog, '');
        this.updateChooseOk();
        let chosen = null;
        const answer = await runDialog(dialog, {
            focus: existing ? $('lstChooseEvents') : $('txtEventName'),
            accept: async answer => {
                if (answer !== 'ok')
                    return true;
                if ($('optExisting').checked) {
                    chosen = events[$('lstChooseEvents').selectedIndex]?.id ?? null;
                    return chosen !== null;
                }
                try {
                    chosen = await this.log.addEvent({ name: $('txtEventName').value, place: $('txtEventPlace').value,
                                                       date: $('dtEventDate').value });
                    return true;
                } catch (error) {
                    setDialogProblem(dialog, error.message); // the dialog keeps what was typed
                    return false;
                }
            },
        });
        if (answer !== 'ok' || chosen === null)
            return null;
        if (!newOnly || $('chkAddHere').checked)
            await this.useEvent(chosen);
        return chosen;
    }

    // "Add to Event Log": the assessment on screen to the event, with the decision and a note.
    async add() {
        const assessed = this.calculator.currentAssessed();
        if (!assessed)
            return;
        if (!(await this.store('\n\nThe assessment was not added. It stays on screen: "Add to Event Log" tries again.')))
            return;
        let event;
        try {
            event = await this.currentEvent();
            const choose = async () => {
                const id = await this.chooseEvent(false);
                event = id === null ? null : await this.log.event(id);
                return event !== null;
            };
            if (!event && !(await choose()))
                return;
            // An event of another day is most often last week's or next week's: asked, not assumed.
            const today = dateText(clockAtOffset(assessed.at.utcSeconds, assessed.at.offsetSeconds));
            while (event.date !== today) {
                if (await askYesNo(`The event "${event.name}" is on ${event.date}, not today (${today}). Add this assessment to it?`,
                                   'Add to It', 'Choose Another Event\u2026'))
                    break;
                if (!(await choose()))
                    return;
            }
        } catch (error) {
            this.ui.showMessage(error.message + '\n\nThe assessment was not added. It stays on screen: "Add to Event Log" tries again.');
            return;
        }
        const r = assessed.result;
        const dialog = $('dlgAddEntry');
        $('lblAddEvent').textContent = this.eventName(event);
        $('lblAddResult').textContent = r.referral ? 'medical referral, no total' : `total ${r.total}, ${r.band ? r.band.label : ''}`;
        $('txtDecision').value = '';
        $('txtNote').value = '';
        setDialogProblem(dialog, '');
        for (;;) {
            let added = null;
            const answer = await runDialog(dialog, {
                focus: $('txtDecision'),
                accept: async answer => {
                    if (answer !== 'add')
                        return true;
                    const entry = this.entryFor(assessed, event.id);
                    try {
                        added = { id: await this.log.addEntry(entry), entry };
                        return true;
                    } catch (error) {
                        // The dialog keeps what was typed, so nothing is lost and it can be tried again.
                        setDialogProblem(dialog, error.message + kNotAdded);
                        return false;
                    }
                },
            });
            if (answer === 'change') {
                const before = event;
                const id = await this.chooseEvent(false).catch(() => null);
                event = (id !== null && await this.log.event(id)) || before; // the dialog stays with the event it names
                $('lblAddEvent').textContent = this.eventName(event);
                continue;
            }
            if (answer === 'add' && added)
                await this.added(added.entry, event);
            return;
        }
    }

    entryFor(assessed, eventId) {
        const r = assessed.result;
        return {
            eventId, at: { ...assessed.at },
            answers: r.answers.map(a => ({ key: a.key, option: a.option, points: a.points,
                                           source: { kind: a.source.kind, inputs: a.source.inputs ?? '', wbgtF: a.source.wbgtF ?? null } })),
            referral: r.referral, total: r.total, band: r.band, ceiling: r.ceiling, ceilingJudged: true,
            temperatureSource: r.temperatureSource,
            decision: $('txtDecision').value.trim(), note: $('txtNote').value.trim(),
            programVersion: `${this.version} web`,
        };
    }

    // The entry is in the log: said, and the browser asked to keep the log the first time.
    async added(entry, event) {
        if (this.currentId !== event.id)
            await this.useEvent(event.id);
        const time = clockText(clockAtOffset(entry.at.utcSeconds, entry.at.offsetSeconds));
        this.lastAdded = { time, total: entry.referral ? '' : entry.total };
        let status = `Added to the event log: ${this.eventName(event)}, at ${time}. New assessments go there too.`;
        if (this.persistence === null || this.persistence === 'not asked') {
            this.persistence = await askPersistence();
            status += ' ' + persistenceText(this.persistence);
            await writeSetting('persistence', this.persistence).catch(() => {});
        }
        this.ui.setStatus(status);
        this.ui.entryAdded();
        if (!$('eventlog').hidden)
            await this.reload(event.id);
    }

    // The Event Log screen, reading the log afresh.
    async open() {
        if (!(await this.store()))
            return false;
        this.ui.showScreen();
        this.persistence ??= await persistence(await readSetting('persistence'));
        $('lblStorage').textContent = persistenceText(this.persistence);
        await this.reload(this.currentId);
        return true;
    }

    async reload(eventId = this.shown?.id ?? 0) {
        try {
            this.events = await this.log.events();
        } catch (error) {
            $('lblLogStatus').textContent = error.message;
            return;
        }
        const current = this.events.find(e => e.id === this.currentId);
        $('lblCurrent').textContent = current ? `New assessments go to: ${current.name}`
            : 'New assessments go to the event chosen when the first is added.';
        const list = $('lstEvents');
        list.querySelectorAll('label, p').forEach(e => e.remove());
        if (this.events.length === 0)
            list.append(Object.assign(document.createElement('p'), { textContent: 'No events yet.' }));
        for (const e of this.events) {
            // Struck-out entries are counted apart: they are kept, but are not assessments of the day.
            const kept = e.entryCount - e.struckCount;
            let count = `${kept} ${kept === 1 ? 'assessment' : 'assessments'}`;
            if (e.struckCount > 0)
                count += ` (${e.struckCount} struck out)`;
            const label = document.createElement('label');
            const radio = Object.assign(document.createElement('input'), { type: 'radio', name: 'event', value: String(e.id) });
            const name = Object.assign(document.createElement('span'), { className: 'event-name',
                textContent: `${e.name}${e.id === this.currentId ? '  \u25c0 new assessments' : ''}` });
            const detail = Object.assign(document.createElement('span'), { className: 'event-detail',
                textContent: `${e.date}${e.place ? ', ' + e.place : ''} \u2014 ${count}` });
            label.append(radio, name, detail);
            list.append(label);
        }
        const show = this.events.find(e => e.id === eventId) ?? this.events[0] ?? null;
        if (show)
            list.querySelector(`input[value="${show.id}"]`).checked = true;
        await this.displayEvent(show?.id ?? 0);
    }

    async displayEvent(id) {
        this.shown = this.events.find(e => e.id === id) ?? null;
        this.entries = [];
        const body = $('tblEntries').tBodies[0];
        body.replaceChildren();
        if (!this.shown) {
            drawChart($('chtTimeline'), null, '');
            this.updateButtons();
            return;
        }
        try {
            this.entries = await this.log.entries(this.shown.id, text => this.core.readNumber(text));
        } catch (error) {
            $('lblLogStatus').textContent = error.message;
        }
        this.drawDay();
    }

    // The timeline and the table of the day shown.
    drawDay() {
        const event = this.shown;
        drawChart($('chtTimeline'), timelineModel(this.core, this.words, event, this.entries),
                  'Timeline of the totals over the day');
        const body = $('tblEntries').tBodies[0];
        const rows = this.entries.map(e => {
            const row = document.createElement('tr');
            if (e.struck)
                row.className = 'struck';
            let band = bandText(e);
            if (e.bandRose)
                band += '  \u25b2 rose';
            const note = e.struck ? `Struck out: ${e.struck.reason}. ${e.note}`.trim() : e.note;
            const cells = [entryTime(event, e), temperatureText(e), e.referral ? '\u2014' : e.total, band, ceilingText(e),
                           e.decision, note];
            cells.forEach((text, c) => {
                const cell = document.createElement(c === 0 ? 'th' : 'td');
                if (c === 0) {
                    cell.scope = 'row';
                    const label = document.createElement('label');
                    const radio = Object.assign(document.createElement('input'), { type: 'radio', name: 'entry', value: String(e.id) });
                    label.append(radio, ` ${text}`);
                    cell.append(label);
                } else {
                    cell.textContent = text;
                }
                // The band's ink on its shade reads the same under any theme.
                if (c === 3 && rankOf(e) >= 0 && !e.struck)
                    cell.className = `band-${rankOf(e)}`;
                if (c === 3 && e.bandRose)
                    cell.title = 'The band is higher than at the assessment before.';
                if (c === 4 && e.ceiling.shown && !e.struck) {
                    cell.className = 'band-3';
                    cell.title = e.ceiling.text;
                }
                row.append(cell);
            });
            return row;
        });
        body.replaceChildren(...rows);
        this.updateButtons();
    }

    chosenEntry() {
        const radio = $('tblEntries').querySelector('input[name="entry"]:checked');
        return radio ? this.entries.find(e => e.id === Number(radio.value)) ?? null : null;
    }

    updateButtons() {
        const chosen = this.chosenEntry();
        $('cmdStrikeOut').disabled = !chosen || Boolean(chosen.struck);
        $('cmdDayReport').disabled = !this.shown;
        $('cmdExportCsv').disabled = !this.shown;
        $('cmdUseEvent').disabled = !this.shown || this.shown.id === this.currentId;
    }

    async newEvent() {
        try {
            const id = await this.chooseEvent(true);
            if (id !== null)
                await this.reload(id);
        } catch (error) {
            this.ui.showMessage(error.message);
        }
    }

    async useShownEvent() {
        if (!this.shown)
            return;
        await this.useEvent(this.shown.id);
        await this.reload(this.shown.id);
    }

    async strikeOut() {
        const entry = this.chosenEntry();
        if (!entry || entry.struck)
            return;
        const dialog = $('dlgStrikeOut');
        $('lblStrikeQuestion').textContent =
            `Why is ${entryName(entry)} struck out? It stays in the log, marked, and leaves the timeline.`;
        $('txtReason').value = '';
        setDialogProblem(dialog, '');
        const answer = await runDialog(dialog, {
            focus: $('txtReason'),
            accept: async answer => {
                if (answer !== 'ok')
                    return true;
                const reason = $('txtReason').value.trim();
                if (!reason) {
                    // Asked again: a strike-out without its reason is never taken, nor dropped unsaid.
                    setDialogProblem(dialog, 'An entry is struck out only with a reason: type why.');
                    return false;
                }
                try {
                    await this.log.strikeOut(entry.id, reason.slice(0, kMaxNoteLength));
                    return true;
                } catch (error) {
                    setDialogProblem(dialog, error.message);
                    return false;
                }
            },
        });
        if (answer === 'ok')
            await this.reload(this.shown.id);
    }

    // Writes the day report into the print-only article, which the print stylesheet shows alone;
    // returns the name a PDF of it is offered under, or null while no event is shown.
    prepareReport() {
        if (!this.shown)
            return null;
        writeDayReport($('day-report'), this.core, this.words, this.shown, this.entries, kRecordDisclaimer);
        return safeFileName(`Heat risk day report ${this.shown.name} ${this.shown.date}`);
    }

    csv() {
        return this.shown ? eventCsv(this.catalogue, this.shown, this.entries) : '';
    }

    exportCsv() {
        if (!this.shown)
            return;
        const name = safeFileName(`${this.shown.name} ${this.shown.date}.csv`);
        const url = URL.createObjectURL(new Blob([this.csv()], { type: 'text/csv;charset=utf-8' }));
        const link = Object.assign(document.createElement('a'), { href: url, download: name });
        document.body.append(link);
        link.click();
        link.remove();
        setTimeout(() => URL.revokeObjectURL(url), 60000);
        $('lblLogStatus').textContent = `Exported: ${name} (the browser saves it with its downloads).`;
    }

    // What the reminder says of the event and the last assessment.
    async reminderText() {
        let name = 'the event';
        try {
            const event = this.log ? await this.currentEvent() : null;
            if (event)
                name = event.name;
        } catch {
            // the event's name is left out rather than the reminder
        }
        const last = this.lastAdded;
        return `Time to re-assess ${name}.\n\nThe last assessment was added to the log at ` +
            `${last ? last.time : 'an earlier time'}${last?.total ? ` (total ${last.total})` : ''}.`;
    }
}

