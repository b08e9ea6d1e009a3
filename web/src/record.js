// The record of one assessment, as the desktop's ui/record writes it: the title and program,
// when it was calculated, lines to fill in by hand, every question with its answer and points,
// the total, the advice with its decision first, and the disclaimer. One model gives both forms:
// the page printed through the print stylesheet (or saved as PDF from the print dialog), and the
// text that "Copy as text" puts on the clipboard, line for line the desktop's Copy as Text.

export const kRecordTitle = 'Heat illness risk assessment';
export const kRecordDisclaimer =
    'This record is general guidance based on hot-weather guidelines, not medical advice. The ' +
    'organizer remains responsible for the safety of everyone at the event and for every ' +
    'decision about it.';

const kBlank = '_'.repeat(38);
const kFillIns = ['Event', 'Location', 'Assessed by'];

function twoDigits(n) {
    return String(n).padStart(2, '0');
}

// "2026-12-07 14:30"
export function calculatedText(t) {
    return `${t.getFullYear()}-${twoDigits(t.getMonth() + 1)}-${twoDigits(t.getDate())} ` +
        `${twoDigits(t.getHours())}:${twoDigits(t.getMinutes())}`;
}

// "CDT (UTC-05:00)", or only the offset where the zone has no name of its own.
export function zoneText(t) {
    const offset = -t.getTimezoneOffset();
    const utc = `UTC${offset < 0 ? '-' : '+'}${twoDigits(Math.floor(Math.abs(offset) / 60))}:` +
        twoDigits(Math.abs(offset) % 60);
    const name = new Intl.DateTimeFormat('en-US', { timeZoneName: 'short' })
        .formatToParts(t).find(part => part.type === 'timeZoneName')?.value ?? '';
    return !name || name.startsWith('UTC') || name.startsWith('GMT') ? utc : `${name} (${utc})`;
}

// A question's row as the record shows it: a question asked two ways is "not used" the other
// way, the reminder question has "no points", and a referral's marker reads "referral".
function rowTexts(answer, referralMarker) {
    let option = answer.option;
    let points = answer.points;
    if (!option)
        option = answer.alternativeTo ? 'not used' : 'not answered';
    if (!answer.scored)
        points = 'no points';
    else if (points === referralMarker)
        points = 'referral';
    return [answer.question, option, points];
}

// How a tool answered a question, for a reader who was not there; empty for a choice by hand.
function sourceText(answer) {
    const source = answer.source ?? { kind: 'ByHand' };
    if (source.kind === 'Estimated')
        return `${answer.question}: estimated from the weather, ${source.inputs}`;
    if (source.kind === 'Forecast')
        return `${answer.question}: from the weather forecast, ${source.inputs}. Weather data by Open-Meteo.com`;
    return '';
}

// A line that starts with a list marker the document wrote as text reads "- ", as on the desktop.
const kMarkers = '\u2022\u25aa\u25cf\u25e6\u2013-*';
function plainLine(line) {
    return line && kMarkers.includes(line[0]) ? '- ' + line.slice(1).trim() : line;
}

// assessment: {calculated: Date, answers: [{question, option, points, scored, alternativeTo, source}],
//              total: text or null (a referral),
//              advice: {node: DocumentFragment, lines: [text]}, the WBGT ceiling's line in both}
export function recordText(assessment, version, referralMarker) {
    const lines = [
        kRecordTitle,
        `Solvane Calculator \u00b0F ${version}`,
        `Calculated: ${calculatedText(assessment.calculated)} ${zoneText(assessment.calculated)}`,
        ...kFillIns.map(label => `${label}: ${kBlank}`),
        `Decision taken: ${kBlank}${kBlank}`,
        `Signature: ${kBlank}    Time: ${'_'.repeat(14)}`,
        'The assessment',
        'Question | Answer | Risk points',
        ...assessment.answers.map(a => rowTexts(a, referralMarker).join(' | ')),
        '', // the table's end
        ...assessment.answers.map(sourceText).filter(Boolean),
        assessment.total !== null ? `Total: ${assessment.total}` : 'Total: none (medical referral)',
        assessment.total !== null ? 'What to do' : 'Medical advice',
        ...assessment.advice.lines,
        kRecordDisclaimer,
    ];
    return lines.map(plainLine).join('\n') + '\n';
}

export function element(tag, className, text) {
    const e = document.createElement(tag);
    if (className)
        e.className = className;
    if (text !== undefined)
        e.textContent = text;
    return e;
}

// Fills the print-only article with the record.
export function writeRecord(article, assessment, version, referralMarker) {
    const parts = [
        element('h1', '', kRecordTitle),
        element('p', '', `Solvane Calculator \u00b0F ${version}`),
        element('p', '', `Calculated: ${calculatedText(assessment.calculated)} ${zoneText(assessment.calculated)}`),
        ...kFillIns.map(label => element('p', 'fill-in', `${label}: ${kBlank}`)),
        element('p', 'fill-in', `Decision taken: ${kBlank}${kBlank}`),
        element('p', 'fill-in', `Signature: ${kBlank}    Time: ${'_'.repeat(14)}`),
        element('h2', '', 'The assessment'),
    ];
    const table = element('table');
    const head = table.createTHead().insertRow();
    for (const caption of ['Question', 'Answer', 'Risk points'])
        head.append(element('th', '', caption));
    const body = table.createTBody();
    for (const answer of assessment.answers) {
        const row = body.insertRow();
        for (const text of rowTexts(answer, referralMarker))
            row.insertCell().textContent = text;
    }
    parts.push(table);
    for (const answer of assessment.answers)
        if (sourceText(answer))
            parts.push(element('p', 'small', sourceText(answer)));
    parts.push(element('p', 'strong', assessment.total !== null
        ? `Total: ${assessment.total}` : 'Total: none (medical referral)'));
    parts.push(element('h2', '', assessment.total !== null ? 'What to do' : 'Medical advice'));
    parts.push(assessment.advice.node.cloneNode(true));
    parts.push(element('p', 'disclaimer', kRecordDisclaimer));
    article.replaceChildren(...parts);
}

export function clearRecord(article) {
    article.replaceChildren();
}

// "Heat risk assessment 2026-12-07 1430", which the print dialog proposes as the PDF's name.
export function recordTitle(calculated) {
    return `Heat risk assessment ${calculatedText(calculated).replace(':', '')}`;
}
