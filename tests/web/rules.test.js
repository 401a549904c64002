// The page's own judging and records (web/site/rules.js), under Node: tables of short
// pictures for every rule, the console's record format both ways, and the engine's replies.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');

const R = require(path.join(__dirname, '..', '..', 'web', 'site', 'rules.js'));

// A picture: character k of row r is the point (x0 + k, y0 + r) on a `size` board; 'x' is
// black, 'o' white. The stones become a move list, black and white in turn, with the stone at
// picture point `last` played last (its colour must be the one whose turn the counts give).
function position(rows, last, { x0 = 2, y0 = 3 } = {}) {
    const black = [];
    const white = [];
    rows.forEach((row, r) => {
        [...row].forEach((c, k) => {
            if (k === last[0] && r === last[1])
                return;
            if (c === 'x') black.push({ x: x0 + k, y: y0 + r });
            if (c === 'o') white.push({ x: x0 + k, y: y0 + r });
        });
    });
    const lastColour = rows[last[1]][last[0]] === 'x' ? 'black' : 'white';
    (lastColour === 'black' ? black : white).push({ x: x0 + last[0], y: y0 + last[1] });
    const moves = [];
    for (let n = 0; n < black.length + white.length; n++)
        moves.push(n % 2 === 0 ? black[n / 2] : white[(n - 1) / 2]);
    assert.ok(moves.every(Boolean), `the counts of ${rows} do not alternate`);
    assert.equal(R.colourOf(moves.length - 1), lastColour, `the last stone of ${rows} is out of turn`);
    return moves;
}

const FREESTYLE = 0;
const EXACT = 1;
const RENJU = 4;
const FCARO = 8;
const SCARO = 9;

// [name, rule, rows, last point, forbidden, expected winner (null: none), how]
const CASES = [
    ['freestyle: five', FREESTYLE, ['xxxxx', 'oooo.'], [4, 0], false, 'black', 'five'],
    ['freestyle: six win', FREESTYLE, ['xxxxxx', 'ooooo.'], [2, 0], false, 'black', 'five'],
    ['freestyle: four is no five', FREESTYLE, ['xxxx.', 'ooo..'], [3, 0], false, null],
    ['freestyle: white five', FREESTYLE, ['ooooo', 'xxxx.', '....x'], [2, 0], false, 'white', 'five'],
    ['freestyle: a broken line is no five', FREESTYLE, ['xx.xxx', 'oooo..'], [5, 0], false, null],
    ['exactly five: six do not win', EXACT, ['xxxxxx', 'ooooo.'], [0, 0], false, null],
    ['exactly five: five between opponents', EXACT, ['oxxxxxo', '.ooo.x.'], [3, 0], false, 'black', 'five'],
    ['renju: white six win', RENJU, ['oooooo', 'xxxxx.', '.....x'], [5, 0], false, 'white', 'five'],
    ['renju: black six do not win', RENJU, ['xxxxxx', 'ooooo.'], [2, 0], false, null],
    ['renju: black six, forbidden, lose', RENJU, ['xxxxxx', 'ooooo.'], [2, 0], true, 'white', 'forbidden'],
    ['renju: an exact five wins even when forbidden', RENJU, ['xxxxx', 'oooo.'], [2, 0], true, 'black', 'five'],
    ['renju: a forbidden point loses black', RENJU, ['xx.x', '.o.o', 'x..o'], [0, 2], true, 'white', 'forbidden'],
    ['renju: white is never forbidden', RENJU, ['xx.x', '.o.o', 'xo.o'], [1, 2], true, null],
    ['freestyle caro: boxed-in five', FCARO, ['oxxxxxo', '.o.o...'], [3, 0], false, null],
    ['freestyle caro: one end open', FCARO, ['oxxxxx.', '.ooo...'], [3, 0], false, 'black', 'five'],
    ['freestyle caro: boxed-in six win', FCARO, ['oxxxxxxo', '..ooo...'], [3, 0], false, 'black', 'five'],
    ['standard caro: six do not win', SCARO, ['xxxxxx', 'ooooo.'], [0, 0], false, null],
    ['standard caro: one end open', SCARO, ['oxxxxx.', '.ooo...'], [3, 0], false, 'black', 'five'],
    ['standard caro: boxed-in five', SCARO, ['oxxxxxo', '.o.o...'], [3, 0], false, null],
    ['vertical five', FREESTYLE, ['xo', 'xo', 'xo', 'xo', 'x.'], [0, 4], false, 'black', 'five'],
    ['diagonal five', FREESTYLE, ['x....', '.x..o', '..xo.', '.o.x.', 'o...x'], [4, 4], false, 'black', 'five'],
    ['anti-diagonal five', FREESTYLE, ['....x', '...xo', '..xo.', '.x.o.', 'x...o'], [0, 4], false, 'black', 'five'],
];

