// A stand-in for Open-Meteo's forecast and place search on 127.0.0.1, for the browser tests: no
// test reaches the internet. Each path answers with what the test last set for it (a status and
// a body, after a delay, or never), in the shape Open-Meteo's answers have and the desktop's
// tests serve, with the header that lets a web page read them. It keeps every request's address,
// so a test can see what the page sent.

import { createServer } from 'node:http';

export const kForecastPath = '/v1/forecast';
export const kSearchPath = '/v1/search';

export async function startFakeWeather() {
    const answers = new Map(); // path → (url) => {status, body, delayMs, never}
    const requests = [];
    const held = new Set();
    const server = createServer((request, response) => {
        const url = new URL(request.url, 'http://127.0.0.1');
        requests.push(url);
        const answer = answers.get(url.pathname)?.(url) ?? { status: 404, body: '{"error":true,"reason":"nothing here"}' };
        const send = () => {
            held.delete(response);
            if (response.destroyed)
                return;
            response.writeHead(answer.status, answer.phrase ?? '', {
                'Content-Type': 'application/json; charset=utf-8',
                'Access-Control-Allow-Origin': '*',
                'Cache-Control': 'no-store',
            });
            response.end(answer.body);
        };
        held.add(response);
        if (answer.never)
            return; // a service that never answers
        if (answer.delayMs)
            setTimeout(send, answer.delayMs);
        else
            send();
    });
    await new Promise(resolve => server.listen(0, '127.0.0.1', resolve));
    const origin = `http://127.0.0.1:${server.address().port}`;
    return {
        origin,
        forecastUrl: origin + kForecastPath,
        searchUrl: origin + kSearchPath,
        requests,
        // answer: an object, or a function of the request's URL giving one.
        set(path, answer) {
            answers.set(path, typeof answer === 'function' ? answer : () => answer);
        },
        close() {
            for (const response of held)
                response.destroy();
            return new Promise(resolve => { server.close(resolve); server.closeAllConnections(); });
        },
    };
}

// An hourly forecast in Open-Meteo's shape: hours from `firstUtc`, each given its values, a null
// where the forecast leaves one out.
export function forecastBody({ latitude = -34.93, longitude = 138.6, timezone = 'Australia/Adelaide', firstUtc,
                               hours }) {
    const series = { time: [], temperature_2m: [], relative_humidity_2m: [], wind_speed_10m: [],
                     shortwave_radiation_instant: [], surface_pressure: [] };
    hours.forEach((h, i) => {
        series.time.push(firstUtc + i * 3600);
        series.temperature_2m.push(h.air ?? null);
        series.relative_humidity_2m.push(h.rh ?? null);
        series.wind_speed_10m.push(h.wind ?? null);
        series.shortwave_radiation_instant.push(h.sun ?? null);
        series.surface_pressure.push(h.pressure === undefined ? 1012 : h.pressure);
    });
    return JSON.stringify({
        latitude, longitude, timezone, utc_offset_seconds: 0,
        hourly_units: { time: 'unixtime', temperature_2m: '\u00b0C', relative_humidity_2m: '%', wind_speed_10m: 'm/s',
                        shortwave_radiation_instant: 'W/m\u00b2', surface_pressure: 'hPa' },
        hourly: series,
    });
}

// A plausible summer day: cool at night, hot in the afternoon, the sun up from 06:00 to 20:00.
export function summerHour(localHour) {
    const warmth = Math.max(0, Math.sin((localHour - 6) / 14 * Math.PI));
    return { air: 22 + 14 * warmth, rh: 60 - 30 * warmth, wind: 3, sun: Math.round(950 * warmth) };
}
