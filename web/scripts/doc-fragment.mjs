// Turns the HTML that `rtf2text --html` writes for a guidance document (Qt's rich-text HTML, a
// whole page with a style attribute on nearly every element) into a fragment the page can place
// in its document viewer under a policy that refuses inline styles: each distinct style becomes
// a class, and the classes of every document go into one stylesheet. The text and the elements
// stay exactly as the desktop's reader built them.

// Qt's own properties mean nothing to a browser; its font names need the fallbacks a machine
// without Microsoft's fonts has, as the desktop's fonts.cpp gives them.
const kFontFallbacks = new Map([
    ['Arial', "Arial, 'Liberation Sans', Helvetica, sans-serif"],
    ['Sans Serif', "Arial, 'Liberation Sans', Helvetica, sans-serif"],
    ['Verdana', "Verdana, 'DejaVu Sans', sans-serif"],
    ['Times New Roman', "'Times New Roman', 'Liberation Serif', serif"],
    ['Courier New', "'Courier New', 'Liberation Mono', monospace"],
]);

function cleanDeclarations(style) {
    const kept = [];
    for (const raw of style.split(';')) {
        const declaration = raw.trim();
        if (!declaration)
            continue;
        const colon = declaration.indexOf(':');
        const name = declaration.slice(0, colon).trim();
        let value = declaration.slice(colon + 1).trim();
        if (name.startsWith('-qt-'))
            continue;
        if (name === 'font-family') {
            const family = value.replace(/^'|'$/g, '');
            value = kFontFallbacks.get(family) ?? `'${family}', sans-serif`;
        } else if (name === 'font-size' && value.endsWith('pt')) {
            // Relative to the viewer's text size, which is 10 pt on a desk and larger on a phone.
            value = `${+(parseFloat(value) / 10).toFixed(4)}em`;
        }
        kept.push(`${name}: ${value}`);
    }
    return kept.join('; ');
}

export class FragmentWriter {
    constructor(prefix = 'g') {
        this.prefix = prefix;
        this.classes = new Map(); // cleaned declarations -> class name
    }

    classFor(style) {
        const declarations = cleanDeclarations(style);
        if (!declarations)
            return null;
        let name = this.classes.get(declarations);
        if (!name) {
            name = `${this.prefix}${this.classes.size + 1}`;
            this.classes.set(declarations, name);
        }
        return name;
    }

    // The body's content with classes for styles; throws on anything that is not Qt's page.
    fragment(html, source) {
        const body = /<body([^>]*)>([\s\S]*)<\/body>/.exec(html);
        if (!body)
            throw new Error(`${source}: no <body> in the converter's output`);
        if (/<script|\son[a-z]+=/i.test(body[2]))
            throw new Error(`${source}: the converter's output holds a script`);
        // The body's size is the viewer's own: the runs' sizes are relative to it, and each run
        // gives its size, so the body's must not compound with theirs.
        const bodyStyle = /style="([^"]*)"/.exec(body[1]);
        const outer = bodyStyle ? this.classFor(bodyStyle[1].replace(/font-size:[^;]*;?/, '')) : null;
        const inner = body[2].replace(/ style="([^"]*)"/g, (_, style) => {
            const name = this.classFor(style);
            return name ? ` class="${name}"` : '';
        });
        if (/style=/.test(inner))
            throw new Error(`${source}: a style attribute was left in the fragment`);
        return `<div class="rich${outer ? ' ' + outer : ''}">${inner.trim()}</div>\n`;
    }

    stylesheet() {
        const rules = [
            '/* Written by web/scripts/doc-fragment.mjs from the guidance documents. */',
            '.rich p, .rich li { white-space: pre-wrap; }',
        ];
        for (const [declarations, name] of this.classes)
            rules.push(`.rich .${name}, .rich.${name} { ${declarations}; }`);
        return rules.join('\n') + '\n';
    }
}
