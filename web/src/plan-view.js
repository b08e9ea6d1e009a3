// How the planner shows a day's plan, as the desktop's plan_view.cpp does: the chart's model, a
// row of the hour table, the event and the coolest start in sentences, and the hours without
// values, in the desktop's words. The plan itself is the core's (planForecast); this file only
// words and lays out what it gives. Apart from the screen, so the screen only places them.
//
// plan: the core's planned hours, each with `weather` (the forecast hour it came from) added.
// day: {zone, dayStart, dayEnd, eventStart, eventEnd, latitude, longitude, anyHour}, UTC seconds.

import { bandInk, bandShade } from './chart.js';
import { clockText, localNumber } from './format.js';
import { wallClock, zoneAbbreviation } from './zones.js';

const kHour = 3600;
const kDash = '\u2014';
export const kOpenMeteoCredit = 'Weather data by Open-Meteo.com';

export const kHourHeader = ['Local time', 'Air \u00b0F', 'Humidity %', 'Wind 2 m mph', 'Sun W/m\u00b2',
                            'WBGT \u00b0F (\u00b0C)', 'WBGT ceiling', 'Question 1', 'Points',
                            'Time of day (question 8)', 'Total and band'];
export const Column = Object.freeze({ Time: 0, Air: 1, Humidity: 2, Wind: 3, Sun: 4, Wbgt: 5, Ceiling: 6,
                                      Option: 7, Points: 8, TimeOfDay: 9, Outcome: 10 });

export function covers(hour, from, to) {
    return hour.utcSeconds + kHour > from && hour.utcSeconds < to;
}

// The first and the number of the plan's hours that an event from `from` to `to` touches.
export function coveredRange(plan, from, to) {
    const first = plan.findIndex(h => covers(h, from, to));
    if (first < 0)
        return { first: 0, count: 0 };
    let end = first;
    while (end < plan.length && covers(plan[end], from, to))
        ++end;
    return { first, count: end - first };
}

function clock(utc, zone) {
    return clockText(wallClock(zone, utc));
}

// What the page needs of the core to word a plan, read once.
export class PlanWords {
    constructor(core) {
        this.core = core;
        const catalogue = core.catalogue();
        this.wbgtOptions = catalogue.find(f => f.key === 'WBGT').options.map(o => o.text);
        this.timeOptions = catalogue.find(f => f.key === 'Time').options.map(o => o.text);
        this.rules = core.ceilingRules();
        // The levels in their order, none first, for "the highest".
        this.levelRank = new Map([['none', 0], ...this.rules.map((r, i) => [r.level, i + 1])]);
        this.ruleNames = new Map(this.rules.map(r => [r.level, r.name]));
    }

    levelOf(hour) {
        return hour.wbgtF !== undefined ? hour.ceilingLevel : 'none';
    }

    ruleName(level) {
        return this.ruleNames.get(level) ?? '';
    }

    timeOption(index) {
        return index >= 0 && index < this.timeOptions.length ? this.timeOptions[index] : '';
    }
}

// "57, MODERATE RISK (56 to 65)", "medical referral", or nothing; with the band's rank (3 for a
// referral) or -1.
export function outcomeText(outcome) {
    if (!outcome)
        return { text: '', rank: -1 };
    if (outcome.outcome === 'MedicalReferral')
        return { text: 'medical referral', rank: 3 };
    if (outcome.outcome === 'Scored')
        return { text: outcome.display.trim() + (outcome.band ? ', ' + outcome.band.label : ''),
                 rank: outcome.band ? outcome.band.rank : -1 };
    return { text: '', rank: -1 };
}

// "14:00", or "02:00 EST" where the clock shows that hour twice in the plan.
export class HourNames {
    constructor(plan, zone) {
        this.zone = zone;
        this.counts = new Map();
        for (const hour of plan) {
            const name = clock(hour.utcSeconds, zone);
            this.counts.set(name, (this.counts.get(name) ?? 0) + 1);
        }
    }

    of(hour) {
        const name = clock(hour.utcSeconds, this.zone);
        // The clocks went back: the zone's abbreviation tells the two apart.
        return this.counts.get(name) < 2 ? name : `${name} ${zoneAbbreviation(this.zone, hour.utcSeconds)}`;
    }
}

