// Estimate WBGT, as the desktop's estimator window does: the wet bulb globe temperature from the
// air temperature, the humidity (or dew point), the wind at 2 m and the sun, at a place and local
// time, by the core's model; shown in °F and °C with question 1's option, and "Use in question 1"
// answers it as a click would, with what it was estimated from. Each change reads the fields
// into the model's input (or finds the one field that stops it, marked with the reason), runs the
// model, and shows what came of it.
//
// The page adds what a phone at the venue needs: the place from the browser's location (asked
// only when "Use my location" is pressed) or a name through the place search, and the weather now
// from the forecast service, which fills the fields; everything still works typed by hand,
// offline. The place's time zone is its own (the search's or the service's answer), else the
// device's; a time the clocks skip is read by the desktop's rule.

import { CorePlanner } from './core-plan.js';
import { clockText, dateText, localNumber, parseNumber, quoted } from './format.js';
import { kExamplePlaces, matchedPlace } from './places.js';
import { WeatherClient } from './weather.js';
import { deviceZone, instantOf, offsetAt, wallClock, zoneAbbreviation, zoneKnown } from './zones.js';

const $ = id => document.getElementById(id);
// The hottest air reliably measured outdoors, 54.4 °C, at Death Valley and in Kuwait.
const kHottestAirF = 129.9;
const kSkies = ['Clear', 'PartlyCloudy', 'Overcast'];
const kMeasured = 3;

class Problem {
    constructor(field, reason) {
        this.field = field;
        this.reason = reason;
    }
}

export class Estimator {
    // ui: {useInQuestionOne(option, source)}
    constructor(core, calculator, endpoints, ui) {
        this.core = core;
        this.calculator = calculator;
        this.ui = ui;
        this.client = new WeatherClient(endpoints);
        const wbgt = core.catalogue().find(f => f.key === 'WBGT');
        this.options = wbgt.options;
        // The list: "Choose a place…", the places found (the device's location, a search's
        // matches), the examples, "Another place…".
        this.found = [];
        this.places = kExamplePlaces.map(p => ({ ...p }));
        this.option = null;
        this.source = null;
        this.nowByDefault = true;
        this.fetched = null; // the fields as the weather service filled them, with its time

        for (const id of ['estPlace', 'estLocate', 'estFind', 'estSearch', 'estWhen', 'estLatitude', 'estLongitude',
                          'estOffset', 'estZone', 'estPlaceNote', 'estFetch', 'estCancel', 'estTerrain', 'estWeatherNote',
                          'estAir', 'estAirBeside', 'estHumidityKind', 'estHumidityLabel', 'estHumidity', 'estHumidityUnit',
                          'estHumidityBeside', 'estWind', 'estWindBeside', 'estSky', 'estSolar', 'estSolarBeside', 'estShade',
                          'estResult', 'estBand', 'estWarning', 'estProblem', 'cmdUseInQuestion1', 'estLockNote'])
            this[id] = $(id);
        this.fillPlaces(0);
        this.estOffset.value = localNumber(0 - new Date().getTimezoneOffset() / 60 + 0, 2);
        for (const field of [this.estAir, this.estHumidity, this.estWind, this.estSolar, this.estLatitude, this.estLongitude,
                             this.estOffset])
            field.addEventListener('input', () => this.estimate());
        for (const field of [this.estLatitude, this.estLongitude])
            field.addEventListener('input', () => this.dropWeatherRequest());
        this.estHumidityKind.addEventListener('change', () => this.humidityKindChanged());
        this.estSky.addEventListener('change', () => this.estimate());
        this.estShade.addEventListener('change', () => this.estimate());
        this.estWhen.addEventListener('input', () => {
            this.nowByDefault = false;
            this.estimate();
        });
        this.estPlace.addEventListener('change', () => this.placeChanged());
        this.estLocate.addEventListener('click', () => this.locate());
        this.estSearch.addEventListener('click', () => this.search());
        this.estFind.addEventListener('keydown', event => {
            if (event.key === 'Enter') {
                event.preventDefault();
                this.search();
            }
        });
        this.estFetch.addEventListener('click', () => this.fetchWeather());
        this.estCancel.addEventListener('click', () => {
            this.client.cancel();
            this.setBusy(false);
            this.note(this.estWeatherNote, 'Cancelled.', true);
        });
        this.cmdUseInQuestion1.addEventListener('click', () => this.use());
        calculator.events.addEventListener('lock', () => this.updateUseButton());
        this.placeChanged();
    }

