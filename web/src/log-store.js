// The event log in the browser's own database (IndexedDB): the events, and every assessment
// ("entry") made on each event's day, with the desktop's fields. An entry is written whole or
// not at all (one transaction), is never changed or deleted, and can only be struck out with a
// reason and the time, once: this module offers no other write. A database the browser refuses,
// or storage that is full, is a LogError with a message for a person, and nothing is written.
//
// Event: {id, name, place, date "YYYY-MM-DD", notes, created}
// Entry: {id, eventId, at: {utcSeconds, offsetSeconds, zone}, answers: [{key, option, points,
//         source: {kind, inputs, wbgtF}}], referral, total, band, ceiling, ceilingJudged,
//         temperatureSource, decision, note, programVersion, struck: null | {reason, time}}

import { isoWithOffset } from './format.js';

export const kLogDatabase = 'orvane-event-log';
// How long a text typed into the log may be, as on the desktop.
export const kMaxNameLength = 200;
export const kMaxNoteLength = 2000;

export class LogError extends Error {
    // kind: Refused (the browser keeps no database for the page), Full, Invalid, Failed
    constructor(kind, message) {
        super(message);
        this.kind = kind;
    }
}

function refused(error) {
    return new LogError('Refused', 'The browser refused this page a database, so the event log cannot be kept ' +
        `here (${error?.message || error?.name || 'no reason given'}). Allow this site to store data, or leave ` +
        'private browsing, and try again.');
}

function failure(error) {
    if (error?.name === 'QuotaExceededError')
        return new LogError('Full', "The browser's storage for this page is full, so nothing was written " +
            `(${error.message || error.name}). Free some space on this device, then try again.`);
    if (error instanceof LogError)
        return error;
    return new LogError('Failed', `The event log could not be written: ${error?.message || error?.name || 'no reason given'}.`);
}

let opened = null;

// The log, opened (and made) on first use.
export function openLog() {
    opened ??= new Promise((resolve, reject) => {
        let request;
        try {
            if (typeof indexedDB === 'undefined' || indexedDB === null)
                throw new Error('this browser has no IndexedDB');
            request = indexedDB.open(kLogDatabase, 1);
        } catch (error) {
            reject(refused(error));
            return;
        }
        request.onupgradeneeded = () => {
            const db = request.result;
            db.createObjectStore('events', { keyPath: 'id', autoIncrement: true });
            const entries = db.createObjectStore('entries', { keyPath: 'id', autoIncrement: true });
            entries.createIndex('event', 'eventId');
        };
        request.onsuccess = () => resolve(new LogStore(request.result));
        request.onerror = () => reject(request.error?.name === 'QuotaExceededError' ? failure(request.error) : refused(request.error));
        request.onblocked = () => reject(new LogError('Failed', 'The event log is held open by an older copy of this ' +
                                                      'page in another tab: close it and try again.'));
    }).catch(error => {
        opened = null; // tried again on the next use
        throw error;
    });
    return opened;
}

function requestResult(request) {
    return new Promise((resolve, reject) => {
        request.onsuccess = () => resolve(request.result);
        request.onerror = () => reject(request.error);
    });
}

const bandRank = entry => entry.referral ? 3 : entry.band ? entry.band.rank : -1;

class LogStore {
    constructor(db) {
        this.db = db;
    }

    // One transaction; its outcome once it has committed, or a LogError and nothing written.
    write(stores, work) {
        return new Promise((resolve, reject) => {
            let transaction;
            let result;
            try {
                transaction = this.db.transaction(stores, 'readwrite');
                Promise.resolve(work(transaction)).then(value => { result = value; },
                                                        error => { transaction.abort(); reject(failure(error)); });
            } catch (error) {
                reject(failure(error));
                return;
            }
            transaction.oncomplete = () => resolve(result);
            transaction.onabort = () => reject(failure(transaction.error ?? new Error('the write was abandoned')));
        });
    }

    async read(stores, work) {
        try {
            return await work(this.db.transaction(stores, 'readonly'));
        } catch (error) {
            throw new LogError('Failed', `The event log could not be read: ${error?.message || error?.name}.`);
        }
    }

    // Newest first: by the event's date, then the order they were added in; with the number of
    // entries and of those struck out.
    events() {
        return this.read(['events', 'entries'], async transaction => {
            const [events, entries] = await Promise.all([requestResult(transaction.objectStore('events').getAll()),
                                                         requestResult(transaction.objectStore('entries').getAll())]);
            for (const event of events) {
                const own = entries.filter(e => e.eventId === event.id);
                event.entryCount = own.length;
                event.struckCount = own.filter(e => e.struck).length;
            }
            return events.sort((a, b) => (a.date < b.date ? 1 : a.date > b.date ? -1 : b.id - a.id));
        });
    }

    event(id) {
        return this.read(['events'], transaction => requestResult(transaction.objectStore('events').get(id)))
            .then(event => event ?? null);
    }

