// "Remind Me to Re-assess", as the desktop's keeper does it: after 15, 30 or 60 minutes, or every
// 30 minutes until cancelled, a message naming the event and the last assessment's time. It
// comes as a notification where the user allowed the page to send them, and on the page in any
// case. A page cannot wake itself: the reminder works only while the page is open, and a phone
// that froze the page in the background shows it as soon as the page is looked at again.

import { clockText, clockAtOffset } from './format.js';

let minuteMs = 60000;
// Shortens the reminder for tests: each minute lasts this many milliseconds.
export function setMinuteLength(ms) {
    minuteMs = ms;
}

export class Reminder {
    // ui: {setStatus(text), showMessage(text), text() → Promise<string>, changed(on)}
    constructor(ui) {
        this.ui = ui;
        this.due = null; // ms since the epoch
        this.every = 0; // minutes, when it repeats
        this.timer = 0;
        // Timers of a page in the background are slowed or stopped: looked at again, a reminder
        // that came due meanwhile shows at once.
        document.addEventListener('visibilitychange', () => {
            if (document.visibilityState === 'visible' && this.due !== null && Date.now() >= this.due)
                this.remind();
        });
    }

    get active() {
        return this.due !== null;
    }

    // Whether it will come as a notification as well.
    async allowNotifications() {
        if (typeof Notification === 'undefined')
            return false;
        if (Notification.permission === 'default') {
            try {
                await Notification.requestPermission();
            } catch {
                return false;
            }
        }
        return Notification.permission === 'granted';
    }

    async remindIn(minutes, repeat = false) {
        const notified = await this.allowNotifications();
        this.every = repeat ? minutes : 0;
        this.schedule(minutes);
        const at = new Date(this.due);
        const time = clockText(clockAtOffset(Math.floor(this.due / 1000), -at.getTimezoneOffset() * 60));
        this.ui.setStatus(`Reminder to re-assess at ${time}${repeat ? `, then every ${minutes} minutes` : ''}. ` +
                          'It works only while this page is open' +
                          (notified ? ', and comes as a notification too.' : ', and shows here: notifications are not allowed.'));
        this.ui.changed(true);
    }

    schedule(minutes) {
        clearTimeout(this.timer);
        this.due = Date.now() + minutes * minuteMs;
        this.timer = setTimeout(() => this.remind(), minutes * minuteMs);
    }

    cancel() {
        clearTimeout(this.timer);
        this.due = null;
        this.ui.setStatus('Reminder cancelled.');
        this.ui.changed(false);
    }

    async remind() {
        clearTimeout(this.timer);
        if (this.every > 0) {
            this.schedule(this.every);
        } else {
            this.due = null;
            this.ui.changed(false);
        }
        const text = await this.ui.text();
        if (typeof Notification !== 'undefined' && Notification.permission === 'granted') {
            const options = { body: text, tag: 'orvane-reminder', icon: 'icons/icon-192.png' };
            try {
                // A phone's browser shows a page's notifications only through its worker.
                const registration = await navigator.serviceWorker?.getRegistration();
                if (registration)
                    await registration.showNotification('Solvane Calculator \u00b0F', options);
                else
                    new Notification('Solvane Calculator \u00b0F', options);
            } catch {
                // the page's own message below is the reminder then
            }
        }
        this.ui.showMessage(text);
    }
}