    setEndpoints(endpoints) {
        this.client.setEndpoints(endpoints);
    }

    otherPlace() {
        return 1 + this.found.length + this.places.length;
    }

    placeAt(index) {
        const all = [...this.found, ...this.places];
        return index >= 1 && index <= all.length ? all[index - 1] : null;
    }

    fillPlaces(chosen) {
        const texts = ['Choose a place\u2026', ...this.found.map(p => p.name), ...this.places.map(p => p.name), 'Another place\u2026'];
        this.estPlace.replaceChildren(...texts.map(text => new Option(text)));
        this.estPlace.selectedIndex = chosen;
    }

    // A place found by the location or a search goes first, in place of the last one found.
    addFound(place) {
        this.found = [place];
        this.fillPlaces(1);
        this.placeChanged();
    }

    note(line, text, problem = false) {
        line.textContent = text;
        line.classList.toggle('tool-problem', problem);
        line.hidden = text === '';
    }

    placeZone(index) {
        const place = this.placeAt(index);
        if (place)
            return place.zone;
        const offset = parseNumber(this.estOffset.value);
        return index === this.otherPlace() && offset !== null && Math.abs(offset) <= 14 ? Math.round(offset * 3600) : deviceZone();
    }

    // A change of place drops the weather asked for the place before: it would be another's.
    dropWeatherRequest() {
        if (!this.client.busy)
            return;
        this.client.cancel();
        this.setBusy(false);
        this.note(this.estWeatherNote, 'The place changed: "Get the Weather Now" fetches its weather.', true);
    }

    placeChanged() {
        this.dropWeatherRequest();
        const index = this.estPlace.selectedIndex;
        const other = index === this.otherPlace();
        for (const field of [this.estLatitude, this.estLongitude, this.estOffset])
            field.readOnly = !other;
        const place = this.placeAt(index);
        if (place) {
            this.estLatitude.value = place.latitude.toFixed(2);
            this.estLongitude.value = place.longitude.toFixed(2);
        } else if (index === 0) {
            this.estLatitude.value = '';
            this.estLongitude.value = '';
        }
        if (this.nowByDefault) {
            // Until the user sets a time, it is now, at the place chosen.
            let zone = this.placeZone(index);
            if (!zoneKnown(zone))
                zone = deviceZone();
            const now = wallClock(zone, Math.floor(Date.now() / 1000));
            this.estWhen.value = `${dateText(now)}T${clockText(now)}`;
        }
        this.estimate();
    }

    humidityKindChanged() {
        // Keep the same air moisture when switching between the two ways of giving it.
        const air = parseNumber(this.estAir.value);
        const given = parseNumber(this.estHumidity.value);
        const c = this.core;
        let converted = null;
        const dew = this.estHumidityKind.selectedIndex === 1;
        if (dew) {
            if (air !== null && given !== null && given > 0)
                converted = Math.round(c.celsiusToFahrenheit(c.dewPoint(c.fahrenheitToCelsius(air), given)) * 10) / 10;
            this.estHumidityLabel.textContent = 'Dew point:';
            this.estHumidityUnit.textContent = '\u00b0F';
        } else {
            if (air !== null && given !== null)
                converted = Math.round(c.relativeHumidityFromDewPoint(c.fahrenheitToCelsius(air), c.fahrenheitToCelsius(given)));
            this.estHumidityLabel.textContent = 'Relative humidity:';
            this.estHumidityUnit.textContent = '%';
        }
        this.estHumidity.value = converted === null || !Number.isFinite(converted) ? '' : String(converted);
        this.estimate();
    }

