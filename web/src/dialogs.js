// The page's small dialogs, awaited: each resolves with the answer of the button pressed (its
// data-answer), or 'cancel' for Escape. A dialog stays open while its caller says so, so that an
// entry that could not be added stays in its form with what was typed.

const $ = id => document.getElementById(id);

// Opens the dialog and resolves with the first answer `accept(answer)` takes (true), leaving the
// dialog open for the others; closes it on the way out.
export function runDialog(dialog, { focus = null, accept = () => true } = {}) {
    return new Promise(resolve => {
        const finish = answer => {
            dialog.removeEventListener('click', onClick);
            dialog.removeEventListener('cancel', onCancel);
            if (dialog.open)
                dialog.close();
            resolve(answer);
        };
        const onClick = async event => {
            const button = event.target.closest('button[data-answer]');
            if (!button || button.disabled)
                return;
            const answer = button.dataset.answer;
            if (await accept(answer))
                finish(answer);
        };
        const onCancel = event => {
            event.preventDefault();
            finish('cancel');
        };
        dialog.addEventListener('click', onClick);
        dialog.addEventListener('cancel', onCancel);
        if (!dialog.open)
            dialog.showModal();
        (focus ?? dialog.querySelector('button[data-answer]'))?.focus();
    });
}

// A line in the dialog saying why its answer was not taken; empty hides it.
export function setDialogProblem(dialog, text) {
    const line = dialog.querySelector('.dialog-problem');
    line.textContent = text;
    line.hidden = text === '';
}

// A question with two answers: resolves true for the first.
export async function askYesNo(text, yes, no) {
    $('dlgAsk-text').textContent = text;
    $('cmdAskYes').textContent = yes;
    $('cmdAskNo').textContent = no;
    return (await runDialog($('dlgAsk'))) === 'yes';
}
