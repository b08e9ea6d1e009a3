// The calculator screen: a list per question of the core's catalogue with its points beside it,
// the lock between the two ways of answering question 1, Calculate, the total in its band's
// colour, the band's advice (or the medical referral with no total), the stale mark when an
// answer changes after a calculation, Reset, and the record. Every rule is the core's: this file
// only carries out what the selection rule and the evaluation answer, as the desktop's
// frm_solvane_calc.cpp does. The estimator and the planner answer question 1 through the same
// handler as a choice by hand, and the calculator remembers where each answer came from; the
// tools hear of every change of the answers and of question 1's lock through `events`.

import { loadDocument, loadDocumentText, problemElement } from './documents.js';
import { recordText, writeRecord, clearRecord, recordTitle } from './record.js';

// The desktop's second column of questions starts here; only the wide layout uses it.
const kSecondColumnStartsAt = 'Age';

// The desktop's tooltips.
const kChooseHint = 'Click the down arrow, then click best match.';
const kStarHint = 'Click on the * button at the bottom of page for explanation.';
const kLabelHints = {
    WBGT: 'Click on the down arrow to view choices.',
    Dry_Bulb: kStarHint,
    Medical: kStarHint,
    Time: 'DST = "Daylight Saving Time"',
};
const kListHints = { WBGT: kChooseHint, Dry_Bulb: kChooseHint };

export const kStaleText =
    'The result shown is for earlier answers. Press "Calculate Total:" to update it.';

// Puts the ceiling's line into the advice, as the desktop does: first, or for a referral after
// its decision and the rules right under it, which outrank any score. The same place in the
// advice's text lines, for Copy as text. Returns the line's element.
function placeCeiling(node, lines, text, referral) {
    const line = document.createElement('p');
    line.className = 'ceiling';
    line.textContent = text;
    const container = node.querySelector?.('.rich') ?? node;
    const paragraphs = [...container.children].filter(child => child.tagName === 'P');
    let after = -1;
    if (referral && paragraphs.length) {
        after = 0;
        while (after + 1 < paragraphs.length && paragraphs[after + 1].textContent.startsWith('\u2022\t'))
            ++after;
    }
    if (after >= 0)
        paragraphs[after].after(line);
    else
        container.prepend(line);
    let at = 0;
    if (referral && lines.length) {
        at = 1;
        while (at < lines.length && lines[at].startsWith('\u2022\t'))
            ++at;
    }
    lines.splice(at, 0, text);
    return line;
}

const State = Object.freeze({ None: 'none', Current: 'current', Stale: 'stale' });

export class Calculator {
    // core: the bound core; ui: {showMessage(text), copyText(text)}; version: the release.
    constructor(core, ui, version) {
        this.core = core;
        this.ui = ui;
        this.version = version;
        this.factors = core.catalogue();
        this.referralMarker = core.referralMarker();
        this.lists = new Map();
        this.boxes = new Map();
        this.state = State.None;
        this.assessment = null; // what the record holds, while it matches the screen
        this.ceiling = null; // the WBGT ceiling's line in the advice, when one shows
        this.run = 0; // each calculation or reset; an older one's late document is dropped
        this.sources = new Map(); // where each answer came from, when not by hand
        this.assessed = null; // the core's assessment on screen and when it was made, for the log
        this.boxKeys = core.boxKeys();
        // 'answers': an answer changed; 'lock': question 1's lock changed; 'state': a result came,
        // went stale or went.
        this.events = new EventTarget();

        const $ = id => document.getElementById(id);
        this.form = $('questions');
        this.total = $('txt_Total');
        this.status = $('lblStatus');
        this.advice = $('advice');
        this.record = $('record');
        this.printButton = $('mnuPrint');
        this.copyButton = $('mnuCopyAsText');
        this.buildQuestions();
        $('cmd_Calculate').addEventListener('click', () => this.calculate());
        $('cmd_Reset').addEventListener('click', () => this.reset());
        this.printButton.addEventListener('click', () => this.print());
        this.copyButton.addEventListener('click', () => this.copy());
    }