    // What the fields say, ready for the model, or the Problem that stops it.
    read() {
        const c = this.core;
        const take = (field, low, high, what, unit) => {
            const value = parseNumber(field.value);
            if (value === null)
                throw new Problem(field, `give the ${what}`);
            if (value < low || value > high)
                throw new Problem(field, `the ${what} must be ${localNumber(low, 0)} to ${localNumber(high, 0)}${unit}`);
            return value;
        };
        const input = {};
        const airF = take(this.estAir, -40, 140, 'air temperature', ' \u00b0F');
        input.airC = c.fahrenheitToCelsius(airF);
        const dew = this.estHumidityKind.selectedIndex === 1;
        let humidity;
        if (dew) {
            humidity = take(this.estHumidity, -40, 140, 'dew point', ' \u00b0F');
            if (humidity > airF + 1e-9)
                throw new Problem(this.estHumidity, 'the dew point cannot be above the air temperature');
            input.relativeHumidity = Math.min(100, c.relativeHumidityFromDewPoint(input.airC, c.fahrenheitToCelsius(humidity)));
        } else {
            humidity = take(this.estHumidity, 0, 100, 'relative humidity', ' %');
            input.relativeHumidity = humidity;
        }
        const windMph = take(this.estWind, 0, 100, 'wind speed', ' mph');
        input.windMs = c.mphToMetresPerSecond(windMph);
        let solar = 0;
        if (this.estSky.selectedIndex === kMeasured) {
            solar = take(this.estSolar, 0, 1400, 'solar radiation', ' W/m\u00b2');
            input.solarWm2 = solar;
        } else {
            input.sky = kSkies[this.estSky.selectedIndex];
        }
        input.shade = this.estShade.checked;

        const index = this.estPlace.selectedIndex;
        let zone;
        let placeName;
        if (index === 0)
            throw new Problem(this.estPlace, 'choose the place of the event, or "Another place\u2026" to give its coordinates');
        if (index === this.otherPlace()) {
            input.latitude = take(this.estLatitude, -90, 90, 'latitude', '\u00b0');
            input.longitude = take(this.estLongitude, -180, 180, 'longitude', '\u00b0');
            zone = Math.round(take(this.estOffset, -14, 14, 'UTC offset', ' h') * 3600);
            placeName = `${localNumber(input.latitude, 2)}\u00b0, ${localNumber(input.longitude, 2)}\u00b0`;
        } else {
            const place = this.placeAt(index);
            zone = place.zone;
            if (!zoneKnown(zone))
                throw new Problem(this.estPlace, 'this system does not know the time zone of that place; choose ' +
                                  '"Another place\u2026" and give its UTC offset');
            input.latitude = place.latitude;
            input.longitude = place.longitude;
            placeName = place.name;
        }
        const when = /^(\d{4}-\d\d-\d\d)T(\d\d):(\d\d)/.exec(this.estWhen.value);
        if (!when)
            throw new Problem(this.estWhen, 'give the date and local time');
        const minutes = Number(when[2]) * 60 + Number(when[3]);
        const local = instantOf(zone, when[1], minutes);
        const utc = local.utcSeconds;
        const shown = wallClock(zone, utc);
        const whenText = `${dateText(shown)} ${clockText(shown)} ${zoneAbbreviation(zone, utc)}`;
        let note = '';
        if (local.inGap)
            note = `${when[2]}:${when[3]} does not occur there on ${when[1]}: the clocks go forward. ` +
                `Estimated for ${clockText(shown)} ${zoneAbbreviation(zone, utc)}, the same time after the change.`;
        const t = new Date(utc * 1000);
        Object.assign(input, { year: t.getUTCFullYear(), month: t.getUTCMonth() + 1, day: t.getUTCDate(),
                               hour: t.getUTCHours(), minute: t.getUTCMinutes(), second: t.getUTCSeconds() });
        const warnings = [];
        if (airF > kHottestAirF)
            warnings.push('No air this hot has been measured outdoors (the record is about 130 \u00b0F, 54 \u00b0C): check the temperature.');
        if (!c.occursOutdoors(input.airC, input.relativeHumidity))
            warnings.push('Air this humid at this temperature has never been measured (a dew point above 95 \u00b0F, 35 \u00b0C): check the humidity.');
        const humidityText = dew ? `dew point ${localNumber(humidity)} \u00b0F` : `relative humidity ${localNumber(humidity, 0)} %`;
        const sunText = this.estSky.selectedIndex === kMeasured ? `solar radiation ${localNumber(solar, 0)} W/m\u00b2`
            : this.estSky.options[this.estSky.selectedIndex].text.toLowerCase();
        let inputs = `air ${localNumber(airF)} \u00b0F, ${humidityText}, wind ${localNumber(windMph)} mph at 2 m, ${sunText}` +
            `${input.shade ? ', in shade' : ''}; ${placeName}, ${whenText}`;
        if (this.fetched && this.fieldsAsFetched())
            inputs += `; weather from Open-Meteo.com for ${this.fetched.time}`;
        return { input, zone, utc, when: whenText, inputs, note, warnings };
    }

