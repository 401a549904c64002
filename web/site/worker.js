// The engine's own thread. It loads the WebAssembly engine and serves the page's requests one
// at a time: each message {id, text} holds protocol lines, each answer {id, lines} holds every
// line the engine wrote for them, and every line also goes out at once as {id, live} while the
// engine works. A message {stopMark} (an Int32Array over shared memory) makes the searches
// stop once the page writes there the id of the request being served, or a later one.
'use strict';

importScripts('engine.js');

let serving = 0;  // the id of the request being served, for its live lines

const ready = createGravik({
    // The engine writes to its sink, never to stdout; anything else is a fault worth seeing.
    print: (text) => console.log(text),
    printErr: (text) => console.warn(text),
}).then((engine) => {
    engine.onLine = (line) => postMessage({ id: serving, live: line });
    const seed = (Date.now() ^ Math.floor(Math.random() * 0x100000000)) >>> 0;
    const greeting = engine.ccall('gravik_start', 'string', ['number'], [seed]);
    postMessage({ id: 0, lines: toLines(greeting) });
    return engine;
});

function toLines(text) {
    return text.split('\n').map((line) => line.replace(/\r$/, '')).filter((line) => line !== '');
}

// Messages that arrive while the module loads wait for it, in the order they came.
onmessage = async (event) => {
    const { id, text, stopMark } = event.data;
    try {
        const engine = await ready;
        if (stopMark) {
            engine.stopMark = stopMark;
            engine.ccall('gravik_watch_stop', null, [], []);
            return;
        }
        serving = id;
        const output = engine.ccall('gravik_serve', 'string', ['string', 'number'], [text, id]);
        serving = 0;
        postMessage({ id, lines: toLines(output) });
    } catch (error) {
        postMessage({ id, error: String(error) });
    }
};