test('judging a move under each rule', () => {
    for (const [name, rule, rows, last, forbidden, winner, how] of CASES) {
        const result = R.judge(15, rule, position(rows, last), forbidden);
        if (winner === null) {
            assert.equal(result, null, name);
        } else {
            assert.ok(result, name);
            assert.equal(result.winner, winner, name);
            assert.equal(result.how, how, name);
        }
    }
});

test('the edge of the board is an open end, not a stone', () => {
    const atEdge = position(['xxxxxo', 'ooo...'], [0, 0], { x0: 0, y0: 0 });
    assert.equal(R.judge(10, FCARO, atEdge, false).winner, 'black');
    assert.equal(R.judge(10, SCARO, atEdge, false).winner, 'black');
    assert.equal(R.judge(10, EXACT, atEdge, false).winner, 'black');
    const boxed = position(['.oxxxxxo', '..o.o...'], [3, 0], { x0: 0, y0: 0 });
    assert.equal(R.judge(10, SCARO, boxed, false), null);
});

test('the winning line holds the stones of every five the last stone made', () => {
    const moves = position(['xxxxx', 'o...x', 'o...x', 'o...x', 'o.oox', 'oo...'], [4, 0],
        { x0: 0, y0: 0 });
    const result = R.judge(15, FREESTYLE, moves, false);
    assert.equal(result.winner, 'black');
    const line = result.line.map(([x, y]) => `${x},${y}`).sort();
    assert.deepEqual(line,
        ['0,0', '1,0', '2,0', '3,0', '4,0', '4,0', '4,1', '4,2', '4,3', '4,4'].sort());
});

test('a full board without a five is a draw', () => {
    // (x + 2y) mod 4 < 2 is black: no line longer than two anywhere
    const size = 10;
    const black = [];
    const white = [];
    for (let y = 0; y < size; y++)
        for (let x = 0; x < size; x++)
            ((x + 2 * y) % 4 < 2 ? black : white).push({ x, y });
    assert.equal(black.length, white.length);
    const moves = [];
    for (let n = 0; n < size * size; n++)
        moves.push(n % 2 === 0 ? black[n / 2] : white[(n - 1) / 2]);
    for (const rule of [FREESTYLE, EXACT, RENJU, FCARO, SCARO]) {
        assert.equal(R.judge(size, rule, moves.slice(0, -1), false), null);
        assert.deepEqual(R.judge(size, rule, moves, false), { winner: null, how: 'full', line: [] });
    }
});

