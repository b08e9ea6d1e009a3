// Loads the risk core: the WebAssembly build of core/ with its embind binding. The page fetches
// and compiles the .wasm itself rather than leave it to emscripten's glue, so that a missing or
// damaged file, or a server that answers with something else, is reported in words a person
// can act on instead of a blank page.

export const kCoreScript = 'orvane-core.js';
export const kCoreWasm = 'orvane-core.wasm';

export class CoreProblem extends Error {}

function problem(why) {
    return new CoreProblem(
        `The calculator cannot start: its core (${kCoreWasm}) ${why}.\n\n` +
        'Reload the page. If this message stays, the files on the server are incomplete or ' +
        'damaged: install them again from the release.');
}

async function compiledWasm() {
    let response;
    try {
        response = await fetch(kCoreWasm);
    } catch (error) {
        throw problem(`could not be fetched (${error.message})`);
    }
    if (!response.ok)
        throw problem(`is missing: the server answered ${response.status} ${response.statusText}`.trim());
    const copy = response.clone();
    try {
        // Compiled as it arrives, where the server names its type as application/wasm.
        return await WebAssembly.compileStreaming(response);
    } catch (error) {
        if (error instanceof WebAssembly.CompileError)
            throw problem(`is damaged (${error.message})`);
    }
    // A server that sends the file under another type: compiled once it is all here.
    try {
        return await WebAssembly.compile(await copy.arrayBuffer());
    } catch (error) {
        throw problem(`is damaged (${error.message})`);
    }
}

// The bound core (see orvane-core.d.ts), or a CoreProblem.
export async function loadCore() {
    const [wasm, glue] = await Promise.all([
        compiledWasm(),
        import(`./${kCoreScript}`).catch(error => {
            throw problem(`could not be started: ${kCoreScript} did not load (${error.message})`);
        }),
    ]);
    let failInstantiation;
    const instantiationFailed = new Promise((_, reject) => { failInstantiation = reject; });
    const ready = glue.default({
        instantiateWasm(imports, receive) {
            WebAssembly.instantiate(wasm, imports)
                .then(instance => receive(instance, wasm))
                .catch(error => failInstantiation(problem(`does not fit this page (${error.message})`)));
            return {};
        },
        // The glue's own reports go to the console; the page reports through CoreProblem.
        print: text => console.log(text),
        printErr: text => console.warn(text),
    });
    return Promise.race([ready, instantiationFailed]);
}

// Started when this module is first evaluated: the page loads it by itself, asynchronously,
// ahead of its other modules, so that the core compiles while the page is still being read.
// Settled either way, never rejected: the page reports a failure when it is ready to.
export const coreLoading = loadCore().then(core => ({ core }), error => ({ error }));
