// The core's forecast plan for the page: the hours packed into numbers for the binding's one
// call (planForecast, whose layout the core itself names), and its answer unpacked into an object
// an hour, with each option's text and points, each level's rule and each band read from the
// core's catalogue. Nothing is judged here: every number and text is the core's.
//
// An hour in: {utcSeconds, airC, relativeHumidity, wind10mMs, solarWm2, pressureHpa,
//              localMinutes?, daylightSaving?}, null for a value the forecast left out.
// An hour out: {utcSeconds, sunElevationDeg, timeOption, and either stability, wind2mMs, wbgtC,
//               wbgtF, option, optionText, points, ceilingLevel, ceilingName, or
//               gap: {missing, field, reason}; outcome: null | {outcome: 'Scored', total,
//               display, band} | {outcome: 'MedicalReferral'}}

export class CorePlanner {
    constructor(core) {
        this.core = core;
        this.layout = core.planLayout();
        this.at = Object.fromEntries(this.layout.output.map((name, i) => [name, i]));
        const wbgt = core.catalogue().find(f => f.key === 'WBGT');
        this.options = wbgt.options;
        this.rules = core.ceilingRules();
        this.bands = new Map(core.bands().map(band => [band.rank, band]));
    }

    // request: {hours, latitude, longitude, terrain, answers?, event?, eventHours?}
    // → {hours, missingAnswer, eventOutcome, coolest}
    plan(request) {
        const fields = this.layout.input;
        const width = fields.length;
        const packed = new Float64Array(request.hours.length * width);
        request.hours.forEach((hour, i) => {
            for (let f = 0; f < width; ++f) {
                const v = hour[fields[f]];
                packed[i * width + f] = typeof v === 'number' ? v : typeof v === 'boolean' ? Number(v) : NaN;
            }
            if (hour.localMinutes === undefined)
                packed[i * width + fields.indexOf('localMinutes')] = -1;
        });
        const result = this.core.planForecast({ ...request, hours: packed });
        const n = this.layout.output.length;
        const at = this.at;
        const numbers = result.numbers;
        const reasons = result.gapReasons.split(this.layout.separator);
        const displays = result.displays.split(this.layout.separator);
        const hours = request.hours.map((given, i) => {
            const v = k => numbers[i * n + at[k]];
            const hour = { utcSeconds: given.utcSeconds, sunElevationDeg: v('sunElevationDeg'), timeOption: v('timeOption') };
            if (v('stability') >= 0) {
                const option = this.options[v('option')];
                const rule = this.rules[v('ceiling') - 1];
                Object.assign(hour, {
                    stability: 'ABCDEF'[v('stability')], wind2mMs: v('wind2mMs'), wbgtC: v('wbgtC'), wbgtF: v('wbgtF'),
                    option: v('option'), optionText: option.text, points: option.outcome,
                    ceilingLevel: rule ? rule.level : 'none', ceilingName: rule ? rule.name : null,
                });
            } else {
                hour.gap = { missing: v('gapMissing') === 1, field: this.layout.fields[v('gapField')], reason: reasons[i] };
            }
            const outcome = v('outcome');
            hour.outcome = outcome === 1
                ? { outcome: 'Scored', total: v('total'), display: displays[i], band: this.bands.get(v('bandRank')) ?? null }
                : outcome === 2 ? { outcome: 'MedicalReferral' } : null;
            return hour;
        });
        return { hours, missingAnswer: result.missingAnswer, eventOutcome: result.eventOutcome, coolest: result.coolest };
    }
}
