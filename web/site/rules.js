// The rules the page applies itself: who has won after a move, under each of the five rules,
// and the .psq record format the console game writes. No DOM here: the page loads it as a
// plain script (window.GravikRules), the tests under Node with require().
(function (root) {
    'use strict';

    // Protocol rule values and their names.
    const RULES = {
        0: 'Freestyle',
        1: 'Exactly five',
        4: 'Renju',
        8: 'Freestyle caro',
        9: 'Standard caro',
    };
    const MIN_SIZE = 10;
    const MAX_SIZE = 25;
    const DIRECTIONS = [[1, 0], [1, -1], [1, 1], [0, 1]];

    // Column letters as on a go or renju board: no I, so 25 letters reach Z.
    const LETTERS = 'ABCDEFGHJKLMNOPQRSTUVWXYZ';
    function pointName(x, y) {
        return LETTERS[x] + (y + 1);
    }

    // The colour that plays move number n (0-based): black first.
    function colourOf(n) {
        return n % 2 === 0 ? 'black' : 'white';
    }

    // A size × size grid of null / 'black' / 'white' from a move list of {x, y}.
    function boardOf(size, moves) {
        const grid = Array.from({ length: size }, () => Array(size).fill(null));
        moves.forEach((m, n) => {
            grid[m.x][m.y] = colourOf(n);
        });
        return grid;
    }

    // The whole run of `colour` through (x, y) along (dx, dy), and what lies beyond each end:
    // 'own' never (the run is maximal), the other colour, or null for empty or off the board.
    function runThrough(grid, x, y, dx, dy, colour) {
        const size = grid.length;
        const at = (u, v) => (u >= 0 && v >= 0 && u < size && v < size ? grid[u][v] : null);
        let back = 0;
        while (at(x - (back + 1) * dx, y - (back + 1) * dy) === colour) back++;
        let ahead = 0;
        while (at(x + (ahead + 1) * dx, y + (ahead + 1) * dy) === colour) ahead++;
        const points = [];
        for (let k = -back; k <= ahead; k++) points.push([x + k * dx, y + k * dy]);
        const ends = [
            at(x - (back + 1) * dx, y - (back + 1) * dy),
            at(x + (ahead + 1) * dx, y + (ahead + 1) * dy),
        ];
        return { points, ends };
    }

    // Does a run of `length` stones of `colour`, with the given end cells, win under `rule`?
    // A five's end cells are the cells beyond it; a longer run holds fives whose ends are its
    // own stones, which exactly five, renju's black and standard caro never count.
    function runWins(rule, colour, length, ends) {
        if (length < 5)
            return false;
        const opponent = colour === 'black' ? 'white' : 'black';
        const boxedIn = ends[0] === opponent && ends[1] === opponent;
        switch (rule) {
        case 0: return true;
        case 1: return length === 5;
        case 4: return colour === 'white' || length === 5;
        case 8: return length > 5 || !boxedIn;
        case 9: return length === 5 && !boxedIn;
        default: return false;
        }
    }

    // The result after `moves` (the last one just played), or null while the game goes on.
    // Only the last stone can make a new winning line. `forbidden` says whether the last move
    // stood on a renju forbidden point for black (the engine tells; see YXSHOWFORBID).
    // Result: {winner: 'black' | 'white' | null, how: 'five' | 'forbidden' | 'full', line}.
    function judge(size, rule, moves, forbidden) {
        if (moves.length === 0)
            return null;
        const grid = boardOf(size, moves);
        const last = moves[moves.length - 1];
        const colour = colourOf(moves.length - 1);
        const line = [];
        for (const [dx, dy] of DIRECTIONS) {
            const run = runThrough(grid, last.x, last.y, dx, dy, colour);
            if (runWins(rule, colour, run.points.length, run.ends))
                line.push(...run.points);
        }
        if (line.length > 0)
            return { winner: colour, how: 'five', line };
        if (rule === 4 && colour === 'black' && forbidden)
            return { winner: 'white', how: 'forbidden', line: [[last.x, last.y]] };
        if (moves.length >= size * size)
            return { winner: null, how: 'full', line: [] };
        return null;
    }

    // The empty points where a stone of `colour` would make a winning line under `rule` after
    // `moves` (whoever is to move): the five points of that side.
    function fivePoints(size, rule, moves, colour) {
        const grid = boardOf(size, moves);
        const points = [];
        for (let x = 0; x < size; x++) {
            for (let y = 0; y < size; y++) {
                if (grid[x][y] !== null)
                    continue;
                grid[x][y] = colour;
                if (DIRECTIONS.some(([dx, dy]) => {
                    const run = runThrough(grid, x, y, dx, dy, colour);
                    return runWins(rule, colour, run.points.length, run.ends);
                }))
                    points.push([x, y]);
                grid[x][y] = null;
            }
        }
        return points;
    }

    // ---- Records -------------------------------------------------------------------------

    // The console's record: "15x15 result:R", one "x,y,0" line per move (1-based), then the
    // two players' names, the last without a line feed. R: 2 black won, 1 white won, 0 draw,
    // -1 none.
    function resultCode(result) {
        if (!result)
            return -1;
        if (result.winner === 'black')
            return 2;
        return result.winner === 'white' ? 1 : 0;
    }

    function formatRecord(size, moves, result, names) {
        let text = `${size}x${size} result:${resultCode(result)}\n`;
        for (const m of moves) text += `${m.x + 1},${m.y + 1},0\n`;
        return text + `${names[0]}\n${names[1]}`;
    }

    // Reads a record of the console's format, or of the managers' wider .psq ("Piskvorky
    // 20x20, 11:11, 0" headers, a time after each move). Returns {size, moves} with 0-based
    // points, or {error} saying what is wrong.
    function parseRecord(text) {
        if (typeof text !== 'string' || text.indexOf('\0') >= 0)
            return { error: 'it is not a text file' };
        const lines = text.split(/\r?\n|\r/);
        const header = /(\d+)\s*x\s*(\d+)/i.exec(lines[0] || '');
        if (!header)
            return { error: 'its first line names no board size (such as 15x15)' };
        const size = Number(header[1]);
        if (Number(header[2]) !== size)
            return { error: `the board ${header[1]}x${header[2]} is not square` };
        if (size < MIN_SIZE || size > MAX_SIZE)
            return { error: `the board size ${size} is outside ${MIN_SIZE} to ${MAX_SIZE}` };
        const moves = [];
        const taken = new Set();
        for (let k = 1; k < lines.length; k++) {
            const move = /^\s*(\d+)\s*,\s*(\d+)\s*(,\s*-?\d+\s*)?$/.exec(lines[k]);
            if (!move)
                break;  // the names, or a manager's further lines
            const x = Number(move[1]) - 1;
            const y = Number(move[2]) - 1;
            if (x < 0 || y < 0 || x >= size || y >= size)
                return { error: `move ${moves.length + 1} (${move[1]},${move[2]}) is off the board` };
            if (taken.has(x * 100 + y))
                return { error: `move ${moves.length + 1} (${move[1]},${move[2]}) is on a stone` };
            taken.add(x * 100 + y);
            moves.push({ x, y });
        }
        return { size, moves };
    }

    // ---- Engine replies ------------------------------------------------------------------

    // "FORBID 0708." → [[7, 8]]; null when the line is not there.
    function parseForbid(lines) {
        const line = lines.find((l) => l.startsWith('FORBID'));
        if (!line)
            return null;
        const digits = line.slice(6).replace(/[^0-9]/g, '');
        const points = [];
        for (let k = 0; k + 4 <= digits.length; k += 4)
            points.push([Number(digits.slice(k, k + 2)), Number(digits.slice(k + 2, k + 4))]);
        return points;
    }

    // "MESSAGE NBEST 7,7 8,8" → [[7, 7], [8, 8]]; null when the line is not there.
    function parseNbest(lines) {
        const line = lines.find((l) => l.startsWith('MESSAGE NBEST'));
        if (!line)
            return null;
        return (line.match(/-?\d+,-?\d+/g) || []).map((p) => p.split(',').map(Number));
    }

    // The engine's move: the last line that is only "x,y".
    function parseMove(lines) {
        for (let k = lines.length - 1; k >= 0; k--) {
            const m = /^(-?\d+),(-?\d+)$/.exec(lines[k].trim());
            if (m)
                return { x: Number(m[1]), y: Number(m[2]) };
        }
        return null;
    }

    // "MESSAGE Depth 9 (9-12-10)  Eval 35  Node 1234 (...)" → the text after MESSAGE.
    function parseDepth(lines) {
        const line = lines.filter((l) => l.startsWith('MESSAGE Depth')).pop();
        return line ? line.slice('MESSAGE '.length) : null;
    }

    // A result the threat searches proved reports no scored line, only the move and, in its
    // depth line ("MESSAGE Depth 0 (0-18-0)  Eval 10000000 ..."), the forced evaluation: that
    // move's line as readLive would keep it (depth the deepest search's), or null when the reply
    // holds no forced result.
    function parseDecided(lines) {
        const depth = /^Depth (\d+) \((\d+)-(\d+)-(\d+)\)\s+Eval (-?\d+)/.exec(parseDepth(lines) || '');
        const move = parseMove(lines);
        if (!depth || !move || move.x < 0 || Math.abs(Number(depth[5])) < DECIDED)
            return null;
        return { line: [[move.x, move.y]], eval: Number(depth[5]),
            depth: Math.max(...depth.slice(1, 5).map(Number)) };
    }

    // ---- Live lines ----------------------------------------------------------------------

    // What the engine has reported so far about one search: the root's progress (REALTIME
    // lines) and the blocks of INFO lines it prints after each completed iteration, one per
    // ranked candidate. `pvs` holds the last complete set of blocks, best first.
    function newReport() {
        return { best: null, searching: null, lost: [], pvs: [], block: [], pv: -1 };
    }

    const POINT = /^(-?\d+),(-?\d+)$/;
    const toPoint = (word) => {
        const m = POINT.exec(word || '');
        return m ? [Number(m[1]), Number(m[2])] : null;
    };
    const INFO_NUMBERS = {
        NUMPV: 'numpv', DEPTH: 'depth', SELDEPTH: 'seldepth', NODES: 'nodes',
        TOTALNODES: 'totalNodes', TOTALTIME: 'totalTime', SPEED: 'speed', EVAL: 'eval',
    };

    // Reads one line into `report`; true when it was a live line.
    function readLive(report, line) {
        const words = line.trim().split(/\s+/);
        if (words[0] === 'MESSAGE' && words[1] === 'REALTIME') {
            const point = toPoint(words[3]);
            switch (words[2]) {
            case 'REFRESH':  // an iteration starts: its marks go
                report.searching = null;
                report.lost = [];
                return true;
            case 'POS': report.searching = point; return true;
            case 'DONE':
                if (report.searching && point && report.searching.join() === point.join())
                    report.searching = null;
                return true;
            case 'BEST': report.best = point; return true;
            case 'LOST':
                if (point) report.lost.push(point);
                return true;
            default: return false;
            }
        }
        if (words[0] !== 'INFO')
            return false;
        if (words[1] === 'PV') {
            if (words[2] === 'DONE') {
                report.pvs = report.block.filter(Boolean);
                report.block = [];
                report.pv = -1;
                if (report.pvs.length > 0 && report.pvs[0].line.length > 0)
                    report.best = report.pvs[0].line[0];
            } else {
                report.pv = Number(words[2]);
                report.block[report.pv] = { line: [] };
            }
            return true;
        }
        const entry = report.block[report.pv];
        if (words[1] === 'BESTLINE') {
            if (entry)
                entry.line = words.slice(2).map(toPoint).filter(Boolean);
            return true;
        }
        const key = INFO_NUMBERS[words[1]];
        if (!key)
            return false;
        if (entry)
            entry[key] = Number(words[2]);
        return true;
    }

    // An evaluation from the side to move's view; a forced result shows as a win or a loss.
    const DECIDED = 100000;
    function evalText(value) {
        if (value >= DECIDED)
            return 'win';
        if (value <= -DECIDED)
            return 'loss';
        return value > 0 ? `+${value}` : String(value);
    }

    // 1234567 → "1.2M"; 45600 → "45.6k".
    function countText(n) {
        if (n >= 1e6)
            return `${(n / 1e6).toFixed(1)}M`;
        if (n >= 1e3)
            return `${(n / 1e3).toFixed(1)}k`;
        return String(n);
    }

    // The position as YXBOARD or BOARD lines: "x,y,c" in move order, c 1 for the side to move.
    function boardLines(moves) {
        const toMove = moves.length % 2;
        return moves.map((m, n) => `${m.x},${m.y},${n % 2 === toMove ? 1 : 2}`);
    }

    const api = {
        RULES, MIN_SIZE, MAX_SIZE, LETTERS, pointName, colourOf, boardOf, runWins, judge,
        fivePoints, resultCode, formatRecord, parseRecord, parseForbid, parseNbest, parseMove, parseDepth,
        parseDecided,
        boardLines, newReport, readLive, evalText, countText,
    };
    if (typeof module === 'object' && module.exports)
        module.exports = api;
    else
        root.GravikRules = api;
})(typeof self !== 'undefined' ? self : this);
