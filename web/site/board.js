// The board: one element per point, built once per size, then kept in step with the game by
// drawBoard(). Only attributes and text that changed are written, so a live report redrawn
// many times a second costs little.
import { betterMove, gradeOf } from './review.js';
import { $, R, game, hasPoint, reviewing, shown } from './state.js';

let points = [];  // points[x][y]: the element of each point
let built = 0;    // the size the board was built for

function starPoints(size) {
    const edge = size >= 13 ? 3 : 2;
    const far = size - 1 - edge;
    const mid = Math.floor(size / 2);
    const list = [[edge, edge], [edge, far], [far, edge], [far, far]];
    if (size % 2 === 1)
        list.push([mid, mid]);
    return list;
}

// Rows from the top of the screen (highest y) down, a row label first in each; the column
// letters along the bottom.
export function buildBoard() {
    const size = game.size;
    const board = $('board');
    board.textContent = '';
    board.style.setProperty('--n', size);
    // Tracks that never ask the points for their content's size: redrawing a mark lays out
    // no more than its own point.
    board.style.gridTemplateColumns = `minmax(0, 0.8fr) repeat(${size}, minmax(0, 1fr))`;
    board.style.gridTemplateRows = `repeat(${size}, minmax(0, 1fr)) minmax(0, 0.8fr)`;
    const stars = starPoints(size);
    points = Array.from({ length: size }, () => []);
    for (let y = size - 1; y >= 0; y--) {
        const row = document.createElement('div');
        row.setAttribute('role', 'row');
        row.className = 'row-of-points';
        const label = document.createElement('div');
        label.className = 'label';
        label.setAttribute('role', 'rowheader');
        label.textContent = String(y + 1);
        row.appendChild(label);
        for (let x = 0; x < size; x++) {
            const point = document.createElement('div');
            point.className = 'point';
            point.id = `p-${x}-${y}`;
            point.setAttribute('role', 'gridcell');
            point.dataset.x = String(x);
            point.dataset.y = String(y);
            point.dataset.stone = '';
            if (x === 0) point.classList.add('edge-left');
            if (x === size - 1) point.classList.add('edge-right');
            if (y === 0) point.classList.add('edge-bottom');
            if (y === size - 1) point.classList.add('edge-top');
            if (hasPoint(stars, x, y)) point.classList.add('star');
            const stone = document.createElement('span');
            stone.className = 'stone';
            const mark = document.createElement('span');
            mark.className = 'mark';
            point.append(stone, mark);
            row.appendChild(point);
            points[x][y] = point;
        }
        board.appendChild(row);
    }
    const foot = document.createElement('div');
    foot.setAttribute('role', 'row');
    foot.className = 'row-of-points';
    foot.appendChild(document.createElement('div'));
    for (let x = 0; x < size; x++) {
        const label = document.createElement('div');
        label.className = 'label';
        label.setAttribute('role', 'columnheader');
        label.textContent = R.LETTERS[x];
        foot.appendChild(label);
    }
    board.appendChild(foot);
    built = size;
}

export const boardBuilt = () => built === game.size;

export function setFlag(element, name, on, value = '') {
    if (!on)
        element.removeAttribute(name);
    else if (element.getAttribute(name) !== value)
        element.setAttribute(name, value);
}

function setText(element, text) {
    if (element.textContent !== text)
        element.textContent = text;
}

// The stones, marks and labels of every point; `best` is the engine's best point so far.
export function drawBoard(best) {
    const size = game.size;
    const moves = shown();
    const last = moves[moves.length - 1];
    const win = game.result && !reviewing() ? game.result.line : [];
    const numbers = $('numbers').checked;
    const owner = new Map(moves.map((m, n) => [m.x * 100 + m.y, n]));
    const hintRank = new Map(game.hints.map(([x, y], k) => [x * 100 + y, k + 1]));
    const better = betterMove(moves.length);
    for (let x = 0; x < size; x++) {
        for (let y = 0; y < size; y++) {
            const point = points[x][y];
            const n = owner.get(x * 100 + y);
            const stone = n === undefined ? '' : R.colourOf(n);
            const hint = n === undefined ? hintRank.get(x * 100 + y) || 0 : 0;
            const forbidden = n === undefined && hasPoint(game.forbidden, x, y);
            const grade = n === undefined ? 0 : gradeOf(n);
            const isBetter = n === undefined && better && better[0] === x && better[1] === y;
            if (point.dataset.stone !== stone)
                point.dataset.stone = stone;
            setFlag(point, 'data-last', last && last.x === x && last.y === y);
            setFlag(point, 'data-win', stone && hasPoint(win, x, y));
            setFlag(point, 'data-forbidden', forbidden);
            setFlag(point, 'data-hint', hint > 0, String(hint));
            setFlag(point, 'data-best', n === undefined && best && best[0] === x && best[1] === y,
                '1');
            setFlag(point, 'data-mistake', grade > 0, String(grade));
            setFlag(point, 'data-better', isBetter, R.colourOf(moves.length - 1));
            setFlag(point, 'data-cursor', game.cursor.x === x && game.cursor.y === y);
            setText(point.firstChild, numbers && stone ? String(n + 1) : '');
            setText(point.lastChild, hint > 0 ? String(hint) : forbidden ? '×' : '');
            let label = `${R.pointName(x, y)}, ${stone ? `${stone}, move ${n + 1}` : 'empty'}`;
            if (forbidden) label += ', forbidden for black';
            if (hint > 0) label += `, hint ${hint}`;
            if (grade > 0) label += grade === 2 ? ', a blunder' : ', a mistake';
            if (isBetter) label += ', the engine\'s better move';
            if (point.getAttribute('aria-label') !== label)
                point.setAttribute('aria-label', label);
        }
    }
    const board = $('board');
    setFlag(board, 'data-numbers', numbers);
    board.setAttribute('aria-activedescendant', `p-${game.cursor.x}-${game.cursor.y}`);
}
