// Everything the page shows besides the points: the status line, the engine's live line and
// its last Depth line, the analysis list, the banner, the buttons' states and the messages.
import { drawBoard, setFlag } from './board.js';
import { drawReview } from './review.js';
import {
    $, R, analysing, capital, engine, game, players, reviewing, shown, sideToMove,
} from './state.js';

export function resultText(result) {
    if (result.how === 'full')
        return 'Draw: the board is full.';
    if (result.how === 'forbidden') {
        const [x, y] = result.line[0];
        return `White wins: black played the forbidden point ${R.pointName(x, y)}.`;
    }
    return `${capital(result.winner)} wins with five in a row.`;
}

export const thinkingNow = () => game.thinkingGen === game.gen && game.thinking !== null;

function statusText() {
    if (!engine.ready)
        return 'Loading the engine…';
    const side = sideToMove();
    if (reviewing())
        return `Replay, move ${game.view} of ${game.moves.length}: ${capital(side)} to move. ` +
            'A move here goes on from this point.';
    if (game.result)
        return resultText(game.result);
    const who = players();
    const number = `Move ${game.moves.length + 1}: `;
    if (game.thinkingGen === game.gen)
        return `${number}${capital(side)} (engine) is thinking…`;
    const person = who.black !== who.white ? ' (you)' : '';
    return `${number}${capital(side)} to move${who[side] === 'person' ? person : ''}.`;
}

const name = (point) => (point ? R.pointName(point[0], point[1]) : '');

// "Depth 12 · eval +35 · 1.2M nodes/s · best H8 · searching J9", from what has come so far
// (the depth, evaluation and speed of `pvs`, a complete report).
function liveText(report, pvs = report.pvs) {
    const top = pvs[0];
    const parts = [];
    if (top && top.depth !== undefined) parts.push(`Depth ${top.depth}`);
    if (top && top.eval !== undefined) parts.push(`eval ${R.evalText(top.eval)}`);
    if (top && top.speed !== undefined) parts.push(`${R.countText(top.speed)} nodes/s`);
    if (report.best) parts.push(`best ${name(report.best)}`);
    if (report.searching) parts.push(`searching ${name(report.searching)}`);
    return parts.length > 0 ? parts.join(' · ') : 'Searching…';
}

// The analysis beside the board: the ranked candidates with their evaluation (for the side to
// move), depth and best line.
function drawAnalysis() {
    const panel = $('analysis');
    panel.hidden = !analysing();
    if (panel.hidden)
        return;
    const run = game.analysis;
    let head;
    if (!run)
        head = game.thinkingGen === game.gen ? 'Waits while the engine chooses its move.' :
            game.result && !reviewing() ? 'The game is over.' : 'Waiting for the engine…';
    else if (run.done)
        head = `${capital(run.side)} to move · finished${run.depthLine ? ` · ${run.depthLine}` : ''}`;
    else
        head = `${capital(run.side)} to move · ${liveText(run.report, run.pvs)}`;
    const headLine = $('analysis-head');
    if (headLine.textContent !== head)
        headLine.textContent = head;
    setFlag(panel, 'data-running', run && !run.done);
    const list = $('analysis-lines');
    const rows = run ? candidates(run) : [];
    const html = rows.map((row, k) => `<li><span class="rank">${k + 1}</span>` +
        `<span class="move">${name(row.point)}</span>` +
        `<span class="eval">${row.eval === undefined ? '' : R.evalText(row.eval)}</span>` +
        `<span class="depth">${row.depth === undefined ? '' : `d${row.depth}`}</span>` +
        `<span class="line">${row.line.length > 1 ? row.line.map(name).join(' ') : ''}</span>` +
        '</li>').join('');
    if (list.innerHTML !== html)
        list.innerHTML = html;
}

// The candidates as the board shows them, each with what the last complete report says of it.
function candidates(run) {
    return game.hints.map((point) => {
        const pv = run.pvs.find((p) => p.line[0] && p.line[0].join() === point.join());
        return pv ? { point, eval: pv.eval, depth: pv.depth, line: pv.line } : { point, line: [] };
    });
}

export function render() {
    if (pendingFrame)
        cancelAnimationFrame(pendingFrame);
    pendingFrame = 0;
    const thinking = thinkingNow();
    const report = thinking ? game.thinking.report : game.analysis && !game.analysis.done ?
        game.analysis.report : null;
    drawBoard(report ? report.best : null);
    $('status').textContent = statusText();
    $('engine-info').textContent = game.info;
    const live = thinking ? liveText(game.thinking.report) : '';
    if ($('live').textContent !== live)
        $('live').textContent = live;
    $('move-now').disabled = !thinking || game.thinking.stopAsked;
    drawAnalysis();
    drawReview(shown().length);
    $('share').disabled = game.moves.length === 0;
    const banner = $('banner');
    banner.hidden = !game.result || reviewing();
    if (game.result)
        $('banner-text').textContent = resultText(game.result);
    const who = players();
    $('undo').disabled = game.moves.length === 0 ||
        (who.black === 'engine' && who.white === 'engine');
    const at = reviewing() ? game.view : game.moves.length;
    $('first').disabled = $('back').disabled = at === 0;
    $('forward').disabled = $('last').disabled = !reviewing();
    document.body.dataset.state = game.result && !reviewing() ? 'over' :
        engine.busy > 0 ? 'thinking' : 'idle';
}

// Live lines come many times a second: they are drawn once per frame at most.
let pendingFrame = 0;
export function renderSoon() {
    if (!pendingFrame)
        pendingFrame = requestAnimationFrame(render);
}

export function showMessage(text, kind = 'error') {
    const message = $('message');
    message.textContent = text;
    message.dataset.kind = kind;
    message.hidden = false;
}

export function hideMessage() {
    $('message').hidden = true;
}