// The day's WBGT in °F with question 1's options behind it, the ceiling's levels drawn across,
// every hour at or over a level marked, and the event's hours shaded.
export function dayChart(words, plan, day) {
    let fromUtc = day.dayStart;
    let toUtc = day.dayEnd;
    for (const hour of plan) {
        fromUtc = Math.min(fromUtc, hour.utcSeconds);
        toUtc = Math.max(toUtc, hour.utcSeconds + kHour);
    }
    // 50 to 100 °F, widened to take in any hour outside it: a value is never drawn on an edge.
    let low = 50;
    let high = 100;
    for (const hour of plan)
        if (hour.wbgtF !== undefined) {
            low = Math.min(low, Math.floor(hour.wbgtF / 10) * 10);
            high = Math.max(high, Math.ceil(hour.wbgtF / 10) * 10);
        }
    const edges = [low, 73, 82, 86, high];
    return {
        fromUtc, toUtc, zone: day.zone,
        left: { title: 'WBGT \u00b0F', min: low, max: high, step: 10 },
        bands: [0, 1, 2, 3].map(i => ({ from: edges[i], to: edges[i + 1], color: bandShade(i), label: words.wbgtOptions[i] })),
        levels: words.rules.map(rule => ({ value: rule.aboveF, label: rule.name, color: bandInk(3) })),
        series: [{ name: 'WBGT \u00b0F', color: 'rgb(0,60,160)', onRightAxis: false,
                   points: plan.map(hour => ({ utc: hour.utcSeconds, value: hour.wbgtF ?? null,
                                               marked: words.levelOf(hour) !== 'none' })) }],
        markLabel: 'at or over the WBGT ceiling',
        span: day.eventEnd > day.eventStart ? [day.eventStart, day.eventEnd] : null,
        spanLabel: 'the event',
        note: kOpenMeteoCredit, // the data's licence asks for it wherever they show
        strip: null,
    };
}

// {cells, gap, option, rank, ceiling, inEvent} for one hour of the table.
export function hourRow(words, hour, day, names) {
    const core = words.core;
    const w = hour.weather;
    const f = c => c !== null ? localNumber(core.celsiusToFahrenheit(c)) : kDash;
    const row = {
        cells: [names.of(hour), f(w.airC), w.relativeHumidity !== null ? localNumber(w.relativeHumidity, 0) : kDash,
                kDash, w.solarWm2 !== null ? localNumber(w.solarWm2, 0) : kDash, kDash, '', kDash, kDash,
                hour.timeOption >= 0 ? words.timeOption(hour.timeOption) : kDash, ''],
        gap: '', option: -1, rank: -1, ceiling: false, inEvent: false,
    };
    if (hour.wbgtF !== undefined) {
        row.cells[Column.Wind] = localNumber(core.metresPerSecondToMph(hour.wind2mMs));
        row.cells[Column.Wbgt] = `${localNumber(hour.wbgtF)} (${localNumber(hour.wbgtC)})`;
        row.cells[Column.Ceiling] = words.ruleName(words.levelOf(hour));
        row.ceiling = words.levelOf(hour) !== 'none';
        row.cells[Column.Option] = hour.optionText;
        row.cells[Column.Points] = hour.points;
        const outcome = outcomeText(hour.outcome);
        row.cells[Column.Outcome] = outcome.text;
        row.rank = outcome.rank;
        row.option = hour.option;
    } else {
        // A dash in the row, the reason in its title and once below the table: a sentence in a
        // cell would widen its column and push the totals off the screen.
        row.gap = hour.gap.reason;
    }
    row.inEvent = covers(hour, day.eventStart, day.eventEnd);
    return row;
}

