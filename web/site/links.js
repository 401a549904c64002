// Games as links: Copy link puts the game into the page's address fragment,
// #rule=renju&size=15&moves=h8j9h9 (the board's own point names, lower case, one after
// another), and a page opened on such an address shows that game in replay at its last move.
// A link comes from anyone: it is only parsed, and anything wrong with it leaves an empty
// board and a message saying what.
import { buildBoard } from './board.js';
import { newGame, restartCourse } from './play.js';
import { forbiddenMoves } from './records.js';
import { checkReview } from './review.js';
import { $, R, engine, game } from './state.js';
import { hideMessage, render, showMessage } from './view.js';

const RULE_NAMES = { 0: 'freestyle', 1: 'exactly-five', 4: 'renju', 8: 'caro', 9: 'standard-caro' };
const MAX_LINK = 4000;  // characters: a full 25x25 board needs about 2000

export function linkText(size, rule, moves) {
    const names = moves.map((m) => R.pointName(m.x, m.y).toLowerCase()).join('');
    return `#rule=${RULE_NAMES[rule]}&size=${size}&moves=${names}`;
}

function ruleOf(text) {
    for (const [value, name] of Object.entries(RULE_NAMES))
        if (text === name || text === value) return Number(value);
    return null;
}

// Reads a fragment into {size, rule, moves} (0-based points), or {error}; checks the board,
// not yet the game.
export function parseLink(hash) {
    const text = String(hash).replace(/^#/, '');
    if (text.length > MAX_LINK)
        return { error: 'it is too long' };
    const fields = new URLSearchParams(text);
    const rule = ruleOf((fields.get('rule') || 'freestyle').toLowerCase());
    if (rule === null)
        return { error: 'it names no rule this board knows' };
    const sizeText = fields.get('size') || '15';
    const size = /^\d{1,2}$/.test(sizeText) ? Number(sizeText) : NaN;
    if (!(size >= R.MIN_SIZE && size <= R.MAX_SIZE))
        return { error: `the board size must be ${R.MIN_SIZE} to ${R.MAX_SIZE}` };
    const list = (fields.get('moves') || '').toUpperCase();
    if (!/^([A-Z]\d{1,2})*$/.test(list))
        return { error: 'its moves are not points such as h8' };
    const moves = [];
    const taken = new Set();
    for (const [, letter, number] of list.matchAll(/([A-Z])(\d{1,2})/g)) {
        const x = R.LETTERS.indexOf(letter);
        const y = Number(number) - 1;
        const name = `${letter.toLowerCase()}${number}`;
        if (x < 0 || x >= size || y < 0 || y >= size || number.startsWith('0'))
            return { error: `move ${moves.length + 1} (${name}) is off the board` };
        if (taken.has(x * 100 + y))
            return { error: `move ${moves.length + 1} (${name}) is on a stone` };
        taken.add(x * 100 + y);
        moves.push({ x, y });
    }
    return { size, rule, moves };
}

// Judges the game move by move: {result} for a game that stops at its last move or goes on,
// {error} for one that ended before it (or with a renju foul).
async function checkGame(link) {
    const forbidden = link.rule === 4 ? await forbiddenMoves(link.size, link.moves) : new Set();
    for (let n = 0; n < link.moves.length; n++) {
        if (forbidden.has(n))
            return { error: `black's move ${n + 1} is on a forbidden point: that game ended there` };
        const result = R.judge(link.size, link.rule, link.moves.slice(0, n + 1), false);
        if (result && n < link.moves.length - 1)
            return { error: `the game ended at move ${n + 1}, and it goes on` };
        if (result)
            return { result };
    }
    return { result: null };
}

function refuse(reason) {
    history.replaceState(null, '', location.pathname + location.search);
    newGame();
    showMessage(`This link holds no game that can be shown: ${reason}. Here is an empty board.`);
}

// Opens the game in the address fragment, if there is one; true when there was.
export async function openLink() {
    const hash = location.hash;
    if (!hash || hash === '#')
        return false;
    const link = parseLink(hash);
    const checked = link.error ? link : await checkGame(link);
    if (checked.error) {
        refuse(checked.error);
        return true;
    }
    $('size').value = String(link.size);
    $('rule').value = String(link.rule);
    game.rule = link.rule;
    if (link.size !== game.size) {
        game.size = link.size;
        buildBoard();
    }
    game.moves = link.moves;
    game.result = checked.result;
    game.info = '';
    game.view = checked.result ? null : link.moves.length;  // replayed: nobody moves yet
    hideMessage();
    checkReview();
    restartCourse();
    const count = link.moves.length;
    showMessage(`Opened the game from the link: ${count} ${count === 1 ? 'move' : 'moves'}.` +
        (checked.result ? '' : ' Play on from here.'), 'note');
    return true;
}

// Copy link: the game into the address (without a new history entry) and to the clipboard.
export async function share() {
    const hash = linkText(game.size, game.rule, game.moves);
    history.replaceState(null, '', location.pathname + location.search + hash);
    try {
        await navigator.clipboard.writeText(location.href);
        showMessage('The link to this game is copied.', 'note');
    } catch (error) {
        showMessage('The link to this game is in the address bar: copy it from there.', 'note');
    }
    render();
}

export function wireLinks() {
    $('share').addEventListener('click', share);
    window.addEventListener('hashchange', () => {
        if (engine.ready)
            openLink();
    });
}
