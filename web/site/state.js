// The game as the page holds it, the engine client every part shares, and small questions
// about the position shown.
import { EngineClient } from './client.js';

export const R = window.GravikRules;
export const $ = (id) => document.getElementById(id);
export const HINTS = 5;
export const TIME_MIN = 200;
export const TIME_MAX = 60000;
// The engine's playing levels (INFO level N), weakest first; the last is full strength.
export const LEVELS = ['Beginner', 'Novice', 'Casual', 'Club', 'Expert', 'Full strength'];
export const FULL_STRENGTH = LEVELS.length;
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
    review: null,        // the review of the game, running or shown (review.js)
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

// The level chosen for the engine's own moves, 1 to FULL_STRENGTH.
export function engineLevel() {
    const value = Number($('level').value);
    return Number.isInteger(value) && value >= 1 && value <= FULL_STRENGTH ? value : FULL_STRENGTH;
}

// Every request carries the whole setting, so a restarted worker plays as the last one did.
// `detail` 3 asks for the live lines, 0 for none. The level goes first: it writes the node
// and depth limits, which stay in the engine until the next request sets its own.
export function settingsLines(time = engineTime(), detail = 3, level = FULL_STRENGTH) {
    return [`START ${game.size}`, `INFO rule ${game.rule}`, `INFO level ${level}`,
        `INFO timeout_turn ${time}`, `INFO show_detail ${detail}`];
}
