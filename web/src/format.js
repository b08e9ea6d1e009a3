// How the page writes numbers, times and texts from elsewhere, as the desktop's windows do: numbers
// in the reader's own digits and separators (the desktop's localNumber), a time with its UTC
// offset as the event log's files hold it, and a text from a server or a file cut to a length
// before it is quoted in a sentence (the desktop's Quoted), so that nothing from outside can
// fill or widen the screen.

const numberFormats = new Map();

// 1234.5 → "1,234.5" in English, "1.234,5" in German: the reader's own way.
export function localNumber(value, decimals = 1) {
    let format = numberFormats.get(decimals);
    if (!format) {
        format = new Intl.NumberFormat(undefined, { minimumFractionDigits: decimals, maximumFractionDigits: decimals });
        numberFormats.set(decimals, format);
    }
    return format.format(value);
}

// A number as a person types it: digits with a point or a comma for the decimals, a sign, blanks
// around; null for anything else (an empty field is no number either).
export function parseNumber(text) {
    const typed = String(text ?? '').trim().replace(/^\u2212/, '-');
    if (!/^[+-]?(\d+([.,]\d*)?|[.,]\d+)$/.test(typed))
        return null;
    const value = Number(typed.replace(',', '.'));
    return Number.isFinite(value) ? value : null;
}

export function twoDigits(n) {
    return String(n).padStart(2, '0');
}

// "+10:30", "-05:00", "+00:00" for UTC itself.
export function offsetText(offsetSeconds) {
    const minutes = Math.round(Math.abs(offsetSeconds) / 60);
    return `${offsetSeconds < 0 ? '-' : '+'}${twoDigits(Math.floor(minutes / 60))}:${twoDigits(minutes % 60)}`;
}

// The wall clock of an instant at a fixed offset: {year, month, day, hour, minute, second}.
export function clockAtOffset(utcSeconds, offsetSeconds) {
    const t = new Date((utcSeconds + offsetSeconds) * 1000);
    return { year: t.getUTCFullYear(), month: t.getUTCMonth() + 1, day: t.getUTCDate(),
             hour: t.getUTCHours(), minute: t.getUTCMinutes(), second: t.getUTCSeconds() };
}

export function dateText(c) {
    return `${String(c.year).padStart(4, '0')}-${twoDigits(c.month)}-${twoDigits(c.day)}`;
}

export function clockText(c) {
    return `${twoDigits(c.hour)}:${twoDigits(c.minute)}`;
}

// "2026-12-07T14:30:00+10:30": the local time to the second with its offset, as the event log's
// file and CSV hold times (the desktop's isoWithOffset).
export function isoWithOffset(utcSeconds, offsetSeconds) {
    const c = clockAtOffset(utcSeconds, offsetSeconds);
    return `${dateText(c)}T${clockText(c)}:${twoDigits(c.second)}${offsetText(offsetSeconds)}`;
}

// At most `length` characters, white space folded, cut with an ellipsis.
export function quoted(text, length = 60) {
    const simple = String(text ?? '').replace(/\s+/g, ' ').trim();
    return simple.length <= length ? simple : simple.slice(0, length - 1) + '\u2026';
}

// A civil date "YYYY-MM-DD" moved by whole days.
export function addDays(date, days) {
    const [y, m, d] = date.split('-').map(Number);
    const t = new Date(Date.UTC(y, m - 1, d + days));
    return dateText({ year: t.getUTCFullYear(), month: t.getUTCMonth() + 1, day: t.getUTCDate() });
}

// A text as a file name: the characters no system takes become dashes, as on the desktop.
export function safeFileName(name) {
    return name.replace(/[/\\:*?"<>|\u0000-\u001f]/g, '-').trim();
}