    buildQuestions() {
        const rows = document.createDocumentFragment();
        this.factors.forEach((factor, i) => {
            const row = document.createElement('div');
            row.className = 'question' + (factor.scored ? '' : ' unscored');
            row.id = `row_${factor.key}`;
            if (factor.key === kSecondColumnStartsAt)
                row.classList.add('second-column');

            const label = document.createElement('label');
            label.id = `lbl_${factor.key}`;
            label.htmlFor = `cbo_${factor.key}`;
            label.textContent = factor.label;
            if (kLabelHints[factor.key])
                label.title = kLabelHints[factor.key];

            const list = document.createElement('select');
            list.id = `cbo_${factor.key}`;
            list.name = factor.key;
            if (kListHints[factor.key])
                list.title = kListHints[factor.key];
            for (const option of factor.options)
                list.add(new Option(option.text));
            list.selectedIndex = -1;
            list.addEventListener('change', () => this.choose(factor.key));
            this.lists.set(factor.key, list);
            row.append(label, list);

            if (factor.scored) {
                const box = document.createElement('output');
                box.id = `txt_${factor.key}`;
                box.htmlFor = list.id;
                box.setAttribute('aria-label', `Risk points: ${factor.label}`);
                this.boxes.set(factor.key, box);
                row.append(box);
            }
            rows.append(row);

            // "- OR -" stands between the two ways of asking the same question.
            const next = this.factors[i + 1];
            if (next && factor.alternativeTo === next.key) {
                const or = document.createElement('p');
                or.className = 'or';
                or.textContent = '- OR -';
                rows.append(or);
            }
        });
        this.form.append(rows);
    }

    // A choice by hand or by a tool: the core's selection rule says what changes. `source`
    // says where the answer came from.
    choose(key, source = { kind: 'ByHand' }) {
        const list = this.lists.get(key);
        const index = list.selectedIndex;
        const text = index >= 0 ? list.options[index].text : '';
        const effect = this.core.selectionRule(key, index, text);
        if (effect.pointsBoxKey !== null)
            this.boxes.get(effect.pointsBoxKey).value = effect.points;
        this.sources.set(key, source);
        const wasLocked = this.wbgtLocked();
        if (effect.disableListKey !== null)
            this.lists.get(effect.disableListKey).disabled = true;
        if (this.state === State.Current)
            this.setState(State.Stale);
        this.events.dispatchEvent(new Event('answers'));
        if (this.wbgtLocked() !== wasLocked)
            this.events.dispatchEvent(new Event('lock'));
    }

    // "Use in question 1" from the estimator or the planner: the option chosen as a click would,
    // with what it was worked out from. False where the air temperature has locked question 1.
    useInQuestionOne(option, source) {
        const list = this.lists.get('WBGT');
        if (list.disabled || option < 0 || option >= list.options.length)
            return false;
        list.selectedIndex = option;
        this.choose('WBGT', source);
        return true;
    }

    wbgtLocked() {
        return this.lists.get('WBGT').disabled;
    }

    // The twelve points boxes in the order the core's evaluation reads them.
    boxTexts() {
        return this.boxKeys.map(key => this.boxes.get(key)?.value ?? '');
    }

