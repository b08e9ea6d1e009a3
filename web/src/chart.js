// The desktop's band chart (ui/charts/band_chart.cpp) in SVG: values over the hours of one day
// with coloured bands behind them (question 1's options, or the score bands), levels drawn
// across as dashed lines, lines with gaps where a value is missing, marked points, a shaded
// span of time, and below, where the model has one, a strip with a scale of its own, so that no
// reader takes one scale for the other. The planner draws the day's forecast WBGT with it, the
// event log the day's totals over the WBGT. The model has the desktop's ChartModel's members;
// whatever it holds (a span of centuries, values off every scale), the drawing stays bounded: a
// value off its axis sits at the edge with an arrow and its number, and the time axis never
// labels more than fits.
//
// Drawn as one string of markup: a chart of 384 hours is some eight hundred elements, and the
// browser builds them faster from text than one by one. Every text in it is escaped.

import { dateText, addDays } from './format.js';
import { instantOf, wallClock, zoneName } from './zones.js';

const kHour = 3600;
const kDay = 24 * kHour;
const kHourLabelsUpTo = 4 * kDay;
const kFont = '"Segoe UI", Tahoma, "Liberation Sans", Arial, sans-serif';

const escapes = { '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' };
const esc = text => String(text).replace(/[&<>"]/g, c => escapes[c]);
const n = v => (Math.round(v * 10) / 10).toString();

let measuring = null;
function textWidth(text, size) {
    measuring ??= document.createElement('canvas').getContext('2d');
    measuring.font = `${size}px ${kFont}`;
    return measuring.measureText(text).width;
}

// {fromUtc, toUtc, zone, left: {title, min, max, step}, bands: [{from, to, color, label}],
//  levels: [{value, label, color}], series: [{name, color, onRightAxis, points: [{utc, value,
//  marked}]}], span: [from, to] | null, spanLabel, markLabel, note,
//  strip: {axis, bands, levels} | null}
// Returns the SVG's markup for a drawing `width` by `height` pixels, lettered at `fontSize`.
export function chartSvg(model, width, height, fontSize, label) {
    const out = [];
    const line = fontSize * 1.25;
    const labels = textWidth('-000', fontSize) + line * 0.8;
    const area = { left: 0, top: 0, right: width, bottom: height };
    // The foot names the time axis's zone and, beside it or on a line of its own, the model's
    // note.
    const caption = `local time (${zoneName(model?.zone ?? 0)})`;
    const footWidth = width - labels - line;
    const noteBeside = !model?.note || textWidth(caption, fontSize) + textWidth(model.note, fontSize) + line < footWidth;
    const whole = { left: labels, top: line * 1.6, right: width - line, bottom: height - line * (noteBeside ? 2.2 : 3.2) };
    const svg = body => `<svg xmlns="http://www.w3.org/2000/svg" role="img" aria-label="${esc(label)}" ` +
        `viewBox="0 0 ${n(width)} ${n(height)}" font-family='${kFont}' font-size="${fontSize}">` +
        `<rect width="${n(width)}" height="${n(height)}" fill="#fff"/>${body}</svg>`;
    if (whole.right - whole.left < 10 || whole.bottom - whole.top < 10 || !(model.toUtc > model.fromUtc) ||
        !(model.left.max > model.left.min))
        return svg('');
    const panel = (rect, axis) => ({
        ...rect, axis,
        y(value) {
            const v = Math.min(Math.max(value, axis.min), axis.max);
            return rect.bottom - (v - axis.min) / (axis.max - axis.min) * (rect.bottom - rect.top);
        },
        off: value => value < axis.min || value > axis.max,
    });
    const panels = [panel({ ...whole }, model.left)];
    if (model.strip && model.strip.axis.max > model.strip.axis.min) {
        // The strip keeps a third of the height, and a gap parts it from the panel above.
        const gap = line * 0.8;
        const stripHeight = (whole.bottom - whole.top - gap) / 3;
        panels[0] = panel({ ...whole, bottom: whole.bottom - stripHeight - gap }, model.left);
        panels.push(panel({ left: whole.left, top: whole.bottom - stripHeight, right: whole.right, bottom: whole.bottom },
                          model.strip.axis));
    }
    const plot = whole;
    const x = utc => plot.left + (utc - model.fromUtc) / (model.toUtc - model.fromUtc) * (plot.right - plot.left);
    const text = (tx, ty, content, { anchor = 'start', baseline = 'central', fill = '#000', size = null } = {}) =>
        out.push(`<text x="${n(tx)}" y="${n(ty)}" text-anchor="${anchor}" dominant-baseline="${baseline}"` +
                 `${fill !== '#000' ? ` fill="${fill}"` : ''}${size ? ` font-size="${n(size)}"` : ''}>${esc(content)}</text>`);

    function drawBands(p, bands) {
        for (const band of bands) {
            const top = p.y(band.to);
            const bottom = p.y(band.from);
            out.push(`<rect x="${n(p.left)}" y="${n(top)}" width="${n(p.right - p.left)}" height="${n(bottom - top)}" fill="${band.color}"/>`);
            if (!band.label || bottom - top < line * 0.55)
                continue;
            // A narrow band keeps its label in a smaller hand rather than losing it.
            const size = Math.max(6, fontSize * Math.min(1, (bottom - top) / line));
            text(p.right - 4, (top + bottom) / 2, band.label, { anchor: 'end', size: size < fontSize ? size : null });
        }
    }

    function drawSpan() {
        if (!model.span)
            return;
        const left = Math.min(Math.max(x(model.span[0]), plot.left), plot.right);
        const right = Math.min(Math.max(x(model.span[1]), plot.left), plot.right);
        out.push(`<rect x="${n(left)}" y="${n(plot.top)}" width="${n(right - left)}" height="${n(plot.bottom - plot.top)}" fill="#000" fill-opacity="0.11"/>`);
        for (const at of [left, right])
            out.push(`<line x1="${n(at)}" y1="${n(plot.top)}" x2="${n(at)}" y2="${n(plot.bottom)}" stroke="#000" stroke-dasharray="4 3"/>`);
        // Named inside the plot, under its top edge, clear of the legend above.
        const w = textWidth(model.spanLabel, fontSize) + 4;
        text(Math.min(left + 3, plot.right - w), plot.top + line / 2 + 1, model.spanLabel);
    }

    function drawAxis(p) {
        out.push(`<rect x="${n(p.left)}" y="${n(p.top)}" width="${n(p.right - p.left)}" height="${n(p.bottom - p.top)}" fill="none" stroke="#000"/>`);
        const axis = p.axis;
        if (axis.step > 0) {
            // Labels no closer than a line apart, however tall the scale.
            const perStep = (p.bottom - p.top) * axis.step / (axis.max - axis.min);
            const every = axis.step * Math.max(1, Math.ceil(line / Math.max(perStep, 1e-9)));
            let drawn = 0;
            for (let v = Math.ceil(axis.min / every) * every; v <= axis.max + 1e-9 && drawn < 64; v += every, ++drawn) {
                const at = p.y(v);
                text(p.left - 4, at, String(Math.round(v * 1e6) / 1e6), { anchor: 'end' });
                out.push(`<line x1="${n(p.left - 3)}" y1="${n(at)}" x2="${n(p.left)}" y2="${n(at)}" stroke="#000"/>`);
            }
        }
        // The scale's name, above its panel; the top one's once the legend beside it is drawn.
        if (p !== panels[0])
            text(p.right, p.top - line * 0.7, axis.title, { anchor: 'end' });
    }

    function drawLevels(p, levels) {
        const size = fontSize * 0.85;
        const smallLine = line * 0.85;
        let lastLabel = 1e9; // levels go up: each label above the one before, or none
        for (const level of levels) {
            if (p.off(level.value))
                continue;
            const at = p.y(level.value);
            out.push(`<line x1="${n(p.left)}" y1="${n(at)}" x2="${n(p.right)}" y2="${n(at)}" stroke="${level.color}" stroke-width="1.5" stroke-dasharray="6 4"/>`);
            if (at > lastLabel - smallLine * 1.15)
                continue; // too close to the last: the line alone, the legend names it
            text(p.left + 4, at - 2, level.label, { baseline: 'text-after-edge', fill: level.color, size });
            lastLabel = at;
        }
    }

    let lastRight = -1e9;
    function tickLabel(at, content) {
        const w = textWidth(content, fontSize);
        // Centred under its tick, never past the chart's edges nor onto the label before it.
        const left = Math.min(Math.max(at - w / 2, area.left), area.right - w);
        if (left < lastRight + line * 0.6)
            return;
        out.push(`<line x1="${n(at)}" y1="${n(plot.bottom)}" x2="${n(at)}" y2="${n(plot.bottom + 3)}" stroke="#000"/>`);
        text(left + w / 2, plot.bottom + 3, content, { anchor: 'middle', baseline: 'hanging' });
        lastRight = left + w;
    }

    function drawTimeAxis() {
        const span = model.toUtc - model.fromUtc;
        const plotWidth = plot.right - plot.left;
        if (span <= kHourLabelsUpTo) {
            const labelWidth = textWidth('00:00', fontSize);
            let stepHours = 48;
            for (const hours of [1, 2, 3, 4, 6, 12, 24])
                if (span / (hours * kHour) * labelWidth * 1.4 <= plotWidth) {
                    stepHours = hours;
                    break;
                }
            // Whole local hours; a zone a half hour off UTC still gets whole hours.
            const first = wallClock(model.zone, model.fromUtc);
            let tick = model.fromUtc + (first.minute ? (60 - first.minute) * 60 : 0) - first.second;
            for (; tick <= model.toUtc; tick += kHour) {
                const local = wallClock(model.zone, tick);
                if (local.hour % stepHours === 0)
                    tickLabel(x(tick), `${String(local.hour).padStart(2, '0')}:${String(local.minute).padStart(2, '0')}`);
            }
        } else {
            // Dates, a whole number of days apart, as many as fit: never a walk hour by hour.
            const labelWidth = textWidth('0000-00-00', fontSize);
            const fit = Math.max(1, plotWidth / (labelWidth * 1.4));
            const stepDays = Math.max(1, Math.ceil(span / kDay / fit));
            let date = addDays(dateText(wallClock(model.zone, model.fromUtc)), 1);
            for (let drawn = 0; drawn < 200; ++drawn) {
                const at = instantOf(model.zone, date, 0).utcSeconds;
                if (at > model.toUtc)
                    break;
                tickLabel(x(at), date);
                date = addDays(date, stepDays);
            }
        }
        const footY = plot.bottom + line + 3;
        const half = plotWidth / 2;
        if (model.note && textWidth(caption, fontSize) / 2 + textWidth(model.note, fontSize) + line < half) {
            text((plot.left + plot.right) / 2, footY, caption, { anchor: 'middle', baseline: 'hanging' });
            text(plot.right, footY, model.note, { anchor: 'end', baseline: 'hanging' });
        } else if (model.note) {
            // Side by side where both fit, else the note on the line below.
            text(plot.left, footY, caption, { baseline: 'hanging' });
            text(plot.right, noteBeside ? footY : footY + line, model.note, { anchor: 'end', baseline: 'hanging' });
        } else {
            text((plot.left + plot.right) / 2, footY, caption, { anchor: 'middle', baseline: 'hanging' });
        }
    }

    function marker(px, py, marked, color) {
        if (marked)
            out.push(`<polygon points="${n(px)},${n(py - 7)} ${n(px + 6)},${n(py + 4)} ${n(px - 6)},${n(py + 4)}" fill="#c80000" stroke="#000"/>`);
        else
            out.push(`<circle cx="${n(px)}" cy="${n(py)}" r="2.5" fill="${color}"/>`);
    }

    let legendX = plot.left + 4;
    const legendY = plot.top - line * 0.7;
    function drawSeries(s, p) {
        const inView = point => point.value !== null && point.value !== undefined &&
            point.utc >= model.fromUtc && point.utc <= model.toUtc;
        let path = '';
        let drawing = false;
        for (const point of s.points) {
            if (!inView(point)) {
                drawing = false;
                continue;
            }
            path += `${drawing ? 'L' : 'M'}${n(x(point.utc))} ${n(p.y(point.value))}`;
            drawing = true;
        }
        if (path)
            out.push(`<path d="${path}" fill="none" stroke="${s.color}" stroke-width="2" stroke-linejoin="round"/>`);
        for (const point of s.points) {
            if (!inView(point))
                continue;
            const px = x(point.utc);
            const py = p.y(point.value);
            marker(px, py, point.marked, s.color);
            if (p.off(point.value)) {
                // At the edge, but plainly not on it: an arrow out of the panel, and the value.
                const below = point.value < p.axis.min;
                const dy = below ? 8 : -8;
                out.push(`<line x1="${n(px)}" y1="${n(py)}" x2="${n(px)}" y2="${n(py + dy)}" stroke="${s.color}" stroke-width="1.5"/>`);
                text(px + 3, py + (below ? -line / 2 : line / 2), point.value.toFixed(1), { fill: s.color });
            }
        }
        // The legend along the top of the chart.
        out.push(`<line x1="${n(legendX)}" y1="${n(legendY)}" x2="${n(legendX + 16)}" y2="${n(legendY)}" stroke="${s.color}" stroke-width="2"/>`);
        text(legendX + 20, legendY, s.name);
        legendX += 32 + textWidth(s.name, fontSize);
    }

    function drawMarkLegend() {
        const anyMarked = model.series.some(s => s.points.some(p => p.marked && p.value !== null && p.value !== undefined));
        if (!model.markLabel || !anyMarked)
            return;
        marker(legendX + 6, legendY + 1, true, '#000');
        text(legendX + 16, legendY, model.markLabel);
        legendX += 16 + textWidth(model.markLabel, fontSize);
    }

    // On a narrow screen the legend can reach the top scale's name: the legend says more, and
    // the name is left out rather than written over it.
    function drawTopTitle() {
        const p = panels[0];
        const title = p.axis.title ?? '';
        if (legendX + line <= p.right - textWidth(title, fontSize))
            text(p.right, p.top - line * 0.7, title, { anchor: 'end' });
    }

    drawBands(panels[0], model.bands);
    if (panels.length > 1)
        drawBands(panels[1], model.strip.bands);
    drawSpan();
    for (const p of panels)
        drawAxis(p);
    drawLevels(panels[0], model.levels);
    if (panels.length > 1)
        drawLevels(panels[1], model.strip.levels);
    drawTimeAxis();
    for (const s of model.series)
        drawSeries(s, s.onRightAxis && panels.length > 1 ? panels[1] : panels[0]);
    drawMarkLegend();
    drawTopTitle();
    return svg(out.join(''));
}

// Draws the model into the box at the box's own width; a box that changes width is drawn again.
export function drawChart(box, model, label) {
    box.chartModel = model;
    box.chartLabel = label;
    const width = Math.max(300, Math.round(box.clientWidth || 600));
    const fontSize = width < 500 ? 11 : 12.5;
    const line = fontSize * 1.25;
    const height = Math.round(Math.min(Math.max(width * 0.42, 15 * line), 24 * line) * (model?.strip ? 1.45 : 1));
    box.innerHTML = model ? chartSvg(model, width, height, fontSize, label) : '';
    box.drawnWidth = width;
    if (!box.resizeWatch && typeof ResizeObserver === 'function') {
        box.resizeWatch = new ResizeObserver(() => {
            if (box.chartModel && Math.abs((box.clientWidth || 600) - box.drawnWidth) > 8)
                drawChart(box, box.chartModel, box.chartLabel);
        });
        box.resizeWatch.observe(box);
    }
}

// The band's ink and shade (the desktop's band_colors.h), 0 lowest to 3 highest.
export function bandInk(rank) {
    return rank <= 0 ? '#000080' : rank === 1 ? '#800000' : '#c00000';
}
export function bandShade(rank) {
    return ['#c8e6c9', '#fff59d', '#ffcc80', '#ef9a9a'][Math.min(Math.max(rank, 0), 3)];
}
