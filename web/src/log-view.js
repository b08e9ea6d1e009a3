// What the event log's screen makes of a day's entries, as the desktop's log_entries.cpp does:
// the texts of the table (band, temperature, ceiling, time), the timeline's model (the totals
// over the score bands, the WBGT in a strip of its own under them with the ceiling's levels),
// and the day report that the print stylesheet puts on paper. Apart from the screen, so each can
// be checked without it.

import { bandInk, bandShade, chartSvg } from './chart.js';
import { answerOf, wbgtOf } from './event-csv.js';
import { clockAtOffset, clockText, dateText, localNumber } from './format.js';
import { element } from './record.js';
import { instantOf, zoneKnown } from './zones.js';

const kOpenMeteoCredit = 'Weather data by Open-Meteo.com';
// How much of a note the day report prints: a page of text, not a book.
export const kPrintedNoteLength = 600;

export function bandText(entry) {
    if (entry.referral)
        return 'medical referral';
    return entry.band ? entry.band.label : '';
}

export function rankOf(entry) {
    return entry.referral ? 3 : entry.band ? entry.band.rank : -1;
}

// The temperature's answer and how it was given, e.g. "WBGT 82-85.9 (estimated 84.3 °F)".
export function temperatureText(entry) {
    const answer = answerOf(entry, 'WBGT') ?? answerOf(entry, 'Dry_Bulb');
    if (!answer)
        return '';
    const exact = wbgtOf(entry);
    const value = exact !== null ? ` ${localNumber(exact)} \u00b0F` : '';
    switch (entry.temperatureSource) {
    case 'estimated': return `WBGT ${answer.option} (estimated${value})`;
    case 'forecast': return `WBGT ${answer.option} (forecast${value})`;
    case 'air-temperature': return `air ${answer.option}`;
    default: return `WBGT ${answer.option}`;
    }
}

// The ceiling the assessment showed: its rule's name, "not known (air temperature)", empty for
// none, or "not judged" for an entry from before the program judged one.
export function ceilingText(entry) {
    if (entry.ceilingJudged === false)
        return 'not judged';
    if (entry.ceiling.unknown)
        return 'not known (air temperature)';
    return entry.ceiling.name ?? '';
}

// The entry's local time, with its date where that is not the event's.
export function entryTime(event, entry) {
    const c = clockAtOffset(entry.at.utcSeconds, entry.at.offsetSeconds);
    return dateText(c) === event.date ? clockText(c) : `${dateText(c)} ${clockText(c)}`;
}

// "the assessment of 06:42 (total 57)", for a person choosing among entries.
export function entryName(entry) {
    const time = clockText(clockAtOffset(entry.at.utcSeconds, entry.at.offsetSeconds));
    return entry.referral ? `the assessment of ${time} (medical referral)`
        : `the assessment of ${time} (total ${entry.total})`;
}

export function printedNote(text) {
    return text.length > kPrintedNoteLength
        ? text.slice(0, kPrintedNoteLength) + ' [\u2026 cut here; the whole text is in the event log]' : text;
}

// The WBGT in °F for the timeline: as estimated or forecast where a tool gave it, else the middle
// of the option chosen (the open ends a little past their edge).
function timelineWbgt(entry, wbgtOptions) {
    const exact = wbgtOf(entry);
    if (exact !== null)
        return exact;
    const answer = answerOf(entry, 'WBGT');
    const middles = [71.0, 77.5, 84.0, 88.0];
    const index = answer ? wbgtOptions.indexOf(answer.option) : -1;
    return index >= 0 && index < middles.length ? middles[index] : null;
}

