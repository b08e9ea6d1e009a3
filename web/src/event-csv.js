// One event as CSV for a spreadsheet, column for column the desktop's (eventlog/event_csv.cpp),
// so that the desktop's "Import CSV…" and `orvane-eval log import-csv` take in a day logged on a
// phone: RFC 4180 (CRLF line ends, a field quoted when it holds a comma, a quote or a line end,
// quotes doubled), UTF-8 without a byte order mark, a header of names a person reads (each
// question by its title), then one row per entry in time order, struck-out entries included.
//
// A field beginning with '=', '+', '-', '@', a tab or a carriage return gets an apostrophe in
// front: spreadsheets read such a field as a formula, and a note or a name typed by someone must
// never run as one.
//
// The "Entry" column numbers the entries in their day (1, 2, 3 in time order), where the desktop
// writes its log's own key: a day taken into a new log gets those same numbers, so that it comes
// out again byte for byte.

import { isoWithOffset } from './format.js';

export const kLeading = ['Event', 'Place', 'Event date', 'Entry', 'Time', 'Time zone'];
export const kTrailing = ['Question 1 answered by', 'WBGT \u00b0F', 'Question 1 worked out from', 'Total', 'Band',
                          'Band rose', 'Medical referral', 'WBGT ceiling', 'Decision', 'Note', 'Program version',
                          'Struck out', 'Reason struck out', 'Time struck out'];

export function field(value) {
    let text = String(value);
    if (text !== '' && '=+-@\t\r'.includes(text[0]))
        text = "'" + text;
    if (/[,"\n\r]/.test(text))
        text = '"' + text.replace(/"/g, '""') + '"';
    return text;
}

const row = fields => fields.map(field).join(',') + '\r\n';
const yesNo = value => value ? 'yes' : 'no';

// The ceiling as the CSV names it: not judged, unknown, none, or its rule's name.
function ceilingText(entry) {
    if (entry.ceilingJudged === false)
        return 'not judged';
    if (entry.ceiling.unknown)
        return 'unknown';
    return entry.ceiling.name ?? 'none';
}

// The answer to the question with this key that has an option.
export function answerOf(entry, key) {
    return entry.answers.find(a => a.key === key && a.option !== '') ?? null;
}

// The WBGT a tool worked out for question 1, in °F, or null.
export function wbgtOf(entry) {
    const wbgt = answerOf(entry, 'WBGT');
    return wbgt && wbgt.source?.kind !== 'ByHand' && typeof wbgt.source?.wbgtF === 'number' ? wbgt.source.wbgtF : null;
}

// catalogue: the core's; entries: as the log gives them, in time order, numbered, with bandRose.
export function eventCsv(catalogue, event, entries) {
    const header = [...kLeading];
    for (const factor of catalogue) {
        header.push(factor.label);
        if (factor.scored)
            header.push(`${factor.label}: points`);
    }
    header.push(...kTrailing);
    let out = row(header);
    for (const entry of entries) {
        const fields = [event.name, event.place, event.date, String(entry.number),
                        isoWithOffset(entry.at.utcSeconds, entry.at.offsetSeconds), entry.at.zone];
        for (const factor of catalogue) {
            const found = entry.answers.find(a => a.key === factor.key);
            fields.push(found?.option ?? '');
            if (factor.scored)
                fields.push(found?.points ?? '');
        }
        const wbgt = answerOf(entry, 'WBGT');
        const exact = wbgtOf(entry);
        fields.push(entry.temperatureSource, exact !== null ? exact.toFixed(1) : '', wbgt?.source?.inputs ?? '',
                    entry.total, entry.band?.range ?? '', yesNo(entry.bandRose), yesNo(entry.referral),
                    ceilingText(entry), entry.decision, entry.note, entry.programVersion, yesNo(entry.struck),
                    entry.struck?.reason ?? '', entry.struck?.time ?? '');
        out += row(fields);
    }
    return out;
}
