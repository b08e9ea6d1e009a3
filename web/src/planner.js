// Plan the Event Day, as the desktop's planner window does: for a place and a date up to 15 days
// ahead, the hourly forecast through the core's plan (the WBGT model with the wind brought down
// to 2 m, question 1's option and question 8's for each hour, the ceiling's levels, and with the
// calculator's other answers the total and band), the day on a chart with the event's hours, the
// table, what the event comes to, the coolest start in daylight, and "use this hour" for question
// 1. A forecast is shown only under the place and date it was asked for, compared with the fields
// when it comes; a change of place or date drops the request in flight, and a failure or a change
// leaves nothing of an earlier plan on screen.

import { drawChart } from './chart.js';
import { CorePlanner } from './core-plan.js';
import { addDays, clockText, dateText, localNumber, parseNumber, quoted } from './format.js';
import { kExamplePlaces, matchedPlace } from './places.js';
import { Column, HourNames, PlanWords, coolestSpan, coolestStartSentence, coveredRange, dayChart,
         eventMinutes, eventSentence, gapsSentence, hourRow, kHourHeader, kOpenMeteoCredit } from './plan-view.js';
import { zoneText } from './record.js';
import { WeatherClient, isUnencrypted } from './weather.js';
import { daylightSaving, deviceZone, instantOf, todayAt, wallClock, zoneAbbreviation, zoneKnown } from './zones.js';