// The day's totals over time, the score bands behind them, and the WBGT in a strip of its own
// where question 1 was answered with one. Struck-out entries are left out; a band that rose
// since the entry before is marked.
export function timelineModel(core, words, event, entries) {
    let zone = entries.length ? entries[0].at.zone : '';
    if (!zoneKnown(zone))
        zone = entries.length ? entries[0].at.offsetSeconds : -new Date().getTimezoneOffset() * 60;
    // The event's day, widened to take in every entry.
    let from = instantOf(zone, event.date, 6 * 60).utcSeconds;
    let to = instantOf(zone, event.date, 20 * 60).utcSeconds;
    for (const entry of entries) {
        const at = entry.at.utcSeconds;
        from = Math.min(from, at - at % 3600);
        to = Math.max(to, at - at % 3600 + 3600);
    }
    const floors = [0, 55, 65, 74, 100];
    const model = {
        fromUtc: from, toUtc: to, zone,
        left: { title: 'Total score', min: 0, max: 100, step: 20 },
        bands: words.bands.map(band => ({ from: floors[band.rank], to: floors[band.rank + 1],
                                          color: bandShade(band.rank), label: band.range })),
        levels: [], span: null, spanLabel: '', note: '', strip: null,
        series: [], markLabel: 'band rose',
    };
    const totals = { name: 'Total', color: 'rgb(20,20,20)', onRightAxis: false, points: [] };
    const wbgt = { name: 'WBGT \u00b0F (question 1)', color: 'rgb(0,90,200)', onRightAxis: true, points: [] };
    for (const entry of entries) {
        if (entry.struck)
            continue;
        const at = entry.at.utcSeconds;
        totals.points.push({ utc: at, value: entry.referral ? null : core.readNumber(entry.total), marked: entry.bandRose });
        const f = timelineWbgt(entry, words.wbgtOptions);
        if (f !== null)
            wbgt.points.push({ utc: at, value: f, marked: false });
    }
    model.series.push(totals);
    if (wbgt.points.length) {
        // The WBGT in a strip of its own, over question 1's options: on the score's axis a
        // temperature of 79.6 °F would sit in the score's green, and read as safe.
        let low = 60;
        let high = 100;
        for (const point of wbgt.points) {
            low = Math.min(low, Math.floor(point.value / 10) * 10);
            high = Math.max(high, Math.ceil(point.value / 10) * 10);
        }
        const edges = [low, 73, 82, 86, high];
        model.strip = {
            axis: { title: 'WBGT \u00b0F', min: low, max: high, step: 10 },
            bands: [0, 1, 2, 3].map(i => ({ from: edges[i], to: edges[i + 1], color: bandShade(i), label: words.wbgtOptions[i] })),
            // The ceiling's levels across the strip: a WBGT over one stopped the event, whatever
            // the score above it says.
            levels: words.rules.map(rule => ({ value: rule.aboveF, label: rule.name, color: bandInk(3) })),
        };
        model.series.push(wbgt);
    }
    return model;
}

const kBlank = '_'.repeat(38);

// The day report, written into the print-only article: the event, the timeline, every entry, and
// lines for the responsible person, as the desktop's day report has them.
export function writeDayReport(article, core, words, event, entries, disclaimer) {
    const parts = [
        element('h1', '', 'Heat illness risk: day report'),
        element('p', 'strong', event.name),
        element('p', '', `Place: ${event.place || 'not given'}`),
        element('p', '', `Date: ${event.date}`),
        element('p', 'fill-in', `Responsible person: ${kBlank}`),
        element('p', 'fill-in', `Role: ${kBlank}`),
        element('h2', '', 'The day'),
    ];
    const chart = element('div', 'report-chart');
    chart.innerHTML = chartSvg(timelineModel(core, words, event, entries), 1000, 430, 15,
                               'Timeline of the totals over the day');
    parts.push(chart, element('h2', '', 'Every assessment'));
    const table = element('table');
    const head = table.createTHead().insertRow();
    for (const caption of ['Time', 'Temperature', 'Total', 'Band', 'WBGT ceiling', 'Decision', 'Note'])
        head.append(element('th', '', caption));
    const body = table.createTBody();
    for (const entry of entries) {
        let band = bandText(entry);
        if (entry.bandRose)
            band += ' \u25b2 rose';
        let note = printedNote(entry.note);
        if (entry.struck)
            note = `STRUCK OUT: ${printedNote(entry.struck.reason)}. ${note}`;
        const row = body.insertRow();
        if (entry.struck)
            row.className = 'struck';
        const cells = [entryTime(event, entry), temperatureText(entry), entry.referral ? 'none' : entry.total, band,
                       ceilingText(entry), entry.decision, note.trim()];
        cells.forEach((text, c) => {
            const cell = row.insertCell();
            cell.textContent = text;
            if (!entry.struck && c === 3 && rankOf(entry) >= 0)
                cell.className = `ink-${rankOf(entry)}`;
            if (!entry.struck && c === 4 && (entry.ceiling.level !== 'none' || entry.ceiling.unknown))
                cell.className = 'ink-3';
        });
    }
    parts.push(table);
    for (const entry of entries) {
        const wbgt = answerOf(entry, 'WBGT');
        if (wbgt && wbgt.source?.inputs)
            parts.push(element('p', 'small', `${entryTime(event, entry)}: question 1 from ${printedNote(wbgt.source.inputs)}` +
                                             (wbgt.source.kind === 'Forecast' ? `. ${kOpenMeteoCredit}` : '')));
    }
    parts.push(element('p', 'disclaimer', disclaimer));
    article.replaceChildren(...parts);
}