test('records: the console format both ways', () => {
    const moves = [{ x: 7, y: 7 }, { x: 8, y: 7 }, { x: 0, y: 14 }];
    const text = R.formatRecord(15, moves, null, ['Player', 'Gravik']);
    assert.equal(text, '15x15 result:-1\n8,8,0\n9,8,0\n1,15,0\nPlayer\nGravik');
    assert.deepEqual(R.parseRecord(text), { size: 15, moves });
    // the console's own record, and results
    assert.deepEqual(R.parseRecord('20x20 result:2\n1,1,0\n20,20,0\nPlayer\nPlayer'),
        { size: 20, moves: [{ x: 0, y: 0 }, { x: 19, y: 19 }] });
    assert.equal(R.formatRecord(10, [], { winner: 'black' }, ['a', 'b']), '10x10 result:2\na\nb');
    assert.equal(R.formatRecord(10, [], { winner: 'white' }, ['a', 'b']).split('\n')[0], '10x10 result:1');
    assert.equal(R.formatRecord(10, [], { winner: null }, ['a', 'b']).split('\n')[0], '10x10 result:0');
    // a manager's record: another header, times after the moves, CR LF
    assert.deepEqual(R.parseRecord('Piskvorky 20x20, 11:11, 0\r\n10,10,1200\r\n11,11,800\r\n-1\r\n'),
        { size: 20, moves: [{ x: 9, y: 9 }, { x: 10, y: 10 }] });
});

test('records that cannot be read say why', () => {
    const BAD = [
        ['', /board size/],
        ['hello\n1,1,0', /board size/],
        ['15x16 result:-1\n', /not square/],
        ['9x9 result:-1\n', /outside 10 to 25/],
        ['26x26 result:-1\n', /outside 10 to 25/],
        ['15x15 result:-1\n16,1,0\n', /off the board/],
        ['15x15 result:-1\n0,3,0\n', /off the board/],
        ['15x15 result:-1\n3,3,0\n4,4,0\n3,3,0\n', /on a stone/],
        ['15x15\u0000\u0001binary', /not a text file/],
    ];
    for (const [text, why] of BAD) {
        const record = R.parseRecord(text);
        assert.ok(record.error, JSON.stringify(text));
        assert.match(record.error, why, JSON.stringify(text));
    }
});

test('engine replies: forbidden points, ranked candidates, the move, the depth line', () => {
    assert.deepEqual(R.parseForbid(['OK', 'FORBID 06071208.']), [[6, 7], [12, 8]]);
    assert.deepEqual(R.parseForbid(['FORBID .']), []);
    assert.equal(R.parseForbid(['OK']), null);
    assert.deepEqual(R.parseNbest(['MESSAGE NBEST 7,7 10,2', '7,7']), [[7, 7], [10, 2]]);
    assert.deepEqual(R.parseNbest(['MESSAGE NBEST', '-1,-1']), []);
    assert.deepEqual(R.parseMove(['MESSAGE Depth 1', '11,3', 'MESSAGE x']), { x: 11, y: 3 });
    assert.deepEqual(R.parseMove(['-1,-1']), { x: -1, y: -1 });
    assert.equal(R.parseMove(['ERROR']), null);
    assert.equal(R.parseDepth(['MESSAGE Depth 3 (3-1-2)  Eval 5  Node 9 (1+2+6)', '1,1']),
        'Depth 3 (3-1-2)  Eval 5  Node 9 (1+2+6)');
    // a proven result: the move with its forced evaluation, at the deepest search's depth
    assert.deepEqual(R.parseDecided(['MESSAGE Certainly win...',
        'MESSAGE Depth 0 (0-18-0)  Eval 10000000  Node 4670 (0+4670+0)', 'MESSAGE NBEST 3,5', '3,5']),
    { line: [[3, 5]], eval: 10000000, depth: 18 });
    assert.equal(R.parseDecided(['MESSAGE Depth 0 (0-0-12)  Eval -100000  Node 1', '2,2']).eval, -100000);
    assert.equal(R.parseDecided(['MESSAGE Depth 9 (9-12-10)  Eval 35  Node 1', '7,7']), null);
    assert.equal(R.parseDecided(['MESSAGE Depth 0 (0-18-0)  Eval 10000000  Node 1', '-1,-1']), null);
    // the side to move is 1, in the order played
    assert.deepEqual(R.boardLines([{ x: 1, y: 2 }, { x: 3, y: 4 }, { x: 5, y: 6 }]),
        ['1,2,2', '3,4,1', '5,6,2']);
    assert.equal(R.pointName(0, 0), 'A1');
    assert.equal(R.pointName(8, 7), 'J8');  // no I
    assert.equal(R.pointName(24, 24), 'Z25');
});
