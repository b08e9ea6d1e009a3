// The calculator screen: a list per question of the core's catalogue with its points beside it,
// the lock between the two ways of answering question 1, Calculate, the total in its band's
// colour, the band's advice (or the medical referral with no total), the stale mark when an
// answer changes after a calculation, Reset, and the record. Every rule is the core's: this file
// only carries out what the selection rule and the evaluation answer, as the desktop's
// frm_solvane_calc.cpp does.

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

const State = Object.freeze({ None: 'none', Current: 'current', Stale: 'stale' });

export class Calculator {
    // core: the bound core; ui: {showMessage(text), copyText(text)}; version: the release.
    constructor(core, ui, version) {
        this.core = core;
        this.ui = ui;
        this.version = version;
        this.factors = core.catalogue();
        this.boxKeys = core.boxKeys();
        this.referralMarker = core.referralMarker();
        this.lists = new Map();
        this.boxes = new Map();
        this.state = State.None;
        this.assessment = null; // what the record holds, while it matches the screen
        this.run = 0; // each calculation or reset; an older one's late document is dropped

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

    // A choice by hand (or, later, by a tool): the core's selection rule says what changes.
    choose(key) {
        const list = this.lists.get(key);
        const index = list.selectedIndex;
        const text = index >= 0 ? list.options[index].text : '';
        const effect = this.core.selectionRule(key, index, text);
        if (effect.pointsBoxKey !== null)
            this.boxes.get(effect.pointsBoxKey).value = effect.points;
        if (effect.disableListKey !== null)
            this.lists.get(effect.disableListKey).disabled = true;
        if (this.state === State.Current)
            this.setState(State.Stale);
    }

    boxTexts() {
        return this.boxKeys.map(key => this.boxes.get(key).value);
    }

    async calculate() {
        const outcome = this.core.evaluate(this.boxTexts());
        if (outcome.outcome === 'MissingAnswer') {
            // An answer is missing, so one changed since any earlier result: that one stays stale.
            this.ui.showMessage(outcome.message);
            return;
        }
        const run = ++this.run;
        const calculated = new Date();
        const answers = this.answers();
        let total = null;
        let document;
        this.total.className = 'total';
        this.total.title = '';
        if (outcome.outcome === 'MedicalReferral') {
            this.total.value = ''; // a referral has no score, so no earlier one may stand beside it
            document = outcome.document;
        } else {
            this.total.value = outcome.display;
            total = outcome.display.trim();
            if (outcome.band) {
                this.total.classList.add(`band-${outcome.band.rank}`);
                this.total.title = outcome.band.label;
            }
            document = outcome.document;
        }
        this.assessment = null;
        this.setState(State.Current);
        if (document === null) {
            this.advice.replaceChildren(); // a total of 0 or less has no band
            return;
        }
        const [loaded, lines] = await Promise.all([
            loadDocument(document),
            loadDocumentText(document).catch(error => error),
        ]);
        if (run !== this.run)
            return; // a later calculation or a reset took over meanwhile
        const filed = loaded.node.cloneNode(true); // placing the fragment empties it
        this.advice.replaceChildren(loaded.node);
        if (lines instanceof Error)
            this.advice.append(problemElement(lines));
        // The record holds the advice the screen shows; without it there is nothing to file.
        if (loaded.shown && !(lines instanceof Error)) {
            this.assessment = { calculated, answers, total, ceiling: null, advice: { node: filed, lines } };
            writeRecord(this.record, this.assessment, this.version, this.referralMarker);
            window.document.title = recordTitle(calculated);
        }
        this.setState(this.state);
    }

    answers() {
        return this.factors.map(factor => {
            const list = this.lists.get(factor.key);
            return {
                key: factor.key,
                question: factor.label,
                option: list.selectedIndex >= 0 ? list.options[list.selectedIndex].text : '',
                points: factor.scored ? this.boxes.get(factor.key).value : '',
                scored: factor.scored,
                alternativeTo: factor.alternativeTo,
            };
        });
    }

    setState(state) {
        this.state = state;
        if (state !== State.Current) {
            this.assessment = null;
            clearRecord(this.record);
            window.document.title = 'Solvane Calculator \u00b0F';
        }
        // A result for earlier answers stays readable, but plainly not the answer to these.
        this.total.classList.toggle('stale', state === State.Stale);
        this.status.textContent = state === State.Stale ? kStaleText : '';
        const filed = this.currentAssessment() !== null;
        this.printButton.disabled = !filed;
        this.copyButton.disabled = !filed;
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
        this.setState(State.None);
        // Emptying a list is no choice: no selection rule runs, and the boxes stay empty.
        for (const list of this.lists.values())
            list.selectedIndex = -1;
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
