// The page's start and its screens, in the desktop's order: the conditions of use at every start
// (Accept, Decline, or the conditions themselves in About), then the calculator, the document
// viewer and About. One screen shows at a time; the browser's Back button goes where the page's
// own Back does, so a phone's back gesture never throws the answers away. The core starts
// loading at once, while the conditions are read, and the service worker that keeps the page
// for offline use is registered only once the core is up, so that its downloads never delay
// the first lists.

import { coreLoading } from './core.js';
import { Calculator } from './calculator.js';
import { showDocument, kAsterisk, kFullGuidelines, kConditionsOfUse } from './documents.js';
import { kVersion } from './version.js';

const $ = id => document.getElementById(id);
const kScreens = ['conditions', 'about', 'calculator', 'viewer', 'closed'];
const kFirstFocus = {
    conditions: 'cmdDisclaimer',
    about: 'cmdOK',
    calculator: null, // the first list, once there is one
    viewer: 'cmdBackfromReadme',
    closed: 'cmdStartAgain',
};

function showScreen(name) {
    for (const screen of kScreens)
        $(screen).hidden = screen !== name;
    const first = kFirstFocus[name] ? $(kFirstFocus[name]) : document.querySelector('#questions select');
    (first ?? $(`${name}`).querySelector('h1'))?.focus();
    window.scrollTo(0, 0);
}

// A screen opened over another is a step in the browser's history, so Back closes it.
function openOver(name) {
    history.pushState({ screen: name }, '');
    showScreen(name);
}

window.addEventListener('popstate', event => {
    const screen = event.state?.screen;
    showScreen(kScreens.includes(screen) ? screen : 'conditions');
});

// The desktop's message box, with the text to copy by hand where the browser refused to copy it.
function showMessage(text, copyable = null) {
    const dialog = $('message');
    $('message-text').textContent = text;
    const copy = $('message-copy');
    copy.hidden = copyable === null;
    copy.value = copyable ?? '';
    dialog.showModal();
    if (copyable !== null)
        copy.select();
    else
        $('message-ok').focus();
}
$('message-ok').addEventListener('click', () => $('message').close());

async function copyText(text) {
    try {
        await navigator.clipboard.writeText(text);
        $('lblStatus').textContent = 'The assessment was copied as text.';
    } catch {
        showMessage('This browser did not let the page copy the text. It is selected below: ' +
                    'copy it from there.', text);
    }
}

// The conditions of use: Tab moves between the buttons and Space or Enter presses the one with
// the focus; any other key that types a character leaves, as on the desktop.
$('conditions').addEventListener('keydown', event => {
    if (event.key === 'Tab' || event.key.length !== 1 || event.ctrlKey || event.metaKey || event.altKey)
        return;
    if (event.key === ' ' && event.target instanceof HTMLButtonElement)
        return;
    event.preventDefault();
    closeProgram();
});

function closeProgram() {
    showScreen('closed');
}

$('cmdDecline').addEventListener('click', closeProgram);
$('cmd_Back_to_Directory').addEventListener('click', closeProgram);
$('cmdStartAgain').addEventListener('click', () => location.reload());

$('cmdDisclaimer').addEventListener('click', () => {
    openOver('about');
    showDocument($('about-document'), kConditionsOfUse);
});
$('mnuAbout').addEventListener('click', () => {
    openOver('about');
    showDocument($('about-document'), kConditionsOfUse);
});
$('cmdOK').addEventListener('click', () => history.back());
// "Back" is both the default and the cancel button: Enter and Escape press it.
$('about').addEventListener('keydown', event => {
    if ((event.key === 'Enter' && !(event.target instanceof HTMLButtonElement)) || event.key === 'Escape')
        $('cmdOK').click();
});

function openViewer(storedName) {
    openOver('viewer');
    showDocument($('viewer-document'), storedName);
}
$('cmd_asterisk').addEventListener('click', () => openViewer(kAsterisk));
$('cmd_RIR_Guidelines').addEventListener('click', () => openViewer(kFullGuidelines));
$('cmdBackfromReadme').addEventListener('click', () => history.back());

$('about-version').textContent =
    `Solvane Calculator \u00b0F, Version ${kVersion.split('.').slice(0, 2).join('.')}`;

// Start: the conditions at once; the core meanwhile.
$('starting').hidden = true;
history.replaceState({ screen: 'conditions' }, '');
showScreen('conditions');

const started = coreLoading.then(({ core, error }) => {
    if (error) {
        const problem = $('core-problem');
        problem.textContent = error.message;
        problem.hidden = false;
        $('questions').hidden = true;
        for (const id of ['cmd_Calculate', 'cmd_Reset'])
            $(id).disabled = true;
        document.documentElement.dataset.core = 'failed';
        return;
    }
    new Calculator(core, { showMessage, copyText }, kVersion);
    performance.mark('orvane-lists-ready');
    document.documentElement.dataset.core = 'ready';
    if ('serviceWorker' in navigator) {
        navigator.serviceWorker.register('sw.js').catch(failure =>
            console.warn(`The page will not work offline: ${failure.message}`));
    }
});

$('cmdAccept').addEventListener('click', async () => {
    history.replaceState({ screen: 'calculator' }, '');
    showScreen('calculator');
    await started;
    if (document.documentElement.dataset.core === 'ready' && !$('calculator').hidden)
        document.querySelector('#questions select')?.focus();
});