    fieldsAsFetched() {
        const now = this.weatherFields();
        return Object.keys(now).every(key => now[key] === this.fetched.fields[key]);
    }

    weatherFields() {
        return { air: this.estAir.value, kind: this.estHumidityKind.selectedIndex, humidity: this.estHumidity.value,
                 wind: this.estWind.value, sky: this.estSky.selectedIndex, solar: this.estSolar.value };
    }

    estimate() {
        const fields = [this.estAir, this.estHumidity, this.estWind, this.estSolar, this.estPlace, this.estLatitude,
                        this.estLongitude, this.estOffset, this.estWhen];
        for (const field of fields) {
            field.classList.remove('invalid');
            field.removeAttribute('aria-invalid');
            field.title = '';
        }
        for (const beside of [this.estAirBeside, this.estHumidityBeside, this.estWindBeside, this.estSolarBeside]) {
            beside.textContent = '';
            beside.classList.remove('reason');
        }
        this.estProblem.textContent = '';
        this.estWarning.textContent = '';
        this.estSolar.disabled = this.estSky.selectedIndex !== kMeasured;
        const c = this.core;
        // Each number echoed in the other unit while it is a number at all.
        const air = parseNumber(this.estAir.value);
        if (air !== null)
            this.estAirBeside.textContent = `${localNumber(c.fahrenheitToCelsius(air))} \u00b0C`;
        const humidity = parseNumber(this.estHumidity.value);
        if (humidity !== null && this.estHumidityKind.selectedIndex === 1)
            this.estHumidityBeside.textContent = `${localNumber(c.fahrenheitToCelsius(humidity))} \u00b0C`;
        const wind = parseNumber(this.estWind.value);
        if (wind !== null)
            this.estWindBeside.textContent = `${localNumber(c.mphToMetresPerSecond(wind))} m/s`;

        let reading;
        try {
            reading = this.read();
        } catch (problem) {
            if (!(problem instanceof Problem))
                throw problem;
            return this.showNoEstimate(problem.field, problem.reason);
        }
        if (this.estPlace.selectedIndex !== this.otherPlace()) {
            this.estOffset.value = localNumber(offsetAt(reading.zone, reading.utc) / 3600 + 0, 2);
            this.estZone.textContent = typeof reading.zone === 'string' ? `${reading.when.split(' ').pop()} (${reading.zone})` : '';
        } else {
            this.estZone.textContent = '';
        }
        this.showOutcome(reading, c.estimateWbgt(reading.input));
    }

    besideOf(field) {
        return { estAir: this.estAirBeside, estHumidity: this.estHumidityBeside, estWind: this.estWindBeside,
                 estSolar: this.estSolarBeside }[field?.id] ?? null;
    }

    showNoEstimate(field, reason) {
        if (field) {
            field.classList.add('invalid');
            field.setAttribute('aria-invalid', 'true');
            field.title = reason;
            const beside = this.besideOf(field);
            if (beside) {
                beside.textContent = reason;
                beside.classList.add('reason');
            }
        }
        this.estProblem.textContent = `No estimate: ${reason}.`;
        this.estResult.textContent = '\u2014';
        this.estBand.textContent = '';
        this.option = null;
        this.source = null;
        this.updateUseButton();
    }

    // The input a refusal of the model is about; none for a model that did not settle.
    fieldOf(name) {
        return { Time: this.estWhen, Latitude: this.estLatitude, Longitude: this.estLongitude, AirTemperature: this.estAir,
                 RelativeHumidity: this.estHumidity, Wind: this.estWind, Solar: this.estSolar }[name] ?? null;
    }

