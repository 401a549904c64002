// The engine's own thread. It loads the WebAssembly engine and serves the page's requests one
// at a time: each message {id, text} holds protocol lines, each answer {id, lines} holds every
// line the engine wrote for them. While the engine thinks, only this thread waits.
'use strict';

importScripts('engine.js');

const ready = createGravik({
    // The engine writes to its sink, never to stdout; anything else is a fault worth seeing.
    print: (text) => console.log(text),
    printErr: (text) => console.warn(text),
}).then((engine) => {
    const seed = (Date.now() ^ Math.floor(Math.random() * 0x100000000)) >>> 0;
    const greeting = engine.ccall('gravik_start', 'string', ['number'], [seed]);
    postMessage({ id: 0, lines: toLines(greeting) });
    return engine;
});

function toLines(text) {
    return text.split('\n').map((line) => line.replace(/\r$/, '')).filter((line) => line !== '');
}

// Requests that arrive while the module loads wait for it, in the order they came.
onmessage = async (event) => {
    const { id, text } = event.data;
    try {
        const engine = await ready;
        const output = engine.ccall('gravik_serve', 'string', ['string'], [text]);
        postMessage({ id, lines: toLines(output) });
    } catch (error) {
        postMessage({ id, error: String(error) });
    }
};
