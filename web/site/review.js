// Game review: the engine evaluates every position of the game with the same small node
// budget, one position a request, in the background; the graph under the board shows the
// evaluations (black's advantage up), and moves after which the mover's evaluation fell are
// marked as mistakes or blunders, with the engine's better move shown when one is replayed.
import { review as replayTo } from './play.js';
import { $, FULL_STRENGTH, R, engine, game } from './state.js';
import { render } from './view.js';

// Nodes per position: 200000 take about 0.1 to 0.3 s in Chromium on a two-core machine
// (the WebAssembly engine runs at a little under half the native speed), so a game of 40
// moves reviews in about 7 s, under the 20 s a player may wait even with the machine busy,
// and the middle game is still searched 8 to 11 plies deep, enough to see threes and fours.
export const REVIEW_NODES = 200000;
const REVIEW_TIME = 60000;  // the clock never ends these searches: the node budget does

// The engine's scores: proven wins and losses from 10000 up (the threat search's 10000000
// too); ordinary ones mostly within a few hundred.
const DECIDED = 10000;
const SCALE = 1500;
// The mover's squashed evaluation (-1 lost .. 1 won) falling by this much marks the move; a
// fall into a proven loss is a blunder from the smaller one on.
export const MISTAKE = 0.3;
export const BLUNDER = 0.6;

const SVG = 'http://www.w3.org/2000/svg';
const HEIGHT = 120;

// -1 .. 1: decided scores at the edge, the rest through tanh.
export function squash(score) {
    if (Math.abs(score) >= DECIDED)
        return Math.sign(score);
    return Math.tanh(score / SCALE);
}

const sameMoves = (a, b) => a.length === b.length &&
    a.every((m, k) => m.x === b[k].x && m.y === b[k].y);

// Whether the review `run` belongs to the game on the board.
function current(run) {
    return run && run.size === game.size && run.rule === game.rule &&
        sameMoves(run.moves, game.moves);
}

export const reviewRunning = () => Boolean(game.review && !game.review.done);

// Set by the page: a review takes the engine from analysis when it starts, and gives it back
// when it has finished.
export const hooks = { start: () => {}, done: () => {} };

// One position's request: full strength under the node budget, the best move and its score.
function positionLines(run, k) {
    return [`START ${run.size}`, `INFO rule ${run.rule}`, `INFO level ${FULL_STRENGTH}`,
        `INFO timeout_turn ${REVIEW_TIME}`, 'INFO show_detail 0', `INFO max_node ${REVIEW_NODES}`,
        'YXBOARD', ...R.boardLines(run.moves.slice(0, k)), 'DONE', 'YXNBEST 1'];
}

// From the reply: {score (side to move's view) or null when nothing was searched, best}.
function readReply(reply) {
    const depth = /^MESSAGE Depth (\d+) \((\d+)-(\d+)-(\d+)\)\s+Eval (-?\d+)/.exec(
        reply.find((line) => line.startsWith('MESSAGE Depth')) || '');
    const searched = depth && (depth[2] !== '0' || depth[3] !== '0' || depth[4] !== '0');
    const list = R.parseNbest(reply) || [];
    const move = R.parseMove(reply);
    const best = list[0] || (move && move.x >= 0 ? [move.x, move.y] : null);
    return { score: searched ? Number(depth[5]) : null, best };
}

// Where the engine's answer carries no score (the opening book or its point table chose the
// move), the rules decide the clear cases: a five to make wins, two fives to stop lose.
function ruledScore(run, k) {
    const moves = run.moves.slice(0, k);
    const mover = R.colourOf(k);
    const other = mover === 'black' ? 'white' : 'black';
    if (R.fivePoints(run.size, run.rule, moves, mover).length > 0)
        return DECIDED;
    if (R.fivePoints(run.size, run.rule, moves, other).length > 1)
        return -DECIDED;
    return null;
}