// How far ahead Open-Meteo forecasts.
const kForecastDays = 15;
const $ = id => document.getElementById(id);
const escapes = { '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' };
// The rows the planner's table shows at once; a one-day plan is all of them.
const kRowsAtOnce = 36;
const esc = text => String(text).replace(/[&<>"]/g, c => escapes[c]);

export class Planner {
    // The planner made in this page, for the benchmark that times it (web/bench/tools.mjs).
    static opened = null;

    // calculator: the page's Calculator; endpoints: the weather service's addresses;
    // ui: {useInQuestionOne(option, source)}
    constructor(core, calculator, endpoints, ui) {
        Planner.opened = this;
        this.core = core;
        this.calculator = calculator;
        this.ui = ui;
        this.words = new PlanWords(core);
        this.corePlanner = new CorePlanner(core);
        this.tableFilling = 0; // counts the table's fillings, so that an older one stops
        this.client = new WeatherClient(endpoints);
        this.places = [...kExamplePlaces.map(p => ({ ...p })), { name: 'Coordinates', latitude: 0, longitude: 0, zone: '' }];
        this.matches = 0; // of the places, the last search's, at the head of the list
        this.asked = null; // the forecast in flight: {latitude, longitude, date}
        this.forecast = null;
        this.forecastPlace = '';
        this.fetchedAt = null;
        this.zone = 0;
        this.plan = [];
        this.result = null;

        for (const id of ['txtFind', 'cmdSearch', 'cboPlace', 'txtLatitude', 'txtLongitude', 'lblZone', 'dtDate',
                          'tmStart', 'tmEnd', 'cboTerrain', 'cmdGetForecast', 'cmdCancel', 'progress', 'lblNotice',
                          'lblProblem', 'chtForecast', 'tblHours', 'lblGaps', 'lblEvent', 'lblCoolest', 'chkAnyHour',
                          'lblAnswers', 'cmdUseHour', 'lblLock'])
            this[id] = $(id);
        const head = this.tblHours.createTHead().insertRow();
        for (const caption of kHourHeader) {
            const th = document.createElement('th');
            th.scope = 'col';
            th.textContent = caption;
            head.append(th);
        }
        this.tblHours.title = "Totals with the calculator's other answers as they stand, and each hour's own time of " +
            'day for question 8.';
        this.fillPlaces();
        this.dtDate.value = todayAt(deviceZone());
        // The browser runs the core's code slowly the first few times and compiles it better
        // once it is busy: a first plan took three times as long as the next. A plan of made-up
        // days runs while the user picks a place and the forecast is on its way, so the real one
        // comes at the later speed.
        const idle = window.requestIdleCallback ?? (work => setTimeout(work, 50));
        idle(() => this.warmUp(), { timeout: 2000 });
        this.cmdSearch.addEventListener('click', () => this.search());
        this.txtFind.addEventListener('keydown', event => {
            if (event.key === 'Enter') {
                event.preventDefault();
                this.search();
            }
        });
        this.cboPlace.addEventListener('change', () => this.placeChanged());
        for (const field of [this.txtLatitude, this.txtLongitude])
            field.addEventListener('input', () => this.coordinatesTyped());
        // A date picker may tell of a new date by either event: each drops what was for the old.
        this.dtDate.addEventListener('input', () => this.dateChanged());
        this.dtDate.addEventListener('change', () => this.dateChanged());
        for (const time of [this.tmStart, this.tmEnd])
            time.addEventListener('change', () => this.showPlan());
        this.chkAnyHour.addEventListener('change', () => this.showPlan());
        this.cboTerrain.addEventListener('change', () => this.showPlan());
        this.cmdGetForecast.addEventListener('click', () => this.getForecast());
        this.cmdCancel.addEventListener('click', () => this.cancel());
        this.tblHours.addEventListener('change', () => this.updateUseButton());
        this.cmdUseHour.addEventListener('click', () => this.useHour());
        calculator.events.addEventListener('answers', () => this.showPlan());
        calculator.events.addEventListener('lock', () => this.updateUseButton());
        this.placeChanged();
        this.updateNotice();
    }

    setEndpoints(endpoints) {
        this.client.setEndpoints(endpoints);
        this.updateNotice();
    }

    updateNotice() {
        let notice = 'Only the coordinates and the date go to Open-Meteo (a name typed, to find a place), with your ' +
            'network address; its free service is for non-commercial use.';
        const e = this.client.endpoints;
        if (isUnencrypted(e.forecast) || isUnencrypted(e.geocoding))
            notice += ' The weather service set here is reached unencrypted (http).';
        this.lblNotice.textContent = notice;
    }

    fillPlaces() {
        const chosen = this.cboPlace.selectedIndex;
        const texts = ['Choose a place\u2026', ...this.places.slice(0, -1).map(p => p.name), 'Coordinates typed below'];
        this.cboPlace.replaceChildren(...texts.map(text => new Option(text)));
        this.cboPlace.selectedIndex = Math.max(0, chosen);
    }

    setProblem(text) {
        this.lblProblem.textContent = text;
        this.lblProblem.hidden = text === '';
    }

    typedIndex() {
        return this.places.length; // the last entry: coordinates typed
    }

    // The place's own zone where it is known, else the device's.
    placeZone() {
        const index = this.cboPlace.selectedIndex;
        const zone = index >= 1 && index <= this.places.length ? this.places[index - 1].zone : '';
        return zoneKnown(zone) ? zone : deviceZone();
    }

    // The dates the forecast reaches from the place's own today: east of the place the device
    // is a day ahead.
    forecastDates() {
        const today = todayAt(this.placeZone());
        return [today, addDays(today, kForecastDays)];
    }

    fieldsRequest() {
        const latitude = parseNumber(this.txtLatitude.value);
        const longitude = parseNumber(this.txtLongitude.value);
        if (this.cboPlace.selectedIndex === 0 || latitude === null || longitude === null || !this.dtDate.value)
            return null;
        return { latitude, longitude, date: this.dtDate.value };
    }

    // A change of place or date: the request in flight is dropped and no plan stays.
    invalidate(why) {
        if (this.asked) {
            this.client.cancel(); // its answer would be for another place or day
            this.asked = null;
            this.setBusy(false);
        }
        this.clearPlan(why);
    }

    placeChanged() {
        const index = this.cboPlace.selectedIndex;
        const typed = index === this.typedIndex();
        if (index >= 1 && !typed) {
            const place = this.places[index - 1];
            this.txtLatitude.value = place.latitude.toFixed(4);
            this.txtLongitude.value = place.longitude.toFixed(4);
        } else if (index === 0) {
            this.txtLatitude.value = '';
            this.txtLongitude.value = '';
        }
        const zone = index >= 1 && !typed ? this.places[index - 1].zone : '';
        this.lblZone.textContent = zone ? `local time (${quoted(zone)})` : 'local time';
        this.invalidate(index === 0 ? 'Choose a place, then "Get Forecast".'
            : `"Get Forecast" fetches the forecast for ${this.cboPlace.options[index].text}.`);
        // The place's own today may be later than the device's: the date follows it.
        const [first] = this.forecastDates();
        if (!this.dtDate.value || this.dtDate.value < first)
            this.dtDate.value = first;
        this.dateChanged();
    }

    coordinatesTyped() {
        // Typing coordinates chooses them: the list follows what was typed.
        if (this.cboPlace.selectedIndex !== this.typedIndex()) {
            this.cboPlace.selectedIndex = this.typedIndex();
            this.lblZone.textContent = 'local time';
        }
        this.invalidate('The place changed: "Get Forecast" fetches its forecast.');
    }

    dateChanged() {
        const [first, last] = this.forecastDates();
        const date = this.dtDate.value;
        const reached = date >= first && date <= last;
        this.cmdGetForecast.disabled = !reached || this.client.busy;
        if (!reached) {
            this.invalidate(`The forecast reaches from ${first} to ${last} (the place's own dates): choose a date in that range.`);
            this.cmdGetForecast.disabled = true;
        } else if (this.forecast || this.asked) {
            this.invalidate('The date changed: "Get Forecast" fetches its forecast.');
        }
    }

    setBusy(busy) {
        const [first, last] = this.forecastDates();
        const fetchable = this.dtDate.value >= first && this.dtDate.value <= last;
        // The focus moves before the button that holds it is turned off.
        if (busy) {
            this.cmdCancel.disabled = false;
            this.cmdCancel.focus();
        } else if (document.activeElement === this.cmdCancel) {
            (fetchable ? this.cmdGetForecast : this.txtFind).focus();
        }
        this.progress.hidden = !busy;
        this.cmdCancel.disabled = !busy;
        this.cmdSearch.disabled = busy;
        this.cmdGetForecast.disabled = busy || !fetchable;
    }

    async search() {
        const name = this.txtFind.value.trim();
        if (name.length < 2) {
            this.setProblem("Type at least two letters of the place's name.");
            return;
        }
        this.invalidate(`Searching for "${quoted(name)}"\u2026`);
        this.setBusy(true);
        const outcome = await this.client.searchPlaces(name);
        if (outcome === null)
            return; // dropped for a later request
        this.setBusy(false);
        if (outcome.failure)
            return this.failed(outcome.failure);
        if (outcome.places.length === 0) {
            this.setProblem(`No place called "${quoted(name)}" was found.`);
            return;
        }
        // The matches go first, before the examples, in the order the service ranks them, and in
        // place of the last search's.
        this.places.splice(0, this.matches, ...outcome.places.map(matchedPlace));
        this.matches = outcome.places.length;
        this.fillPlaces();
        this.cboPlace.selectedIndex = 1;
        this.placeChanged();
        this.cboPlace.focus();
    }

    async getForecast() {
        const request = this.fieldsRequest();
        if (!request) {
            this.setProblem('Choose a place, or type its latitude and longitude.');
            return;
        }
        if (Math.abs(request.latitude) > 90 || Math.abs(request.longitude) > 180) {
            this.setProblem('The latitude must be -90 to 90 and the longitude -180 to 180.');
            return;
        }
        const [first, last] = this.forecastDates();
        if (request.date < first || request.date > last)
            return this.dateChanged();
        this.clearPlan('');
        this.setProblem('Fetching the forecast\u2026');
        this.forecastPlace = this.cboPlace.selectedIndex === this.typedIndex()
            ? `${localNumber(request.latitude, 4)}\u00b0, ${localNumber(request.longitude, 4)}\u00b0`
            : this.cboPlace.options[this.cboPlace.selectedIndex].text;
        this.asked = request;
        this.setBusy(true);
        // The dates are the place's own: the service reads them in its local time zone.
        const outcome = await this.client.fetchForecast(request.latitude, request.longitude, request.date, request.date);
        if (outcome === null)
            return; // dropped: a change of place or date, Cancel, or a later request
        if (outcome.failure)
            return this.failed(outcome.failure);
        this.showForecast(outcome.forecast);
    }

    cancel() {
        this.client.cancel();
        this.asked = null;
        this.setBusy(false);
        this.setProblem('Cancelled.');
    }

    failed(failure) {
        const fetching = this.asked !== null;
        this.asked = null;
        this.setBusy(false);
        if (fetching)
            this.cmdGetForecast.focus(); // to try again
        this.clearPlan('');
        this.setProblem(failure.message);
    }

    // Shows a forecast as if the service had just sent it for the request in flight.
    showForecast(forecast) {
        // Shown only under the fields it was asked for: compared, not trusted to a flag.
        const request = this.fieldsRequest();
        const asked = this.asked;
        this.asked = null;
        this.setBusy(false);
        if (!asked || !request || asked.latitude !== request.latitude || asked.longitude !== request.longitude ||
            asked.date !== request.date) {
            this.clearPlan('The forecast that came was for another place or date than the one now set: ' +
                           '"Get Forecast" fetches this one.');
            return;
        }
        this.setProblem('');
        this.fetchedAt = new Date();
        // Local times through the named zone, which knows each daylight-saving change; a single
        // offset would be wrong on the far side of one.
        const known = zoneKnown(forecast.timeZone);
        this.zone = known ? forecast.timeZone : 0;
        if (!known)
            this.setProblem(`This system does not know the time zone "${quoted(forecast.timeZone)}" of the forecast: times are shown in UTC.`);
        for (const hour of forecast.hours) {
            const local = wallClock(this.zone, hour.utcSeconds);
            hour.localMinutes = local.hour * 60 + local.minute;
            hour.daylightSaving = daylightSaving(this.zone, hour.utcSeconds);
        }
        this.forecast = forecast;
        this.lblZone.textContent = `local time (${typeof this.zone === 'number' ? 'UTC' : this.zone})`;
        this.showPlan();
        this.tblHours.closest('.table-box')?.focus();
    }

    warmUp() {
        const hours = Array.from({ length: 96 }, (_, i) => {
            const hour = i % 24;
            return { utcSeconds: 1782864000 + i * 3600, airC: 20 + hour / 2, relativeHumidity: 50, wind10mMs: 3,
                     solarWm2: hour >= 6 && hour <= 18 ? 600 : 0, pressureHpa: 1013, localMinutes: hour * 60,
                     daylightSaving: false };
        });
        this.corePlanner.plan({ hours, latitude: 30, longitude: 0, terrain: 'Rural', answers: this.calculator.boxTexts(),
                                event: { minutes: 120, dayStartUtc: hours[0].utcSeconds, dayEndUtc: hours[24].utcSeconds },
                                eventHours: { first: 10, count: 2 } });
    }

    // The chosen day and the event's hours on it, in UTC seconds, and the place's zone.
    daySpan() {
        const date = this.dtDate.value;
        const minutes = time => {
            const [h, m] = (time || '00:00').split(':').map(Number);
            return h * 60 + m;
        };
        const at = (d, m) => instantOf(this.zone, d, m).utcSeconds;
        return { zone: this.zone, dayStart: at(date, 0), dayEnd: at(addDays(date, 1), 0),
                 eventStart: at(date, minutes(this.tmStart.value)), eventEnd: at(date, minutes(this.tmEnd.value)),
                 latitude: this.forecast?.latitude ?? 0, longitude: this.forecast?.longitude ?? 0,
                 anyHour: this.chkAnyHour.checked };
    }

    // The plan through the core, with the calculator's answers as they stand, the event's hours
    // and the span its coolest start is looked for in.
    computePlan(day) {
        const hours = this.forecast.hours;
        const eventHours = coveredRange(hours, day.eventStart, day.eventEnd);
        const span = coolestSpan(this.words, day);
        const minutes = eventMinutes(day);
        const result = this.corePlanner.plan({
            hours, latitude: this.forecast.latitude, longitude: this.forecast.longitude,
            terrain: this.cboTerrain.selectedIndex === 1 ? 'Urban' : 'Rural',
            answers: this.calculator.boxTexts(),
            event: minutes > 0 && !span.sentence ? { minutes, dayStartUtc: span.from, dayEndUtc: span.to } : null,
            eventHours: eventHours.count > 0 ? eventHours : null,
        });
        result.hours.forEach((hour, i) => { hour.weather = hours[i]; });
        return { result, span };
    }

    showPlan() {
        if (!this.forecast)
            return;
        const day = this.daySpan();
        const { result, span } = this.computePlan(day);
        this.result = result;
        this.plan = result.hours;
        const names = new HourNames(this.plan, this.zone);
        drawChart(this.chtForecast, dayChart(this.words, this.plan, day),
                  `WBGT over the day, with question 1's options behind it. ${kOpenMeteoCredit}`);
        this.fillTable(day, names);
        const answersGiven = result.missingAnswer === null;
        const gaps = gapsSentence(this.plan, names);
        this.lblGaps.textContent = gaps;
        this.lblGaps.hidden = gaps === '';
        this.lblEvent.textContent = eventSentence(this.words, this.plan, day, result.eventOutcome, answersGiven);
        this.lblCoolest.textContent = coolestStartSentence(this.words, this.plan, day, span, result.coolest, names, answersGiven);
        // Said only while the totals are missing.
        this.lblAnswers.textContent = answersGiven ? ''
            : `No totals yet: answer the calculator's other questions (${result.missingAnswer})`;
        this.lblAnswers.hidden = answersGiven;
        this.updateUseButton();
    }

    // The table's rows in time order, a day and a half's at once and the rest a batch a frame:
    // a sixteen-day forecast's 384 rows take a phone most of a second to lay out, and the chart
    // and the sentences above them should not wait for that. A newer plan or a cleared one
    // stops the batches of an older one.
    fillTable(day, names) {
        const chosen = this.tblHours.querySelector('input[name="hour"]:checked')?.value;
        const body = this.tblHours.tBodies[0];
        const plan = this.plan;
        const filling = ++this.tableFilling;
        const rowHtml = (hour, r) => {
            const row = hourRow(this.words, hour, day, names);
            const cells = row.cells.map((cell, c) => {
                let cls = '';
                if (c === Column.Option && row.option >= 0)
                    cls = `shade-${row.option}`;
                else if (c === Column.Ceiling && row.ceiling)
                    cls = 'band-3';
                else if (c === Column.Outcome && row.rank >= 0)
                    cls = `band-${row.rank}`;
                if (c === Column.Time)
                    return `<th scope="row"><label><input type="radio" name="hour" value="${r}"${String(r) === chosen ? ' checked' : ''}> ${esc(cell)}</label></th>`;
                return `<td${cls ? ` class="${cls}"` : ''}>${esc(cell)}</td>`;
            });
            const title = row.gap ? ` title="${esc(`No value: ${row.gap}`)}"` : '';
            return `<tr${row.inEvent ? ' class="in-event"' : ''}${title}>${cells.join('')}</tr>`;
        };
        const batch = from => plan.slice(from, from + kRowsAtOnce).map((hour, i) => rowHtml(hour, from + i)).join('');
        body.innerHTML = batch(0);
        this.tblHours.toggleAttribute('aria-busy', plan.length > kRowsAtOnce);
        const more = from => {
            if (filling !== this.tableFilling)
                return;
            body.insertAdjacentHTML('beforeend', batch(from));
            if (from + kRowsAtOnce < plan.length)
                requestAnimationFrame(() => more(from + kRowsAtOnce));
            else
                this.tblHours.removeAttribute('aria-busy');
        };
        if (plan.length > kRowsAtOnce)
            requestAnimationFrame(() => more(kRowsAtOnce));
    }

    clearPlan(why) {
        this.forecast = null;
        this.plan = [];
        this.result = null;
        ++this.tableFilling;
        this.tblHours.tBodies[0].replaceChildren();
        this.tblHours.removeAttribute('aria-busy');
        this.chtForecast.chartModel = null;
        this.chtForecast.replaceChildren();
        for (const label of [this.lblGaps, this.lblEvent, this.lblCoolest, this.lblAnswers])
            label.textContent = '';
        this.lblGaps.hidden = true;
        this.lblAnswers.hidden = true;
        this.setProblem(why);
        this.updateUseButton();
    }

    chosenHour() {
        const radio = this.tblHours.querySelector('input[name="hour"]:checked');
        return radio ? this.plan[Number(radio.value)] ?? null : null;
    }

    updateUseButton() {
        const locked = this.calculator.wbgtLocked();
        const hour = this.chosenHour();
        const hasValue = hour !== null && hour.wbgtF !== undefined;
        this.cmdUseHour.disabled = !hasValue || locked;
        this.lblLock.textContent = locked
            ? 'Question 1 is not available: the ordinary air temperature answers it. "Reset" frees it.'
            : this.plan.length === 0 || hasValue ? '' : 'Choose an hour with a WBGT.';
    }

    // What the hour's answer was worked out from, for the record and the log.
    hourInputs(hour) {
        const w = hour.weather;
        const local = wallClock(this.zone, w.utcSeconds);
        const fetched = this.fetchedAt;
        const two = n => String(n).padStart(2, '0');
        const fetchedText = `${fetched.getFullYear()}-${two(fetched.getMonth() + 1)}-${two(fetched.getDate())} ` +
            `${two(fetched.getHours())}:${two(fetched.getMinutes())}`;
        const c = this.core;
        return `${this.forecastPlace}, ${dateText(local)} ${clockText(local)} ${zoneAbbreviation(this.zone, w.utcSeconds)} ` +
            `(fetched ${fetchedText} ${zoneText(fetched)}): air ${localNumber(c.celsiusToFahrenheit(w.airC))} \u00b0F, ` +
            `relative humidity ${localNumber(w.relativeHumidity, 0)} %, wind ${localNumber(c.metresPerSecondToMph(hour.wind2mMs))} ` +
            `mph at 2 m (${localNumber(c.metresPerSecondToMph(w.wind10mMs))} mph at 10 m, ` +
            `${this.cboTerrain.selectedIndex === 1 ? 'urban' : 'rural'}), sun ${localNumber(w.solarWm2, 0)} W/m\u00b2: ` +
            `WBGT ${localNumber(hour.wbgtF)} \u00b0F (${localNumber(hour.wbgtC)} \u00b0C)`;
    }

    useHour() {
        const hour = this.chosenHour();
        if (this.calculator.wbgtLocked() || !hour || hour.wbgtF === undefined)
            return;
        this.ui.useInQuestionOne(hour.option, { kind: 'Forecast', inputs: this.hourInputs(hour), wbgtF: hour.wbgtF });
    }

    // The place and date set, for a new event in the log; no place while none is chosen.
    placeAndDate() {
        const index = this.cboPlace.selectedIndex;
        if (index === 0)
            return { place: '', date: '' };
        return { place: index === this.typedIndex() ? this.forecastPlace : this.cboPlace.options[index].text,
                 date: this.dtDate.value };
    }
}
