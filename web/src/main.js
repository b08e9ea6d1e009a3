// The page's start and its screens, in the desktop's order: the conditions of use at every start
// (Accept, Decline, or the conditions themselves in About), then the calculator, the document
// viewer and About, and the event-day tools the desktop opens from its Assessment menu: Estimate
// WBGT, Plan the Event Day (with its Weather Service settings) and the Event Log, with the
// reminder to re-assess. One screen shows at a time; the browser's Back button goes where the
// page's own Back or Close does, so a phone's back gesture never throws the answers away. The
// core starts loading at once, while the conditions are read, and the service worker that keeps
// the page for offline use is registered only once the core is up, so that its downloads never
// delay the first lists; each tool's code is loaded when the tool is first opened.

import { coreLoading } from './core.js';
import { Calculator } from './calculator.js';
import { showDocument, kAsterisk, kFullGuidelines, kConditionsOfUse } from './documents.js';
import { kVersion } from './version.js';

const $ = id => document.getElementById(id);
const kScreens = ['conditions', 'about', 'calculator', 'viewer', 'closed', 'estimator', 'planner', 'eventlog',
                  'weatherservice'];
const kFirstFocus = {
    conditions: 'cmdDisclaimer',
    about: 'cmdOK',
    calculator: null, // the first list, once there is one
    viewer: 'cmdBackfromReadme',
    closed: 'cmdStartAgain',
    estimator: 'estPlace',
    planner: 'txtFind',
    eventlog: 'eventlog-title',
    weatherservice: 'txtForecastAddress',
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

let calculator = null;
let loadedCore = null;

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
    loadedCore = core;
    calculator = new Calculator(core, { showMessage, copyText }, kVersion);
    calculator.events.addEventListener('state', () => {
        $('mnuAddToEventLog').disabled = calculator.currentAssessed() === null;
    });
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

// The event-day tools. Each is made on its first opening, from its own module, and stays for the
// visit, as the desktop's tool windows stay open beside the calculator.
const made = new Map();
let thePlanner = null;
let theLog = null;

function make(name, create) {
    if (!made.has(name))
        made.set(name, started.then(async () => {
            if (!calculator)
                throw new Error($('core-problem').textContent);
            return create();
        }).catch(error => {
            made.delete(name);
            throw error;
        }));
    return made.get(name);
}

async function endpoints() {
    const { readWeatherSettings, endpointsOf } = await import('./settings.js');
    return endpointsOf(await readWeatherSettings());
}

function setStatus(text) {
    $('lblStatus').textContent = text;
}

// "Use in question 1": the option chosen as a click would, and back to the calculator to see it.
function useInQuestionOne(option, source) {
    if (!calculator.useInQuestionOne(option, source))
        return;
    history.back();
    if (!$('lblStatus').textContent)
        setStatus(`Question 1: "${$('cbo_WBGT').options[option].text}", from the ` +
                  `${source.kind === 'Forecast' ? 'forecast' : 'estimate'}.`);
}

const estimator = () => make('estimator', async () => {
    const { Estimator } = await import('./estimator.js');
    return new Estimator(loadedCore, calculator, await endpoints(), { useInQuestionOne });
});
const planner = () => make('planner', async () => {
    const { Planner } = await import('./planner.js');
    thePlanner = new Planner(loadedCore, calculator, await endpoints(), { useInQuestionOne });
    return thePlanner;
});
const eventLog = () => make('eventlog', async () => {
    const { EventLog } = await import('./eventlog.js');
    theLog = new EventLog(loadedCore, calculator, kVersion, {
        showMessage, setStatus,
        // A new event offers the place and date of the day being planned.
        suggestion: () => thePlanner?.placeAndDate() ?? { place: '', date: '' },
        entryAdded: () => { $('mnuRemind').disabled = false; },
        showScreen: () => { if ($('eventlog').hidden) openOver('eventlog'); },
    });
    return theLog;
});
const reminder = () => make('reminder', async () => {
    const { Reminder } = await import('./reminder.js');
    return new Reminder({
        setStatus, showMessage,
        text: async () => (await eventLog()).reminderText(),
        changed: on => { $('cmdRemindCancel').disabled = !on; },
    });
});

async function tool(make) {
    try {
        return await make();
    } catch (error) {
        showMessage(error.message);
        return null;
    }
}

$('mnuEstimateWbgt').addEventListener('click', async () => {
    if (await tool(estimator))
        openOver('estimator');
});
$('mnuPlanEventDay').addEventListener('click', async () => {
    if (await tool(planner))
        openOver('planner');
});
$('mnuEventLog').addEventListener('click', async () => {
    await (await tool(eventLog))?.open();
});
$('mnuAddToEventLog').addEventListener('click', async () => {
    await (await tool(eventLog))?.add();
});
for (const id of ['estClose', 'cmdClosePlanner', 'cmdCloseLog', 'cmdServiceCancel'])
    $(id).addEventListener('click', () => history.back());
$('cmdWeatherService').addEventListener('click', async () => {
    const { showWeatherService } = await import('./weather-service.js');
    await showWeatherService();
    openOver('weatherservice');
});
$('cmdServiceSave').addEventListener('click', async () => {
    const { saveWeatherService } = await import('./weather-service.js');
    await saveWeatherService(() => location.reload());
});

// The reminder's choices, as the desktop's submenu has them.
$('mnuRemind').addEventListener('click', async () => {
    const [{ runDialog }, remind] = await Promise.all([import('./dialogs.js'), tool(reminder)]);
    if (!remind)
        return;
    const answer = await runDialog($('dlgRemind'));
    if (answer === 'every')
        await remind.remindIn(30, true);
    else if (answer === 'cancel-reminder')
        remind.cancel();
    else if (/^\d+$/.test(answer))
        await remind.remindIn(Number(answer));
});

// Paper: the day report from the Event Log screen, else the assessment record. The title is the
// name the print dialog proposes for a PDF.
let titleBeforePrint = '';
function preparePrint() {
    if (document.documentElement.dataset.print)
        return; // prepared already, by "Print Day Report"
    titleBeforePrint = document.title;
    const report = $('eventlog').hidden ? null : theLog?.prepareReport();
    document.documentElement.dataset.print = report ? 'report' : 'record';
    if (report)
        document.title = report;
}
window.addEventListener('beforeprint', preparePrint);
window.addEventListener('afterprint', () => {
    delete document.documentElement.dataset.print;
    document.title = titleBeforePrint;
});
$('cmdDayReport').addEventListener('click', () => {
    preparePrint();
    window.print();
});