// Each position's value from black's side, -1 .. 1; unknown ones take the next known value
// (the forced move leads there), else the last one, else 0. A position between two won for
// the same side is won for it too: the search proves a win from the winner's side more
// readily than the loss from the loser's, and the loser's replies are not mistakes.
function blackValues(run) {
    const values = run.scores.map((score, k) => (score === null || score === undefined ? null :
        (k % 2 === 0 ? 1 : -1) * squash(score)));
    const proven = (v) => v === 1 || v === -1;
    for (let k = 1; k + 1 < values.length; k++)
        if (proven(values[k - 1]) && values[k + 1] === values[k - 1] && !proven(values[k]))
            values[k] = values[k - 1];
    let next = null;
    for (let k = values.length - 1; k >= 0; k--) {
        if (values[k] === null) values[k] = next;
        else next = values[k];
    }
    let last = 0;
    for (let k = 0; k < values.length; k++) {
        if (values[k] === null) values[k] = last;
        else last = values[k];
    }
    return values;
}

// The grade of each move (index k: the move from position k to k+1): 0, 1 mistake, 2 blunder.
// The engine's own choice is never marked.
function grades(run, values) {
    return run.moves.map((move, k) => {
        if (values[k + 1] === undefined)
            return 0;
        const best = run.bests[k];
        if (!best || (best[0] === move.x && best[1] === move.y))
            return 0;
        const sign = k % 2 === 0 ? 1 : -1;
        const before = sign * values[k];
        const after = sign * values[k + 1];
        const fall = before - after;
        // a move that turns a game still open into a proven loss throws it away
        const thrown = after <= -1 && fall >= MISTAKE;
        return fall >= BLUNDER || thrown ? 2 : fall >= MISTAKE ? 1 : 0;
    });
}

// Starts a review of the game on the board (any review before it ends).
export async function startReview() {
    cancelReview();
    const moves = game.moves.slice();
    if (moves.length === 0)
        return;
    const run = { size: game.size, rule: game.rule, moves, result: game.result, scores: [],
        bests: [], values: [], grades: [], at: 0, id: 0, done: false, started: performance.now(),
        ms: 0 };
    game.review = run;
    hooks.start();
    const last = moves.length;
    for (let k = 0; k <= last; k++) {
        run.at = k;
        render();
        if (k === last && run.result) {  // the game's end decides the last position
            const winner = run.result.winner;
            run.scores[k] = winner === null ? 0 : (R.colourOf(k) === winner ? 1 : -1) * DECIDED;
            continue;
        }
        let reply = null;
        for (;;) {
            const request = engine.send(positionLines(run, k), { tag: 'review', quiet: true,
                lasting: true });
            run.id = request.id;
            try {
                reply = await request;
            } catch (error) {
                reply = null;
            }
            if (game.review !== run)
                return;
            // another search's stop reached this one too: ask again
            if (reply && !engine.stoppedAt(request.id))
                break;
        }
        const { score, best } = readReply(reply);
        run.scores[k] = score === null ? ruledScore(run, k) : score;
        run.bests[k] = best;
        run.values = blackValues(run);
    }
    run.values = blackValues(run);
    run.grades = grades(run, run.values);
    run.done = true;
    run.ms = Math.round(performance.now() - run.started);
    render();
    hooks.done();
}

// Ends the review running, if any, and takes the review off the page.
export function cancelReview() {
    const run = game.review;
    game.review = null;
    if (run && !run.done)
        engine.stop(run.id);
}

// After a change of the game: a review of other moves goes.
export function checkReview() {
    if (game.review && !current(game.review))
        cancelReview();
}

// The button: starts a review, cancels the one running, or hides the one shown.
export function toggleReview() {
    if (game.review)
        cancelReview();
    else
        startReview();
    render();
}

// The grade of move n (0-based) while a finished review is shown, else 0.
export function gradeOf(n) {
    const run = game.review;
    return run && run.done ? run.grades[n] || 0 : 0;
}

// The engine's better move for the last move shown, when that move is marked.
export function betterMove(shownCount) {
    const run = game.review;
    const n = shownCount - 1;
    if (!run || !run.done || n < 0 || !run.grades[n])
        return null;
    return run.bests[n];
}

const COUNT = (n, word) => `${n} ${word}${n === 1 ? '' : 's'}`;

function reviewText(shownCount) {
    const run = game.review;
    if (!run)
        return '';
    const total = run.moves.length;
    if (!run.done)
        return `Reviewing move ${Math.max(1, run.at)} of ${total}…`;
    const mistakes = run.grades.filter((g) => g === 1).length;
    const blunders = run.grades.filter((g) => g === 2).length;
    let text = `Review: ${COUNT(mistakes, 'mistake')}, ${COUNT(blunders, 'blunder')}. ` +
        'Click the graph to replay a move.';
    const better = betterMove(shownCount);
    if (better) {
        const n = shownCount - 1;
        const move = run.moves[n];
        text = `Move ${n + 1} (${R.colourOf(n)} ${R.pointName(move.x, move.y)}) was a ` +
            `${run.grades[n] === 2 ? 'blunder' : 'mistake'}: the engine prefers ` +
            `${R.pointName(better[0], better[1])}, ringed on the board.`;
    }
    return text;
}

