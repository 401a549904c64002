// The game as the page holds it, the engine client every part shares, and small questions
// about the position shown.
import { EngineClient } from './client.js';

export const R = window.GravikRules;
export const $ = (id) => document.getElementById(id);
export const HINTS = 5;
export const TIME_MIN = 200;
export const TIME_MAX = 60000;
// The engine's time for each stage of an analysis, in ms: it goes on until it is stopped.
export const ANALYSIS_STAGES = [3000, 15000, 60000, 300000, 3600000];

export const engine = new EngineClient();

// `gen` changes with every change of the position or of who plays it: an answer that comes
// back for an older `gen` is stale and dropped.
export const game = {
    size: 15,
    rule: 0,
    moves: [],
    result: null,
    forbidden: [],
    hints: [],
    view: null,          // while replaying: how many moves are shown; null: the game as played
    gen: 0,
    thinkingGen: -1,     // the gen for which the engine is choosing a move
    thinking: null,      // that request: {id, report, stopAsked}
    analysis: null,      // the running or finished analysis: {gen, id, report, done, side}
    forbidReady: Promise.resolve([]),
    cursor: { x: 7, y: 7 },
    info: '',
};

export const players = () => ({ black: $('black-player').value, white: $('white-player').value });
export const reviewing = () => game.view !== null;
export const shown = () => (reviewing() ? game.moves.slice(0, game.view) : game.moves);
export const sideToMove = () => R.colourOf(shown().length);
export const stoneAt = (x, y) => shown().findIndex((m) => m.x === x && m.y === y);
export const hasPoint = (list, x, y) => list.some(([u, v]) => u === x && v === y);
export const capital = (word) => word[0].toUpperCase() + word.slice(1);
export const analysing = () => $('analyse').checked;

export function engineTime() {
    const value = Math.round(Number($('time').value));
    if (!Number.isFinite(value) || value <= 0)
        return 1000;
    return Math.min(TIME_MAX, Math.max(TIME_MIN, value));
}

// Every request carries the whole setting, so a restarted worker plays as the last one did.
// `detail` 3 asks for the live lines, 0 for none.
export function settingsLines(time = engineTime(), detail = 3) {
    return [`START ${game.size}`, `INFO rule ${game.rule}`, `INFO timeout_turn ${time}`,
        `INFO show_detail ${detail}`];
}