    showOutcome(reading, outcome) {
        if (outcome.error)
            return this.showNoEstimate(this.fieldOf(outcome.error.field), `the ${outcome.error.fieldName} ${outcome.error.reason}`);
        const f = this.core.celsiusToFahrenheit(outcome.wbgtC);
        const wbgt = `WBGT ${localNumber(f)} \u00b0F (${localNumber(outcome.wbgtC)} \u00b0C)`;
        this.estResult.textContent = wbgt;
        this.option = this.core.wbgtOptionIndex(f);
        const chosen = this.options[this.option];
        this.estBand.textContent = `Question 1: "${chosen.text}", ${chosen.outcome} points`;
        this.estWarning.textContent = [...reading.warnings, reading.note].filter(Boolean).join('\n');
        this.source = { kind: 'Estimated', inputs: `${reading.inputs}: ${wbgt}`, wbgtF: f };
        this.updateUseButton();
    }

    updateUseButton() {
        const locked = this.calculator.wbgtLocked();
        this.cmdUseInQuestion1.disabled = this.option === null || locked;
        this.estLockNote.textContent = locked ? 'Question 1 is not available: the ordinary air temperature is answered ' +
            'instead. "Reset" in the calculator frees it.' : '';
    }

    use() {
        if (this.option !== null && !this.calculator.wbgtLocked())
            this.ui.useInQuestionOne(this.option, this.source);
    }

    // "Use my location": the browser is asked only now, when the user has said so.
    locate() {
        if (!navigator.geolocation) {
            this.note(this.estPlaceNote, 'This browser cannot tell the page where it is: choose or type the place.', true);
            return;
        }
        this.note(this.estPlaceNote, 'Asking the browser where this device is\u2026');
        navigator.geolocation.getCurrentPosition(position => {
            const latitude = Math.round(position.coords.latitude * 1e4) / 1e4;
            const longitude = Math.round(position.coords.longitude * 1e4) / 1e4;
            this.note(this.estPlaceNote, '');
            // The device is at the place: its own zone is the place's until the weather service
            // names one.
            this.addFound({ name: `My location (${localNumber(latitude, 4)}\u00b0, ${localNumber(longitude, 4)}\u00b0)`,
                            latitude, longitude, zone: deviceZone() });
        }, error => {
            const why = {
                1: 'The browser was not allowed to tell the page where it is: allow location for this page in the ' +
                   "browser's settings, or choose or type the place.",
                2: 'The browser could not find where it is: choose or type the place.',
                3: 'The browser took too long to find where it is: try again, or choose or type the place.',
            }[error.code] ?? `The browser could not tell where it is (${error.message}): choose or type the place.`;
            this.note(this.estPlaceNote, why, true);
        }, { enableHighAccuracy: false, timeout: 20000, maximumAge: 10 * 60000 });
    }

    setBusy(busy) {
        this.estCancel.disabled = !busy;
        this.estFetch.disabled = busy;
        this.estSearch.disabled = busy;
        if (busy)
            this.estCancel.focus();
        else if (document.activeElement === this.estCancel)
            this.estFetch.focus();
    }

    async search() {
        const name = this.estFind.value.trim();
        if (name.length < 2) {
            this.note(this.estPlaceNote, "Type at least two letters of the place's name.", true);
            return;
        }
        this.note(this.estPlaceNote, `Searching for "${quoted(name)}"\u2026`);
        this.setBusy(true);
        const outcome = await this.client.searchPlaces(name);
        if (outcome === null)
            return;
        this.setBusy(false);
        if (outcome.failure)
            return this.note(this.estPlaceNote, outcome.failure.message, true);
        if (outcome.places.length === 0)
            return this.note(this.estPlaceNote, `No place called "${quoted(name)}" was found.`, true);
        this.note(this.estPlaceNote, '');
        this.addFound(matchedPlace(outcome.places[0]));
    }

