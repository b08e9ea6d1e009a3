// The risk core as web/core_bindings.cpp binds it, for the page's code and an editor's checks.
// Texts are the core's own, byte for byte; enumerations cross as their names.

export interface RiskOption {
    text: string;
    /** Points as decimal digits, "X" for a referral, null for the reminder question. */
    outcome: string | null;
}

export interface RiskFactor {
    key: string;
    label: string;
    options: RiskOption[];
    /** null for the reminder question, which scores nothing and may stay unanswered. */
    missingAnswerMessage: string | null;
    /** The other way of asking the same question: answering one locks the other. */
    alternativeTo: string | null;
    scored: boolean;
}

export interface RiskBand {
    document: string;
    label: string;
    /** 0 for the lowest band, 3 for the highest. */
    rank: number;
    /** The totals it takes, as files store it: "56–65". */
    range: string;
}

/** The WBGT level that stops the event whatever the score, as question 1 tells it. */
export interface CeilingJudgement {
    level: 'none' | 'races-cancel' | 'not-acclimatized-cancel' | 'everyone-cancel';
    /** "races: cancel level", or null for none. */
    name: string | null;
    /** The air temperature is hot enough for the WBGT to be past a level, but does not tell it. */
    unknown: boolean;
    /** Whether the calculator shows it: a level applies, or it is unknown. */
    shown: boolean;
    /** One paragraph for a person, every rule spelled out; empty when not shown. */
    text: string;
    /** The same by the rules' names, in two lines or so: the calculator's first line. */
    summary: string;
}

export interface AnswerSource {
    kind: 'ByHand' | 'Estimated' | 'Forecast';
    /** What the tool was given and found, in words. */
    inputs?: string;
    /** The WBGT the tool worked out, exactly. */
    wbgtF?: number | null;
}

export interface Answer {
    key: string;
    /** The chosen option's text; empty when none is. */
    option: string;
    /** The points box as shown ("X" for a referral); empty for none. */
    points: string;
    source?: AnswerSource;
}

export type AssessmentOutcome =
    | { outcome: 'MissingAnswer'; message: string }
    | { outcome: 'Refused'; message: string }
    | {
        outcome: 'Scored' | 'MedicalReferral';
        referral: boolean;
        /** As the total box shows it, without its leading blank; empty for a referral. */
        total: string;
        band: RiskBand | null;
        /** The advice: the band's document, the medical one, or null for a total of 0 or less. */
        document: string | null;
        ceiling: CeilingJudgement;
        temperatureSource: 'wbgt-by-hand' | 'estimated' | 'forecast' | 'air-temperature';
        answers: Required<Answer>[];
    };

export type EvaluationOutcome =
    | { outcome: 'MissingAnswer'; message: string }
    | { outcome: 'MedicalReferral'; document: string; ceiling: CeilingJudgement }
    | { outcome: 'Scored'; total: number; display: string; document: string | null; band: RiskBand | null;
        ceiling: CeilingJudgement };

export interface SelectionEffect {
    /** Write `points` into this question's points box. */
    pointsBoxKey: string | null;
    points: string;
    /** Disable this question's list. */
    disableListKey: string | null;
}

export type SkyCondition = 'Clear' | 'PartlyCloudy' | 'Overcast';

export interface WbgtInput {
    /** UTC */
    year: number; month: number; day: number; hour: number; minute: number; second: number;
    latitude: number;
    longitude: number;
    airC: number;
    /** percent */
    relativeHumidity: number;
    /** at 2 m */
    windMs: number;
    /** measured global horizontal irradiance; without it the sky is used */
    solarWm2?: number | null;
    sky?: SkyCondition;
    shade?: boolean;
    pressureHpa?: number;
}

export type WbgtField = 'Time' | 'Latitude' | 'Longitude' | 'AirTemperature' | 'RelativeHumidity' |
    'Wind' | 'Solar' | 'Pressure' | 'Convergence';

export interface WbgtResult {
    wbgtC: number;
    globeC: number;
    naturalWetBulbC: number;
    psychrometricWetBulbC: number;
    cosZenith: number;
    solarWm2: number;
    directFraction: number;
}

export interface WbgtError {
    error: { field: WbgtField; fieldName: string; reason: string };
}

export type StabilityClass = 'A' | 'B' | 'C' | 'D' | 'E' | 'F';
export type Terrain = 'Rural' | 'Urban';

/** One hour of a forecast, as the page holds it (web/src/core-plan.js packs it for the core). */
export interface ForecastHour {
    utcSeconds: number;
    airC?: number | null;
    relativeHumidity?: number | null;
    wind10mMs?: number | null;
    solarWm2?: number | null;
    pressureHpa?: number | null;
    /** The place's clock: minutes since local midnight, where the caller knows its zone. */
    localMinutes?: number;
    /** Whether the clocks are put forward then. */
    daylightSaving?: boolean;
}