    // "Calculate Total:": the core assesses the answers; the page shows the total, the advice and
    // the WBGT ceiling, and files the record once the advice is there.
    async calculate() {
        const result = this.core.assess(this.answers());
        if (result.outcome === 'MissingAnswer' || result.outcome === 'Refused') {
            // An answer is missing, so one changed since any earlier result: that one stays stale.
            this.ui.showMessage(result.message);
            return;
        }
        const run = ++this.run;
        const calculated = new Date();
        // The assessment as the event log keeps it: the core's, and when and where it was made.
        this.assessed = { result, at: { utcSeconds: Math.floor(calculated.getTime() / 1000),
                                        offsetSeconds: -calculated.getTimezoneOffset() * 60,
                                        zone: Intl.DateTimeFormat().resolvedOptions().timeZone ?? '' } };
        this.total.className = 'total';
        this.total.title = '';
        if (result.referral) {
            this.total.value = ''; // a referral has no score, so no earlier one may stand beside it
        } else {
            // The box shows the sign's place: a blank before a total that is not negative.
            this.total.value = (result.total.startsWith('-') ? '' : ' ') + result.total;
            if (result.band) {
                this.total.classList.add(`band-${result.band.rank}`);
                this.total.title = result.band.label;
            }
        }
        this.assessment = null;
        this.advice.replaceChildren();
        this.setState(State.Current);

        let loaded = { shown: false, node: document.createDocumentFragment() };
        let lines = [];
        if (result.document !== null) {
            [loaded, lines] = await Promise.all([
                loadDocument(result.document),
                loadDocumentText(result.document).catch(error => error),
            ]);
            if (run !== this.run)
                return; // a later calculation or a reset took over meanwhile
            if (lines instanceof Error) {
                loaded = { shown: false, node: problemElement(lines) };
                lines = [];
            }
            if (!loaded.shown) { // a message in the document's place, as one paragraph of it
                const fragment = document.createDocumentFragment();
                fragment.append(loaded.node);
                loaded.node = fragment;
            }
        }
        // The ceiling is the core's, not the document's: it shows even where a document could not,
        // in its short form, so that the band's decision stays in view below it.
        const ceiling = result.ceiling.shown ? placeCeiling(loaded.node, lines, result.ceiling.summary, result.referral) : null;
        const filed = loaded.node.cloneNode(true); // placing the fragment empties it
        this.advice.replaceChildren(loaded.node);
        this.ceiling = ceiling;
        // The record holds the advice the screen shows; without it there is nothing to file.
        if (loaded.shown) {
            const answers = result.answers.map(answer => {
                const factor = this.factors.find(f => f.key === answer.key);
                return { ...answer, question: factor.label, scored: factor.scored, alternativeTo: factor.alternativeTo };
            });
            this.assessment = { calculated, answers, total: result.referral ? null : result.total,
                                advice: { node: filed, lines } };
            writeRecord(this.record, this.assessment, this.version, this.referralMarker);
            window.document.title = recordTitle(calculated);
        }
        this.setState(this.state);
    }

    // Every question's answer as the core's Assessment takes it, in the window's order.
    answers() {
        return this.factors.map(factor => {
            const list = this.lists.get(factor.key);
            return {
                key: factor.key,
                option: list.selectedIndex >= 0 ? list.options[list.selectedIndex].text : '',
                points: factor.scored ? this.boxes.get(factor.key).value : '',
                // A tool's answer only while its option stands: a list emptied is no one's answer.
                source: list.selectedIndex >= 0 ? this.sources.get(factor.key) ?? { kind: 'ByHand' } : { kind: 'ByHand' },
            };
        });
    }

    setState(state) {
        this.state = state;
        if (state !== State.Current) {
            this.assessment = null;
            this.assessed = null;
            clearRecord(this.record);
            window.document.title = 'Solvane Calculator \u00b0F';
        }
        // A result for earlier answers stays readable, but plainly not the answer to these; the
        // ceiling speaks for the result it came with, and is greyed with the total.
        this.total.classList.toggle('stale', state === State.Stale);
        this.ceiling?.classList.toggle('stale', state === State.Stale);
        this.status.textContent = state === State.Stale ? kStaleText : '';
        const filed = this.currentAssessment() !== null;
        this.printButton.disabled = !filed;
        this.copyButton.disabled = !filed;
        this.events.dispatchEvent(new Event('state'));
    }

    // The assessment on screen, for the event log: {result, at}, or null while none is current.
    currentAssessed() {
        return this.state === State.Current ? this.assessed : null;
    }

    currentAssessment() {
        return this.state === State.Current ? this.assessment : null;
    }

    reset() {
        ++this.run;
        for (const factor of this.factors) {
            this.lists.get(factor.key).disabled = false; // frees whichever way was locked
            if (factor.scored)
                this.boxes.get(factor.key).value = '';
        }
        this.total.value = '';
        this.total.className = 'total';
        this.advice.replaceChildren();
        this.ceiling = null;
        this.sources.clear();
        this.setState(State.None);
        // Emptying a list is no choice: no selection rule runs, and the boxes stay empty.
        for (const list of this.lists.values())
            list.selectedIndex = -1;
        this.events.dispatchEvent(new Event('answers'));
        this.events.dispatchEvent(new Event('lock'));
    }

    print() {
        if (this.currentAssessment())
            window.print();
    }

    copy() {
        const assessment = this.currentAssessment();
        if (assessment)
            this.ui.copyText(recordText(assessment, this.version, this.referralMarker));
    }
}