// What the calculator gives for the event's own hours, and the ceiling over them.
export function eventSentence(words, plan, day, eventOutcome, answersGiven) {
    if (day.eventEnd <= day.eventStart)
        return 'The event ends before it starts: set its start and end times.';
    const { first, count } = coveredRange(plan, day.eventStart, day.eventEnd);
    const covered = plan.slice(first, first + count);
    const span = `The event, ${clock(day.eventStart, day.zone)} to ${clock(day.eventEnd, day.zone)}`;
    if (covered.length === 0)
        return span + ': the forecast has no hours for it.';
    let hottest = null;
    let gaps = 0;
    let over = 0;
    let withValues = 0;
    let highest = 'none';
    for (const hour of covered) {
        if (hour.wbgtF === undefined) {
            ++gaps;
            continue;
        }
        ++withValues;
        if (!hottest || hour.wbgtF > hottest.wbgtF)
            hottest = hour;
        const level = words.levelOf(hour);
        over += level !== 'none';
        if (words.levelRank.get(level) > words.levelRank.get(highest))
            highest = level;
    }
    const parts = [hottest
        ? `${span}: its hottest hour reaches a WBGT of ${localNumber(hottest.wbgtF)} \u00b0F ("${hottest.optionText}")`
        : `${span}: none of its hours has a WBGT`];
    if (gaps > 0) {
        parts[0] += `; ${gaps} of its ${covered.length} hours have no values (\u2014), so the calculator cannot judge it`;
    } else if (answersGiven && eventOutcome) {
        const riskiest = Math.max(-1, ...covered.map(hour => hour.timeOption));
        parts[0] += `, and the calculator gives ${outcomeText(eventOutcome).text}`;
        if (riskiest >= 0)
            parts[0] += `, with question 8 at its riskiest time of day, "${words.timeOption(riskiest)}"`;
    }
    parts[0] += '.';
    if (over > 0)
        parts.push(over === withValues
            ? `No hour of the event is under the WBGT ceiling: at its hottest, ${words.ruleName(highest)}, whatever the score.`
            : `${over} of its hours are at or over the WBGT ceiling: at its hottest, ${words.ruleName(highest)}, whatever the score.`);
    return parts.join(' ');
}

// The span the coolest start is looked for in: from first light (on the hour) to sunset unless
// any hour will do; {from, to, within} or {sentence} when the sun does not rise.
export function coolestSpan(words, day) {
    if (day.anyHour)
        return { from: day.dayStart, to: day.dayEnd, within: 'at any hour of the day' };
    // An event is planned in daylight: 04:00 may be the coolest hour, but nobody runs then.
    const light = words.core.daylightOn(day.dayStart, day.dayEnd, day.latitude, day.longitude);
    if (light.firstLight === null)
        return { sentence: 'No coolest start in daylight: the sun does not rise that day at this place. ' +
                           '"Any hour" looks at every hour.' };
    return {
        from: Math.ceil(light.firstLight / kHour) * kHour, // events start on the hour
        to: light.sunset ?? day.dayEnd,
        within: `between first light (${clock(light.firstLight, day.zone)}) and sunset ` +
            `(${light.sunset !== null ? clock(light.sunset, day.zone) : 'none'})`,
    };
}

export function eventMinutes(day) {
    return Math.trunc((day.eventEnd - day.eventStart) / 60);
}

// "The coolest start for a 3 h 00 min event is 07:00: …", or why there is none.
export function coolestStartSentence(words, plan, day, span, coolest, names, answersGiven) {
    const minutes = eventMinutes(day);
    if (minutes <= 0)
        return '';
    if (span.sentence)
        return span.sentence;
    const length = `${Math.floor(minutes / 60)} h ${String(minutes % 60).padStart(2, '0')} min`;
    if (!coolest || coolest.reason !== undefined)
        return `No coolest start for a ${length} event ${span.within}: ${coolest?.reason ?? ''}.`;
    const hottest = plan[coolest.hottestIndex];
    let text = `The coolest start for a ${length} event ${span.within} is ${names.of(plan[coolest.startIndex])}: ` +
        `its hours reach at most a WBGT of ${localNumber(hottest.wbgtF)} \u00b0F ("${hottest.optionText}")`;
    if (answersGiven && coolest.outcome)
        text += `, and the calculator would give ${outcomeText(coolest.outcome).text}`;
    text += '.';
    const level = hottest.ceilingLevel;
    if (level && level !== 'none')
        text += ` Even then it is at or over the WBGT ceiling: ${words.ruleName(level)}, whatever the score.`;
    return text;
}

// The hours without a WBGT and why, once for the table; empty when every hour has one.
export function gapsSentence(plan, names) {
    const byReason = new Map();
    let gaps = 0;
    for (const hour of plan)
        if (hour.gap) {
            if (!byReason.has(hour.gap.reason))
                byReason.set(hour.gap.reason, []);
            byReason.get(hour.gap.reason).push(names.of(hour));
            ++gaps;
        }
    if (gaps === 0)
        return '';
    const reasons = [...byReason.keys()].sort().map(reason => `${reason} (${byReason.get(reason).join(', ')})`);
    return `${gaps === 1 ? 'One hour' : `${gaps} hours`} without values (\u2014): ${reasons.join('; ')}.`;
}
