// The WebAssembly engine under Node, driven as the page's worker drives it: batches of
// protocol lines in, every line it wrote out.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');

const { loadEngine } = require('./support.js');

// Black to move with a double three at (6,7): black (7,7) (8,7) (6,8) (6,9), white far away.
const DOUBLE_THREE = ['7,7,1', '0,0,2', '8,7,1', '0,14,2', '6,8,1', '14,0,2', '6,9,1', '14,14,2'];

test('the engine answers batches of protocol lines', async () => {
    const engine = await loadEngine();
    assert.deepEqual(engine.greeting.slice(0, 1), ['MESSAGE Gravik gomoku engine ver.2']);

    // forbidden points, in renju only, and only while black is to move
    const forbid = (rule, stones) =>
        engine.send(['START 15', `INFO rule ${rule}`, 'YXBOARD', ...stones, 'DONE', 'YXSHOWFORBID', '']
            .join('\n')).filter((l) => l.startsWith('FORBID'));
    assert.deepEqual(forbid(4, DOUBLE_THREE), ['FORBID 0607.']);
    assert.deepEqual(forbid(0, DOUBLE_THREE), ['FORBID .']);
    assert.deepEqual(forbid(4, DOUBLE_THREE.slice(0, 7)), ['FORBID .']);

    // ranked candidates: the first is the move played, on an empty point
    const reply = engine.send(['START 15', 'INFO rule 0', 'INFO timeout_turn 200', 'YXBOARD',
        '7,7,2', '8,8,1', 'DONE', 'YXNBEST 5', ''].join('\n'));
    const nbest = reply.find((l) => l.startsWith('MESSAGE NBEST')).split(' ').slice(2);
    assert.ok(nbest.length >= 1 && nbest.length <= 5, reply.join('|'));
    assert.equal(nbest[0], reply[reply.length - 1]);
    assert.ok(!['7,7', '8,8'].includes(nbest[0]));
    assert.ok(reply.some((l) => /^MESSAGE Depth \d+ /.test(l)));

    // a move asked for with BOARD, for white
    const move = engine.send('START 10\nINFO rule 9\nINFO timeout_turn 200\nBOARD\n4,4,2\nDONE\n');
    assert.match(move[move.length - 1], /^\d,\d$/);
    assert.notEqual(move[move.length - 1], '4,4');

    // a command cut off by the end of a batch is dropped; the engine stays usable
    assert.deepEqual(engine.send('START 15\nTURN 3,'), ['OK']);
    assert.match(engine.send('YXSHOWINFO\n')[0], /^MESSAGE Gravik \d+\.\d+\.\d+/);
});

// White to move after seven stones: the threat searches take about a fifth of the time, then
// the alpha-beta search reports for seconds (about 3 s of a 5 s turn).
const MIDGAME = ['3,3,2', '4,4,1', '3,4,2', '4,3,1', '5,5,2', '2,2,1', '3,5,2'];
const think = (time) => ['START 15', 'INFO rule 0', `INFO timeout_turn ${time}`, 'INFO show_detail 3',
    'YXBOARD', ...MIDGAME, 'DONE', 'YXNBEST 3', ''].join('\n');

test('every line goes out as it is written; a stop ends only its own request, early', async () => {
    const engine = await loadEngine();
    const { module } = engine;
    const said = [];
    let stopAt = 0;
    module.onLine = (line) => {
        said.push(line);
        // stop request 7 at its first alpha-beta report
        if (!stopAt && line.startsWith('MESSAGE REALTIME BEST')) {
            stopAt = Date.now();
            Atomics.store(module.stopMark, 0, 7);
        }
    };
    module.stopMark = new Int32Array(new SharedArrayBuffer(4));
    module.ccall('gravik_watch_stop', null, [], []);

    const reply = engine.send(think(5000), 7);
    const late = Date.now() - stopAt;
    assert.ok(stopAt > 0, 'no REALTIME BEST line');
    assert.ok(late < 300, `answered ${late} ms after the stop`);
    // the lines went out one by one, the same as the batch, live lines among them
    assert.deepEqual(said.filter((l) => l !== ''), reply);
    assert.ok(reply.some((l) => /^INFO PV DONE$/.test(l)));
    const nbest = reply.find((l) => l.startsWith('MESSAGE NBEST')).split(' ')[2];
    assert.equal(reply[reply.length - 1], nbest);
    assert.ok(!MIDGAME.some((s) => s.startsWith(`${nbest},`)), nbest);

    // a stop already written for this request: it answers at once, with a move
    Atomics.store(module.stopMark, 0, 9);
    let started = Date.now();
    const stopped = engine.send(think(5000), 9);
    assert.ok(Date.now() - started < 300, `${Date.now() - started} ms`);
    assert.match(stopped[stopped.length - 1], /^\d+,\d+$/);
    // later requests, and those without an id, think their time
    for (const id of [10, 0]) {
        started = Date.now();
        engine.send(think(1000), id);
        assert.ok(Date.now() - started > 600, `request ${id}: ${Date.now() - started} ms`);
    }
});
