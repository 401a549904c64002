// The engine's own thread. It loads the WebAssembly engine and serves the page's requests one
// at a time: each message {id, text} holds protocol lines, each answer {id, lines} holds every
// line the engine wrote for them, and every line also goes out at once as {id, live} while the
// engine works.
//
// The first message is {init: {module, stopMark}}. `module`, when given, is the engine already
// compiled (a worker started again after a stop skips the compiling); the greeting {id: 0}
// hands the compiled module back, and names the build it loaded. `stopMark` (an Int32Array over shared memory) makes the
// searches stop once the page writes there the id of the request being served, or a later one.
'use strict';

// Two builds of the engine: engine.wasm uses WebAssembly's vector instructions, which every
// current browser runs; engine-plain.wasm does without, for the others. A module of one vector
// function tells which this browser validates. The page can ask for the plain one
// (worker.js?engine=plain).
const SIMD_PROBE = new Uint8Array([0, 97, 115, 109, 1, 0, 0, 0, 1, 5, 1, 96, 0, 1, 123, 3, 2, 1,
    0, 10, 10, 1, 8, 0, 65, 0, 253, 15, 253, 98, 11]);
const BUILD = new URLSearchParams(self.location.search).get('engine') !== 'plain' &&
    WebAssembly.validate(SIMD_PROBE) ? 'engine' : 'engine-plain';

importScripts(BUILD + '.js');

let ready = null;
let serving = 0;  // the id of the request being served, for its live lines

function load({ module, stopMark }) {
    const compiled = module ? Promise.resolve(module) :
        fetch(BUILD + '.wasm').then((response) => response.arrayBuffer()).then(WebAssembly.compile);
    return compiled.then((wasm) => createGravik({
        // The engine writes to its sink, never to stdout; anything else is a fault worth seeing.
        print: (text) => console.log(text),
        printErr: (text) => console.warn(text),
        instantiateWasm: (imports, receive) => {
            WebAssembly.instantiate(wasm, imports).then((instance) => receive(instance, wasm));
            return {};
        },
    }).then((engine) => {
        engine.onLine = (line) => postMessage({ id: serving, live: line });
        const seed = (Date.now() ^ Math.floor(Math.random() * 0x100000000)) >>> 0;
        const greeting = engine.ccall('gravik_start', 'string', ['number'], [seed]);
        if (stopMark) {
            engine.stopMark = stopMark;
            engine.ccall('gravik_watch_stop', null, [], []);
        }
        postMessage({ id: 0, lines: toLines(greeting), module: wasm, build: BUILD });
        return engine;
    }));
}

function toLines(text) {
    return text.split('\n').map((line) => line.replace(/\r$/, '')).filter((line) => line !== '');
}

// Requests that arrive while the module loads wait for it, in the order they came.
onmessage = async (event) => {
    const { id, text, init } = event.data;
    if (init) {
        ready = load(init);
        ready.catch((error) => postMessage({ id: 0, error: String(error) }));
        return;
    }
    try {
        const engine = await ready;
        serving = id;
        const output = engine.ccall('gravik_serve', 'string', ['string', 'number'], [text, id]);
        serving = 0;
        postMessage({ id, lines: toLines(output) });
    } catch (error) {
        postMessage({ id, error: String(error) });
    }
};