let drawn = '';  // what the graph shows now, to redraw it only when that changes

function element(name, attributes) {
    const node = document.createElementNS(SVG, name);
    for (const [key, value] of Object.entries(attributes))
        node.setAttribute(key, String(value));
    return node;
}

// The graph: one bar per move from the middle line, up for black's advantage, down for
// white's; marked moves in the mistake colours, the move shown outlined.
function drawGraph(shownCount) {
    const svg = $('eval-graph');
    const run = game.review;
    const figure = $('review-panel');
    figure.hidden = !run;
    if (!run) {
        drawn = '';
        svg.removeAttribute('data-review');
        svg.textContent = '';
        return;
    }
    setState(svg, run.done ? 'done' : 'running');
    const width = Math.max(200, Math.round(svg.getBoundingClientRect().width) || 600);
    const total = run.moves.length;
    const known = run.done ? total : Math.max(0, run.at - 1);
    const key = [width, total, known, shownCount, run.done, run.values.join()].join('|');
    if (key === drawn)
        return;
    drawn = key;
    svg.setAttribute('viewBox', `0 0 ${width} ${HEIGHT}`);
    svg.textContent = '';
    const mid = HEIGHT / 2;
    const reach = mid - 4;
    const step = width / total;
    svg.append(element('rect', { class: 'graph-bg', x: 0, y: 0, width, height: HEIGHT }));
    svg.append(element('rect', { class: 'graph-black-side', x: 0, y: 0, width, height: mid }));
    for (let k = 1; k <= known; k++) {
        const value = run.values[k] || 0;
        const grade = run.done ? run.grades[k - 1] : 0;
        const group = element('g', { 'data-move': k, class: 'graph-move' });
        if (grade) group.setAttribute('data-mistake', String(grade));
        if (k === shownCount) group.setAttribute('data-current', '');
        const x = (k - 1) * step;
        const top = value >= 0 ? mid - value * reach : mid;
        const height = Math.max(1, Math.abs(value) * reach);
        group.append(element('rect', { class: 'hit', x, y: 0, width: step, height: HEIGHT }));
        group.append(element('rect', { class: 'bar', x: x + step * 0.1, y: top,
            width: Math.max(1, step * 0.8), height }));
        const title = element('title', {});
        const move = run.moves[k - 1];
        title.textContent = `Move ${k}, ${R.colourOf(k - 1)} ${R.pointName(move.x, move.y)}` +
            (grade === 2 ? ', blunder' : grade === 1 ? ', mistake' : '');
        group.append(title);
        svg.append(group);
    }
    svg.append(element('line', { class: 'graph-mid', x1: 0, y1: mid, x2: width, y2: mid }));
    const label = (text, y, cls) => {
        const node = element('text', { class: `graph-label ${cls}`, x: 4, y });
        node.textContent = text;
        svg.append(node);
    };
    label('Black', 13, 'graph-label-black');
    label('White', HEIGHT - 5, 'graph-label-white');
}

function setState(svg, value) {
    if (svg.getAttribute('data-review') !== value)
        svg.setAttribute('data-review', value);
}

// The review's part of the page: the graph, the progress or summary line and the button.
export function drawReview(shownCount) {
    drawGraph(shownCount);
    const text = reviewText(shownCount);
    if ($('review-status').textContent !== text)
        $('review-status').textContent = text;
    const button = $('review');
    const label = !game.review ? 'Review game' : game.review.done ? 'Hide review' : 'Cancel review';
    if (button.textContent !== label)
        button.textContent = label;
    button.disabled = !game.review && game.moves.length === 0;
}

// Clicking a move of the graph replays the game to it.
export function wireReview() {
    $('review').addEventListener('click', toggleReview);
    $('eval-graph').addEventListener('click', (event) => {
        const group = event.target.closest('[data-move]');
        if (group && game.review)
            replayTo(Number(group.dataset.move));
    });
    new ResizeObserver(() => render()).observe($('eval-graph'));
}