    // In time order, equal times in the order they were added in, each numbered in its day and
    // marked where its band rose since the entry before (struck-out entries and referrals are
    // never marked and are not compared against).
    entries(eventId, readNumber) {
        return this.read(['entries'], async transaction => {
            const entries = await requestResult(transaction.objectStore('entries').index('event').getAll(eventId));
            entries.sort((a, b) => a.at.utcSeconds - b.at.utcSeconds || a.id - b.id);
            let previous = null;
            entries.forEach((entry, i) => {
                entry.number = i + 1;
                entry.bandRose = false;
                if (entry.struck || entry.referral)
                    return;
                // Bands only ever rise with the total, so a different band at a higher total is a
                // higher band, whatever the bands are called.
                entry.bandRose = previous !== null && bandRank(entry) !== bandRank(previous) &&
                    readNumber(entry.total) > readNumber(previous.total);
                previous = entry;
            });
            return entries;
        });
    }

    addEvent({ name, place, date }) {
        const event = { name: name.trim(), place: place.trim(), date, notes: '' };
        if (!event.name)
            return Promise.reject(new LogError('Invalid', 'An event needs a name.'));
        if (event.name.length > kMaxNameLength || event.place.length > kMaxNameLength)
            return Promise.reject(new LogError('Invalid', `An event's name and place take up to ${kMaxNameLength} characters each.`));
        if (!/^\d{4}-\d\d-\d\d$/.test(date ?? ''))
            return Promise.reject(new LogError('Invalid', 'An event needs its date.'));
        const now = new Date();
        event.created = isoWithOffset(Math.floor(now.getTime() / 1000), -now.getTimezoneOffset() * 60);
        return this.write(['events'], transaction => requestResult(transaction.objectStore('events').add(event)));
    }

    addEntry(entry) {
        if (!(entry.at?.utcSeconds > 0))
            return Promise.reject(new LogError('Invalid', 'An entry needs the time it was assessed.'));
        if (entry.referral !== (entry.total === ''))
            return Promise.reject(new LogError('Invalid', 'An entry has either a total or a referral.'));
        if (entry.note.length > kMaxNoteLength || entry.decision.length > kMaxNameLength)
            return Promise.reject(new LogError('Invalid', `A note takes up to ${kMaxNoteLength} characters, a decision up to ${kMaxNameLength}.`));
        const { id: _, number: __, bandRose: ___, ...kept } = entry;
        return this.write(['events', 'entries'], async transaction => {
            if (!(await requestResult(transaction.objectStore('events').get(entry.eventId))))
                throw new LogError('Invalid', `The event log has no event ${entry.eventId}.`);
            return requestResult(transaction.objectStore('entries').add({ ...kept, struck: null }));
        });
    }

    // The one change an entry ever takes: struck out, with the reason and the time, once.
    strikeOut(entryId, reason) {
        const why = reason.trim();
        if (!why)
            return Promise.reject(new LogError('Invalid', 'Striking out an entry needs a reason.'));
        if (why.length > kMaxNoteLength)
            return Promise.reject(new LogError('Invalid', `A reason takes up to ${kMaxNoteLength} characters.`));
        return this.write(['entries'], async transaction => {
            const store = transaction.objectStore('entries');
            const entry = await requestResult(store.get(entryId));
            if (!entry)
                throw new LogError('Invalid', `The event log has no entry ${entryId}.`);
            if (entry.struck)
                throw new LogError('Invalid', 'That entry is struck out already.');
            const now = new Date();
            entry.struck = { reason: why, time: isoWithOffset(Math.floor(now.getTime() / 1000), -now.getTimezoneOffset() * 60) };
            return requestResult(store.put(entry));
        });
    }
}

// Asks the browser to keep the log when space runs short, and says what it answered.
export async function askPersistence() {
    if (!navigator.storage?.persist)
        return 'unsupported';
    try {
        if (await navigator.storage.persisted())
            return 'granted';
        return (await navigator.storage.persist()) ? 'granted' : 'denied';
    } catch {
        return 'denied';
    }
}

// What the browser answered, as far as it can be told without asking again: `asked` is the
// answer kept from an earlier visit.
export async function persistence(asked) {
    if (!navigator.storage?.persisted)
        return 'unsupported';
    try {
        if (await navigator.storage.persisted())
            return 'granted';
    } catch {
        // told as not granted
    }
    return asked === 'denied' || asked === 'granted' ? 'denied' : 'not asked';
}

export function persistenceText(answer) {
    switch (answer) {
    case 'granted':
        return 'The browser keeps this log until the site\'s data is cleared: it granted persistent storage.';
    case 'denied':
        return 'The browser did not grant persistent storage: it may clear this log when the device runs short ' +
            'of space. Export each day as CSV to keep it.';
    case 'unsupported':
        return 'This browser cannot be asked to keep the log: it may clear it when the device runs short of ' +
            'space. Export each day as CSV to keep it.';
    default:
        return 'The log is kept in this browser on this device. Persistent storage is asked for when the first ' +
            'assessment is added.';
    }
}
