// The board page: wires the controls to the game and starts the engine. The engine lives in a
// Web Worker and is spoken to in protocol lines; the page itself judges every move (rules.js).
import { onLive, requestHints, startAnalysis, stopAnalysis } from './analysis.js';
import {
    advance, moveNow, newGame, personPlays, restartCourse, review, undo,
} from './play.js';
import { openLink, wireLinks } from './links.js';
import { openFile, save } from './records.js';
import { hooks as reviewHooks, wireReview } from './review.js';
import { fillLevels, loadSettings, saveSettings } from './settings.js';
import {
    $, R, analysing, engine, engineTime, game, players, reviewing, sideToMove,
} from './state.js';
import { render, showMessage } from './view.js';

const ARROWS = {
    ArrowLeft: [-1, 0],
    ArrowRight: [1, 0],
    ArrowUp: [0, 1],
    ArrowDown: [0, -1],
};

// Hints and analysis are for a position the engine is not about to play in.
const askable = () => reviewing() || (!game.result && players()[sideToMove()] === 'person');

function wireControls() {
    const sizes = $('size');
    for (let n = R.MIN_SIZE; n <= R.MAX_SIZE; n++) {
        const option = new Option(`${n} × ${n}`, String(n), n === 15, n === 15);
        sizes.add(option);
    }
    $('new-game').addEventListener('click', newGame);
    $('banner-new').addEventListener('click', newGame);
    $('size').addEventListener('change', newGame);
    $('rule').addEventListener('change', newGame);
    $('undo').addEventListener('click', undo);
    $('move-now').addEventListener('click', moveNow);
    const at = () => (reviewing() ? game.view : game.moves.length);
    $('first').addEventListener('click', () => review(0));
    $('back').addEventListener('click', () => review(at() - 1));
    $('forward').addEventListener('click', () => review(at() + 1));
    $('last').addEventListener('click', () => review(game.moves.length));
    $('save').addEventListener('click', save);
    for (const id of ['black-player', 'white-player'])
        $(id).addEventListener('change', restartCourse);
    $('time').addEventListener('change', () => {
        $('time').value = String(engineTime());
        saveSettings();
    });
    // a new level counts from the engine's next move
    $('level').addEventListener('change', saveSettings);
    $('hints').addEventListener('change', () => {
        if (analysing())
            return;  // the analysis shows the candidates already
        game.hints = [];
        render();
        if ($('hints').checked && askable())
            requestHints(game.gen);
    });
    $('analyse').addEventListener('change', () => {
        stopAnalysis();
        game.hints = [];
        render();
        if (!askable())
            return;
        if (analysing())
            startAnalysis(game.gen);
        else if ($('hints').checked)
            requestHints(game.gen);
    });
    $('numbers').addEventListener('change', render);
    $('open').addEventListener('change', (event) => {
        openFile(event.target.files[0]);
        event.target.value = '';
    });
}

function wireBoard() {
    const board = $('board');
    board.addEventListener('click', (event) => {
        const point = event.target.closest('.point');
        if (point)
            personPlays(Number(point.dataset.x), Number(point.dataset.y));
    });
    board.addEventListener('pointerdown', () => board.removeAttribute('data-keys'));
    board.addEventListener('keydown', (event) => {
        if (ARROWS[event.key]) {
            const [dx, dy] = ARROWS[event.key];
            const clamp = (v) => Math.min(game.size - 1, Math.max(0, v));
            game.cursor = { x: clamp(game.cursor.x + dx), y: clamp(game.cursor.y + dy) };
            board.setAttribute('data-keys', '');
            event.preventDefault();
            render();
        } else if (event.key === 'Enter' || event.key === ' ') {
            board.setAttribute('data-keys', '');
            event.preventDefault();
            personPlays(game.cursor.x, game.cursor.y);
        }
    });

    const wrap = $('board-wrap');
    wrap.addEventListener('dragover', (event) => {
        event.preventDefault();
        wrap.dataset.drop = 'on';
    });
    wrap.addEventListener('dragleave', () => delete wrap.dataset.drop);
    wrap.addEventListener('drop', (event) => {
        event.preventDefault();
        delete wrap.dataset.drop;
        openFile(event.dataTransfer.files[0]);
    });
}

// A review takes the engine from analysis, and gives it back once it has finished.
reviewHooks.start = stopAnalysis;
reviewHooks.done = () => {
    if (analysing() && !game.analysis && askable())
        startAnalysis(game.gen);
};
// A game in the page's address opens once the engine is there to check it.
engine.onReady = async () => {
    if (!(await openLink()))
        advance();
};
engine.onLive = onLive;
engine.onChange = render;
engine.onFailure = (text) => showMessage(`The engine could not start: ${text}.`);
fillLevels();
loadSettings();
wireControls();
wireBoard();
wireReview();
wireLinks();
newGame();
engine.start();
render();

// Offline use: the service worker keeps the site's files. Pages opened from files or on
// hosts that are not secure have none, and work the same online.
if ('serviceWorker' in navigator)
    navigator.serviceWorker.register('sw.js').catch(() => {});