/** The members of a packed hour, in and out, by name; texts joined by `separator`. */
export interface PlanLayout {
    /** utcSeconds, airC, relativeHumidity, wind10mMs, solarWm2, pressureHpa, localMinutes, daylightSaving */
    input: string[];
    /** sunElevationDeg, timeOption, stability (-1, or 0 for A to 5 for F), wind2mMs, wbgtC, wbgtF, option (-1),
     *  ceiling (0 none, else the rule's place in ceilingRules() plus one), gapMissing, gapField (-1, or an
     *  index into `fields`), outcome (0 none, 1 scored, 2 a referral), total, bandRank (-1) */
    output: string[];
    separator: string;
    /** WbgtField names by their number. */
    fields: WbgtField[];
}

export interface PlanRequest {
    /** layout.input's members an hour, NaN for a value the forecast left out. */
    hours: Float64Array | number[];
    latitude: number;
    longitude: number;
    terrain?: Terrain;
    /** Twelve points-box texts in boxKeys() order; the WBGT and Dry_Bulb boxes are the plan's. */
    answers?: string[];
    event?: { minutes: number; dayStartUtc: number; dayEndUtc: number } | null;
    /** The plan hours an event covers, for its outcome (with answers). */
    eventHours?: { first: number; count: number } | null;
}

export interface PlanResult {
    /** layout.output's members an hour. */
    numbers: Float64Array;
    /** An hour's gap's reason, or an empty text, joined by layout.separator. */
    gapReasons: string;
    /** An hour's outcome as the total box shows it, or an empty text, joined the same way. */
    displays: string;
    missingAnswer: string | null;
    /** Over eventHours, when answers were given and every covered hour has a WBGT. */
    eventOutcome: EvaluationOutcome | null;
    coolest: null
        | { startIndex: number; hourCount: number; hottestIndex: number; highestWbgtC: number;
            /** Over the hours the event covers, when answers were given. */
            outcome: EvaluationOutcome | null }
        | { reason: string };
}

export interface OrvaneCore {
    /** The thirteen questions in the window's order. */
    catalogue(): RiskFactor[];
    /** The twelve points boxes' keys, in the order evaluate() reads them. */
    boxKeys(): string[];
    referralMarker(): string;
    /** The points boxes evaluated, with the ceiling as the boxes tell it (orvane-eval evaluate). */
    evaluate(boxTexts: string[]): EvaluationOutcome;
    /** "Calculate Total:": the answers in the window's order, assessed. */
    assess(answers: Answer[]): AssessmentOutcome;
    judgeCeilingForWbgt(wbgtF: number): CeilingJudgement;
    ceilingRules(): { level: string; aboveF: number; name: string; action: string }[];
    selectionRule(key: string, selectedIndex: number, chosenText: string): SelectionEffect;
    bandFor(total: number): RiskBand | null;
    bandByDocument(document: string): RiskBand | null;
    /** Every band, from the lowest up. */
    bands(): RiskBand[];
    readNumber(text: string): number;
    estimateWbgt(input: WbgtInput): WbgtResult | WbgtError;
    /** 0 "<73°F" ... 3 ">= 86°F", judged as shown, to a tenth. */
    wbgtOptionIndex(wbgtF: number): number;
    fahrenheitToCelsius(f: number): number;
    celsiusToFahrenheit(c: number): number;
    metresPerSecondToMph(ms: number): number;
    mphToMetresPerSecond(mph: number): number;
    /** Whether air of this temperature and humidity has been met outdoors. */
    occursOutdoors(airC: number, relativeHumidity: number): boolean;
    approximateWbgtC(airC: number, relativeHumidity: number): number;
    dewPoint(airC: number, relativeHumidity: number): number;
    relativeHumidityFromDewPoint(airC: number, dewPointC: number): number;
    daytimeStabilityClass(solarWm2: number, wind10mMs: number): StabilityClass;
    nightStabilityClass(wind10mMs: number): StabilityClass;
    /** NaN for a class that is not A to F. */
    windProfileExponent(stability: StabilityClass, terrain: Terrain): number;
    windAt2m(wind10mMs: number, stability: StabilityClass, terrain: Terrain): number;
    planLayout(): PlanLayout;
    /** A forecast's plan in one call, packed (web/src/core-plan.js unpacks it). */
    planForecast(request: PlanRequest): PlanResult;
    timeOfDayOption(localMinutes: number, daylightSaving: boolean, sunElevationDeg: number): number;
    /** Civil dawn and sunset in [dayStartUtc, dayEndUtc), UTC seconds. */
    daylightOn(dayStartUtc: number, dayEndUtc: number, latitude: number, longitude: number):
        { firstLight: number | null; sunset: number | null };
}

export interface CoreOptions {
    wasmBinary?: ArrayBuffer | Uint8Array;
    instantiateWasm?(imports: WebAssembly.Imports,
                     receive: (instance: WebAssembly.Instance, module: WebAssembly.Module) => void): object;
    print?(text: string): void;
    printErr?(text: string): void;
}

export default function createOrvaneCore(options?: CoreOptions): Promise<OrvaneCore>;
