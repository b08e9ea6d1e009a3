// The guidance documents, as the build converted them from guidance/*.rtf with the desktop's own
// reader: docs/NAME.html holds the document for the screen, docs/NAME.txt its text for "Copy as
// text". They are named as the core names them ("Medical Conditions.rtf"), fetched when first
// shown and kept by the service worker for the offline page. A document that cannot be shown is
// a message in its place, naming the file and why, as the desktop's message box does.

export const kAsterisk = 'Asterisk.rtf';
export const kFullGuidelines = 'Daduzo Vizeruda Zavevodov - hot weather guidelines score4.rtf';
export const kConditionsOfUse = 'ORV Disclaimer-Setup.rtf';

export function documentUrl(storedName, kind) {
    return 'docs/' + encodeURIComponent(storedName.replace(/\.rtf$/i, '.' + kind));
}

class DocumentProblem extends Error {}

async function fetchText(storedName, kind) {
    const url = documentUrl(storedName, kind);
    const where = new URL(url, document.baseURI).href;
    const fail = why => new DocumentProblem(
        `The document "${storedName}" cannot be shown: ${why}.\n\nIt should be at:\n${decodeURI(where)}`);
    let response;
    try {
        response = await fetch(url);
    } catch (error) {
        throw fail(`it could not be fetched (${error.message})`);
    }
    if (!response.ok)
        throw fail(`the server answered ${response.status} ${response.statusText}`.trim());
    return { text: await response.text(), fail };
}

// The document as nodes to place, or a message element in its stead; `shown` tells which.
export async function loadDocument(storedName) {
    try {
        const { text, fail } = await fetchText(storedName, 'html');
        // Every converted document is one <div class="rich">; anything else (a server's page for
        // a missing file, a file cut short) is not one of ours.
        if (!text.startsWith('<div class="rich') || !text.trimEnd().endsWith('</div>'))
            throw fail('the file is damaged or is not a converted document');
        const template = document.createElement('template');
        template.innerHTML = text;
        return { shown: true, node: template.content };
    } catch (error) {
        return { shown: false, node: problemElement(error) };
    }
}

// The document's text by lines, with no empty line at its end; a DocumentProblem when it cannot
// be had.
export async function loadDocumentText(storedName) {
    const { text, fail } = await fetchText(storedName, 'txt');
    if (text.length === 0 || text.startsWith('<'))
        throw fail('the file is damaged or is not a converted document');
    const lines = text.split('\n');
    while (lines.length && lines[lines.length - 1] === '')
        lines.pop();
    return lines;
}

export function problemElement(error) {
    const p = document.createElement('p');
    p.className = 'problem';
    p.setAttribute('role', 'alert');
    p.textContent = error instanceof DocumentProblem ? error.message : String(error.message ?? error);
    return p;
}

// Replaces the box's content with the document, or with the message when it cannot be shown.
export async function showDocument(box, storedName) {
    const { shown, node } = await loadDocument(storedName);
    box.replaceChildren(node);
    box.scrollTop = 0;
    return shown;
}