    // The weather now at the place, from the forecast service, into the fields.
    async fetchWeather() {
        // A place's own coordinates, not the fields' two decimals; typed ones as typed.
        const index = this.estPlace.selectedIndex;
        const chosen = this.placeAt(index);
        const latitude = chosen ? chosen.latitude : parseNumber(this.estLatitude.value);
        const longitude = chosen ? chosen.longitude : parseNumber(this.estLongitude.value);
        if (index === 0 || latitude === null || longitude === null) {
            this.note(this.estWeatherNote, 'Choose the place first: the weather is asked for its coordinates.', true);
            return;
        }
        this.note(this.estWeatherNote, 'Fetching the weather now\u2026');
        this.setBusy(true);
        const outcome = await this.client.fetchCurrent(latitude, longitude);
        if (outcome === null)
            return; // cancelled, or dropped for a change of place
        this.setBusy(false);
        // Shown only for the place it was asked for: compared, not trusted to a flag.
        if (this.estPlace.selectedIndex !== index || this.placeAt(index) !== chosen ||
            (!chosen && (parseNumber(this.estLatitude.value) !== latitude || parseNumber(this.estLongitude.value) !== longitude))) {
            this.note(this.estWeatherNote, 'The weather that came was for another place than the one now set: ' +
                      '"Get the Weather Now" fetches this one.', true);
            return;
        }
        if (outcome.failure)
            return this.note(this.estWeatherNote, outcome.failure.message, true);
        const now = outcome.current;
        const hour = now.hour;
        const c = this.core;
        // The zone from the service's answer, for a place that had only the device's.
        const place = this.placeAt(index);
        if (place && this.found.includes(place) && zoneKnown(now.timeZone))
            place.zone = now.timeZone;
        if (index === this.otherPlace() && now.utcOffsetSeconds !== null)
            this.estOffset.value = localNumber(now.utcOffsetSeconds / 3600, 2);
        const missing = [];
        const put = (field, value, name) => {
            if (value === null)
                missing.push(name);
            else
                field.value = String(value);
        };
        const tenth = v => Math.round(v * 10) / 10;
        put(this.estAir, hour.airC === null ? null : tenth(c.celsiusToFahrenheit(hour.airC)), 'air temperature');
        if (hour.relativeHumidity !== null)
            this.estHumidityKind.selectedIndex = 0;
        this.estHumidityLabel.textContent = this.estHumidityKind.selectedIndex === 1 ? 'Dew point:' : 'Relative humidity:';
        this.estHumidityUnit.textContent = this.estHumidityKind.selectedIndex === 1 ? '\u00b0F' : '%';
        put(this.estHumidity, hour.relativeHumidity === null ? null : Math.round(hour.relativeHumidity), 'relative humidity');
        // The service gives the wind at 10 m: brought down to 2 m as the planner does, by the
        // core's plan of that one hour. The other values do not change the wind; where the
        // service left one out, any stands in for it.
        let windNote = '';
        if (hour.wind10mMs !== null && hour.solarWm2 !== null) {
            const terrain = this.estTerrain.selectedIndex === 1 ? 'Urban' : 'Rural';
            const planned = new CorePlanner(c).plan({ hours: [{ ...hour, airC: hour.airC ?? 20, relativeHumidity: hour.relativeHumidity ?? 50,
                                                       pressureHpa: hour.pressureHpa ?? 1013.25 }],
                                             latitude: now.latitude, longitude: now.longitude, terrain }).hours[0];
            if (planned.wind2mMs !== undefined) {
                this.estWind.value = String(tenth(c.metresPerSecondToMph(planned.wind2mMs)));
                windNote = `, the wind brought down from ${localNumber(c.metresPerSecondToMph(hour.wind10mMs))} mph at 10 m ` +
                    `(${terrain === 'Urban' ? 'town' : 'open country'})`;
            } else {
                missing.push('wind speed');
            }
        } else {
            missing.push('wind speed');
        }
        if (hour.solarWm2 !== null) {
            this.estSky.selectedIndex = kMeasured;
            this.estSolar.value = String(Math.round(hour.solarWm2));
        } else {
            missing.push('solar radiation');
        }
        // The time of the values, at the place.
        const zone = zoneKnown(now.timeZone) ? now.timeZone : this.placeZone(index);
        const local = wallClock(zone, hour.utcSeconds);
        this.estWhen.value = `${dateText(local)}T${clockText(local)}`;
        this.nowByDefault = false;
        const time = `${dateText(local)} ${clockText(local)} ${zoneAbbreviation(zone, hour.utcSeconds)}`;
        this.fetched = { fields: this.weatherFields(), time };
        let text = `The weather at ${time} from Open-Meteo.com${windNote}. Weather data by Open-Meteo.com.`;
        if (missing.length)
            text += ` The service gave no ${missing.join(', ')}: typed values are kept for ${missing.length === 1 ? 'it' : 'them'}.`;
        this.note(this.estWeatherNote, text);
        this.estimate();
    }
}

