// The game's course: moves from people and from the engine, each judged by the page, Move now,
// undo, replay and a new game. After every change of the position advance() decides what the
// engine does next, and stops whatever it was still doing for the position before.
import { requestHints, startAnalysis, stopAnalysis } from './analysis.js';
import { boardBuilt, buildBoard } from './board.js';
import { checkReview, reviewRunning, startReview } from './review.js';
import {
    $, R, analysing, engine, engineLevel, engineTime, game, hasPoint, players, reviewing,
    settingsLines, shown, sideToMove, stoneAt,
} from './state.js';
import { hideMessage, render, showMessage } from './view.js';

const QUICK_TIME = 100;  // the engine's shortest think, for Move now with nothing reported yet

function queryForbid(size, moves) {
    const lines = [`START ${size}`, 'INFO rule 4', 'YXBOARD', ...R.boardLines(moves), 'DONE',
        'YXSHOWFORBID'];
    return engine.send(lines).then((reply) => R.parseForbid(reply) || []);
}

// After every change: mark the forbidden points, then let the engine move, analyse or give
// hints. While a game is replayed the engine does not move.
export async function advance() {
    const gen = game.gen;
    stopAnalysis();
    engine.stopOthers(gen);
    game.forbidden = [];
    game.hints = [];
    render();
    if (!engine.ready || (game.result && !reviewing()))
        return;
    const side = sideToMove();
    if (game.rule === 4 && side === 'black') {
        game.forbidReady = queryForbid(game.size, shown()).then((points) => {
            if (gen === game.gen) {
                game.forbidden = points;
                render();
            }
            return points;
        }, () => []);
    } else {
        game.forbidReady = Promise.resolve([]);
    }
    if (players()[side] === 'engine' && !reviewing())
        await engineMove(gen);
    else if (analysing() && !reviewRunning())  // a review has the engine: analysis waits
        await startAnalysis(gen);
    else if ($('hints').checked)
        await requestHints(gen);
}

// The move the engine had as its best when it was stopped, if it stands on an empty point.
function bestReported(report) {
    const best = report.best;
    if (!best || best[0] < 0 || best[1] < 0 || best[0] >= game.size || best[1] >= game.size ||
        stoneAt(best[0], best[1]) >= 0)
        return null;
    return { x: best[0], y: best[1] };
}

async function engineMove(gen) {
    await game.forbidReady;  // the judge needs them if the engine plays black in renju
    if (gen !== game.gen)
        return;
    game.thinkingGen = gen;
    const board = ['BOARD', ...R.boardLines(game.moves), 'DONE'];
    const level = engineLevel();
    const request = engine.send([...settingsLines(engineTime(), 3, level), ...board], { tag: gen });
    const thinking = { id: request.id, report: R.newReport(), stopAsked: false };
    game.thinking = thinking;
    render();
    let reply;
    try {
        reply = await request;
        if (reply === null && gen === game.gen) {
            // Moved now, and the worker was replaced: its best so far, or a short think.
            game.thinking = null;
            const best = bestReported(thinking.report);
            reply = best ? [`${best.x},${best.y}`] :
                await engine.send([...settingsLines(QUICK_TIME, 0, level), ...board], { tag: gen });
        }
    } catch (error) {
        if (gen === game.gen) {
            game.thinkingGen = -1;
            game.thinking = null;
            showMessage(`The engine failed: ${error.message}`);
            render();
        }
        return;
    }
    if (gen !== game.gen || reply === null)
        return;
    game.thinkingGen = -1;
    game.thinking = null;
    game.info = R.parseDepth(reply) || game.info;
    const move = R.parseMove(reply);
    if (!move) {
        showMessage(`The engine gave no move (${reply.join(' | ')}).`);
        render();
        return;
    }
    if (move.x < 0) {  // no empty point left for it
        finish({ winner: null, how: 'full', line: [] });
        return;
    }
    await place(move.x, move.y);
}

// The engine plays its best so far.
export function moveNow() {
    const thinking = game.thinking;
    if (!thinking || thinking.stopAsked || game.thinkingGen !== game.gen)
        return;
    thinking.stopAsked = true;
    engine.stop(thinking.id);
    render();
}

// Puts the next stone on (x, y) and judges it. Whoever plays it, a renju black move is
// judged against the forbidden points of the position before it.
async function place(x, y) {
    const gen = game.gen;
    if (game.result || stoneAt(x, y) >= 0 || x < 0 || y < 0 || x >= game.size || y >= game.size)
        return;
    let forbidden = false;
    if (game.rule === 4 && sideToMove() === 'black') {
        const points = await game.forbidReady;
        if (gen !== game.gen)
            return;
        forbidden = hasPoint(points, x, y);
    }
    game.moves.push({ x, y });
    game.result = R.judge(game.size, game.rule, game.moves, forbidden);
    changed();
    if (game.result)
        startReview();  // the game is over: the engine goes through it
}

function finish(result) {
    game.result = result;
    changed();
    startReview();
}

// A person's move, from a pointer or the keyboard. Played on a replayed position, it
// continues the game from there: the moves after it go.
export function personPlays(x, y) {
    game.cursor = { x, y };
    const replayed = reviewing() && stoneAt(x, y) < 0;
    if (!engine.ready || (game.result && !replayed) || players()[sideToMove()] !== 'person') {
        render();
        return;
    }
    if (replayed) {
        game.moves = shown();  // the gen stays: the forbidden points are this position's
        game.view = null;
        game.result = null;
    }
    place(x, y);
}

// A new position or new players: whatever the engine was doing is for nobody now.
export function restartCourse() {
    game.gen++;
    game.thinkingGen = -1;
    game.thinking = null;
    advance();
}

// Replaying: show the game up to move `count` (clamped); the whole game ends the replay.
export function review(count) {
    const view = Math.max(0, Math.min(game.moves.length, count));
    const next = view === game.moves.length ? null : view;
    if (next === game.view)
        return;
    game.view = next;
    restartCourse();
}

export function changed() {
    game.view = null;
    hideMessage();
    checkReview();
    restartCourse();
}

export function newGame() {
    const size = Number($('size').value);
    game.rule = Number($('rule').value);
    game.moves = [];
    game.result = null;
    game.info = '';
    if (size !== game.size || !boardBuilt()) {
        game.size = size;
        buildBoard();
    }
    const centre = Math.floor(game.size / 2);
    game.cursor = { x: centre, y: centre };
    changed();
}

// Against the engine, undo takes back the engine's reply too: the person moves again.
export function undo() {
    const who = players();
    if (game.moves.length === 0 || (who.black === 'engine' && who.white === 'engine'))
        return;
    game.view = null;
    game.moves.pop();
    while (game.moves.length > 0 && who[sideToMove()] === 'engine')
        game.moves.pop();
    game.result = null;
    changed();
}
