// Time zones through the browser's own calendar (Intl), for the tools that read a place's clock:
// the wall clock of an instant at a place, the instant a wall clock stands for (with the
// desktop's rule for a time the clocks skip), whether the clocks are put forward then, and a
// zone's name as a person reads it. A zone is an IANA id ("Australia/Adelaide") or, for a place
// given by its UTC offset alone, that offset in seconds.

import { dateText, offsetText } from './format.js';

const clockFormats = new Map();
const nameFormats = new Map();

function clockFormat(zone) {
    let format = clockFormats.get(zone);
    if (!format) {
        format = new Intl.DateTimeFormat('en-US', {
            timeZone: zone, hourCycle: 'h23', year: 'numeric', month: 'numeric', day: 'numeric',
            hour: 'numeric', minute: 'numeric', second: 'numeric' });
        clockFormats.set(zone, format);
    }
    return format;
}

// Whether this browser knows the zone by that id.
export function zoneKnown(zone) {
    if (typeof zone === 'number')
        return Number.isFinite(zone);
    if (typeof zone !== 'string' || zone === '' || zone.length > 64)
        return false;
    try {
        clockFormat(zone);
        return true;
    } catch {
        return false;
    }
}

// The device's own zone, where the browser tells it.
export function deviceZone() {
    const zone = Intl.DateTimeFormat().resolvedOptions().timeZone;
    return zoneKnown(zone) ? zone : -new Date().getTimezoneOffset() * 60;
}

function clockAt(utcSeconds, offset) {
    const t = new Date((utcSeconds + offset) * 1000);
    return { year: t.getUTCFullYear(), month: t.getUTCMonth() + 1, day: t.getUTCDate(),
             hour: t.getUTCHours(), minute: t.getUTCMinutes(), second: t.getUTCSeconds() };
}

function asUtc(c) {
    return Date.UTC(c.year, c.month - 1, c.day, c.hour, c.minute, c.second ?? 0) / 1000;
}

// The offset as the browser's calendar gives it: a slow call, some tenths of a millisecond.
function calendarOffset(zone, utcSeconds) {
    const c = {};
    for (const part of clockFormat(zone).formatToParts(new Date(utcSeconds * 1000)))
        if (part.type !== 'literal')
            c[part.type] = Number(part.value);
    return asUtc({ ...c, hour: c.hour % 24 }) - utcSeconds;
}

const kDay = 86400;
const spans = new Map(); // zone → [{from, to, offset}]: spans of time known to keep one offset

// Where the offset changes between `inside`, which has it, and `outside`, which has not, on
// either side: the second next to `inside`'s span that has another offset.
function boundary(zone, inside, outside, offset) {
    while (Math.abs(outside - inside) > 1) {
        const middle = Math.floor((inside + outside) / 2);
        if (calendarOffset(zone, middle) === offset)
            inside = middle;
        else
            outside = middle;
    }
    return outside;
}

// Seconds east of UTC at that instant. The calendar is asked once for a day either side of it,
// and the span that keeps the offset is remembered: an offset changes at most twice a year, and
// a plan asks for every hour of sixteen days.
export function offsetAt(zone, utcSeconds) {
    if (typeof zone === 'number')
        return zone;
    const t = Math.floor(utcSeconds);
    let known = spans.get(zone);
    if (!known) {
        known = [];
        spans.set(zone, known);
    }
    for (const span of known)
        if (t >= span.from && t < span.to)
            return span.offset;
    const offset = calendarOffset(zone, t);
    let from = t - kDay;
    let to = t + kDay;
    if (calendarOffset(zone, from) !== offset)
        from = boundary(zone, t, from, offset) + 1; // the offset began after `from`
    if (calendarOffset(zone, to) !== offset)
        to = boundary(zone, t, to, offset);
    if (known.length >= 64)
        known.shift();
    known.push({ from, to, offset });
    return offset;
}

// {year, month, day, hour, minute, second} at the place.
export function wallClock(zone, utcSeconds) {
    return clockAt(utcSeconds, offsetAt(zone, utcSeconds));
}

// The instant a wall clock at the place stands for: date "YYYY-MM-DD", minutes since midnight.
// A time the clocks show twice is the first of the two. A time they skip (the hour lost when
// daylight saving starts) has none; it is read as the time as long after the change as it is
// after the hour before, which is what a clock not yet moved forward would show, and `inGap`
// says so (the desktop estimator's rule).
export function instantOf(zone, date, minutes) {
    const [year, month, day] = date.split('-').map(Number);
    const wanted = { year, month, day, hour: Math.floor(minutes / 60), minute: minutes % 60, second: 0 };
    const asIf = asUtc(wanted);
    const before = offsetAt(zone, asIf - 86400);
    let found = null;
    for (const offset of new Set([before, offsetAt(zone, asIf), offsetAt(zone, asIf + 86400)])) {
        const t = asIf - offset;
        const c = wallClock(zone, t);
        if (c.year === year && c.month === month && c.day === day && c.hour === wanted.hour && c.minute === wanted.minute)
            found = found === null ? t : Math.min(found, t);
    }
    return found !== null ? { utcSeconds: found, inGap: false } : { utcSeconds: asIf - before, inGap: true };
}

const standardOffsets = new Map();

// Whether the clocks are put forward at that instant: its offset is more than the year's least.
export function daylightSaving(zone, utcSeconds) {
    if (typeof zone === 'number')
        return false;
    const year = wallClock(zone, utcSeconds).year;
    const key = `${zone} ${year}`;
    let standard = standardOffsets.get(key);
    if (standard === undefined) {
        standard = Math.min(offsetAt(zone, Date.UTC(year, 0, 1) / 1000), offsetAt(zone, Date.UTC(year, 6, 1) / 1000));
        standardOffsets.set(key, standard);
    }
    return offsetAt(zone, utcSeconds) > standard;
}

// "Australia/Adelaide", or "UTC+10:30" for a zone that is an offset alone.
export function zoneName(zone) {
    return typeof zone === 'number' ? `UTC${offsetText(zone)}` : zone;
}

// "EDT" where the browser has letters for the zone at that instant, else "UTC-04:00".
export function zoneAbbreviation(zone, utcSeconds) {
    if (typeof zone === 'string') {
        let format = nameFormats.get(zone);
        if (!format) {
            format = new Intl.DateTimeFormat('en-US', { timeZone: zone, timeZoneName: 'short' });
            nameFormats.set(zone, format);
        }
        const name = format.formatToParts(new Date(utcSeconds * 1000)).find(p => p.type === 'timeZoneName')?.value ?? '';
        if (/^[A-Z][A-Za-z]{1,5}$/.test(name) && name !== 'GMT')
            return name;
    }
    return `UTC${offsetText(offsetAt(zone, utcSeconds))}`;
}

// "YYYY-MM-DD" at the place now.
export function todayAt(zone) {
    return dateText(wallClock(zone, Math.floor(Date.now() / 1000)));
}
