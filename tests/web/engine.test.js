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
