// The board page: draws the game, takes moves from people (pointer or keyboard) and from the
// engine, judges every move, and keeps the controls. The engine lives in a Web Worker and is
// spoken to in protocol lines; the page itself decides when a game is over (rules.js).
(function () {
    'use strict';

    const R = window.GravikRules;
    const $ = (id) => document.getElementById(id);
    const HINTS = 5;
    const TIME_MIN = 200;
    const TIME_MAX = 60000;
    const REPLAY_CHUNK = 16;  // positions per request when a renju record is checked

    // ---- The engine ----------------------------------------------------------------------

    // Requests go to the worker in order and are answered in order; `busy` counts those not
    // yet answered (the module's loading included), for the page's thinking state.
    const engine = {
        worker: null,
        pending: new Map(),
        nextId: 1,
        busy: 0,
        ready: false,
        start() {
            this.worker = new Worker('worker.js');
            this.busy = 1;
            this.pending.set(0, {
                resolve: () => {
                    this.ready = true;
                    advance();
                },
                reject: () => {},
            });
            this.worker.onmessage = (event) => this.answer(event.data);
            this.worker.onerror = (event) => {
                showMessage(`The engine could not start: ${event.message || 'unknown error'}.`);
            };
        },
        answer({ id, lines, error }) {
            const waiting = this.pending.get(id);
            if (!waiting)
                return;
            this.pending.delete(id);
            this.busy--;
            if (error)
                waiting.reject(new Error(error));
            else
                waiting.resolve(lines);
            render();
        },
        send(lines) {
            const id = this.nextId++;
            this.busy++;
            render();
            return new Promise((resolve, reject) => {
                this.pending.set(id, { resolve, reject });
                this.worker.postMessage({ id, text: lines.join('\n') + '\n' });
            });
        },
    };

    // ---- The game ------------------------------------------------------------------------

    // `gen` changes with every change of the position or of who plays it: an answer that
    // comes back for an older `gen` is stale and dropped.
    const game = {
        size: 15,
        rule: 0,
        moves: [],
        result: null,
        forbidden: [],
        hints: [],
        view: null,          // while replaying: how many moves are shown; null: the game as played
        gen: 0,
        thinkingGen: -1,     // the gen for which the engine is choosing a move
        forbidReady: Promise.resolve([]),
        cursor: { x: 7, y: 7 },
        info: '',
    };

    const players = () => ({ black: $('black-player').value, white: $('white-player').value });
    const reviewing = () => game.view !== null;
    const shown = () => (reviewing() ? game.moves.slice(0, game.view) : game.moves);
    const sideToMove = () => R.colourOf(shown().length);
    const stoneAt = (x, y) => shown().findIndex((m) => m.x === x && m.y === y);
    const hasPoint = (list, x, y) => list.some(([u, v]) => u === x && v === y);

    function engineTime() {
        const value = Math.round(Number($('time').value));
        if (!Number.isFinite(value) || value <= 0)
            return 1000;
        return Math.min(TIME_MAX, Math.max(TIME_MIN, value));
    }

    function settingsLines() {
        return [`START ${game.size}`, `INFO rule ${game.rule}`, `INFO timeout_turn ${engineTime()}`];
    }

    function queryForbid(size, moves) {
        const lines = [`START ${size}`, 'INFO rule 4', 'YXBOARD', ...R.boardLines(moves), 'DONE',
            'YXSHOWFORBID'];
        return engine.send(lines).then((reply) => R.parseForbid(reply) || []);
    }

    // After every change: mark the forbidden points, then let the engine move or give hints.
    // While a game is replayed the engine only marks and hints.
    async function advance() {
        const gen = game.gen;
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
        else if ($('hints').checked)
            await requestHints(gen);
    }

    async function engineMove(gen) {
        await game.forbidReady;  // the judge needs them if the engine plays black in renju
        if (gen !== game.gen)
            return;
        game.thinkingGen = gen;
        render();
        let reply;
        try {
            reply = await engine.send([...settingsLines(), 'BOARD', ...R.boardLines(game.moves),
                'DONE']);
        } catch (error) {
            game.thinkingGen = -1;
            showMessage(`The engine failed: ${error.message}`);
            render();
            return;
        }
        if (gen !== game.gen)
            return;
        game.thinkingGen = -1;
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

    async function requestHints(gen) {
        let reply;
        try {
            reply = await engine.send([...settingsLines(), 'YXBOARD', ...R.boardLines(shown()),
                'DONE', `YXNBEST ${HINTS}`]);
        } catch (error) {
            return;
        }
        if (gen !== game.gen || !$('hints').checked)
            return;
        game.hints = (R.parseNbest(reply) || []).slice(0, HINTS);
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
    }

    function finish(result) {
        game.result = result;
        changed();
    }

    // A person's move, from a pointer or the keyboard. Played on a replayed position, it
    // continues the game from there: the moves after it go.
    function personPlays(x, y) {
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

    // Replaying: show the game up to move `count` (clamped); the whole game ends the replay.
    function review(count) {
        const view = Math.max(0, Math.min(game.moves.length, count));
        const next = view === game.moves.length ? null : view;
        if (next === game.view)
            return;
        game.view = next;
        game.gen++;
        game.thinkingGen = -1;
        advance();
    }

    function changed() {
        game.view = null;
        game.gen++;
        game.thinkingGen = -1;
        hideMessage();
        advance();
    }

    function newGame() {
        const size = Number($('size').value);
        game.rule = Number($('rule').value);
        game.moves = [];
        game.result = null;
        game.info = '';
        if (size !== game.size || !boardBuilt) {
            game.size = size;
            buildBoard();
        }
        const centre = Math.floor(game.size / 2);
        game.cursor = { x: centre, y: centre };
        changed();
    }

    // Against the engine, undo takes back the engine's reply too: the person moves again.
    function undo() {
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

    // ---- Records -------------------------------------------------------------------------

    function timestamp() {
        const now = new Date();
        const two = (n) => String(n).padStart(2, '0');
        return `${now.getFullYear()}${two(now.getMonth() + 1)}${two(now.getDate())}-` +
            `${two(now.getHours())}${two(now.getMinutes())}${two(now.getSeconds())}`;
    }

    function save() {
        const who = players();
        const names = [who.black, who.white].map((p) => (p === 'engine' ? 'Gravik' : 'Player'));
        const text = R.formatRecord(game.size, game.moves, game.result, names);
        const link = document.createElement('a');
        link.href = URL.createObjectURL(new Blob([text], { type: 'text/plain' }));
        link.download = `REC ${timestamp()}.psq`;
        document.body.appendChild(link);
        link.click();
        link.remove();
        setTimeout(() => URL.revokeObjectURL(link.href), 10000);
    }

    // The indexes of the black moves of `moves` that stood on renju forbidden points.
    async function forbiddenMoves(size, moves) {
        const blackMoves = [];
        for (let n = 0; n < moves.length; n += 2) blackMoves.push(n);
        const found = new Set();
        for (let k = 0; k < blackMoves.length; k += REPLAY_CHUNK) {
            const chunk = blackMoves.slice(k, k + REPLAY_CHUNK);
            const lines = [`START ${size}`, 'INFO rule 4'];
            for (const n of chunk)
                lines.push('YXBOARD', ...R.boardLines(moves.slice(0, n)), 'DONE', 'YXSHOWFORBID');
            const reply = (await engine.send(lines)).filter((l) => l.startsWith('FORBID'));
            chunk.forEach((n, j) => {
                if (hasPoint(R.parseForbid([reply[j] || '']) || [], moves[n].x, moves[n].y))
                    found.add(n);
            });
        }
        return found;
    }

    // Opens a record to replay or continue it under the rule chosen on the page. A record
    // that cannot be read changes nothing but the message line.
    async function openRecord(text, name) {
        const record = R.parseRecord(text);
        if (record.error) {
            showMessage(`Could not open “${name}”: ${record.error}. Nothing was changed.`);
            return;
        }
        const rule = Number($('rule').value);
        let forbidden = new Set();
        if (rule === 4 && engine.ready)
            forbidden = await forbiddenMoves(record.size, record.moves);
        const moves = [];
        let result = null;
        for (const [n, move] of record.moves.entries()) {
            moves.push(move);
            result = R.judge(record.size, rule, moves, forbidden.has(n));
            if (result)
                break;
        }
        $('size').value = String(record.size);
        game.rule = rule;
        if (record.size !== game.size) {
            game.size = record.size;
            buildBoard();
        }
        game.moves = moves;
        game.result = result;
        game.info = '';
        changed();
        const left = record.moves.length - moves.length;
        const after = left === 1 ? 'the move after it was' : `the ${left} moves after it were`;
        showMessage(left > 0 ?
            `Opened “${name}”: the game ended at move ${moves.length}; ${after} left out.` :
            `Opened “${name}”: ${moves.length} ${moves.length === 1 ? 'move' : 'moves'}.`, 'note');
    }

    function openFile(file) {
        if (!file)
            return;
        // The page counts as busy from the reading of the file to the record's last check.
        engine.busy++;
        render();
        const done = () => {
            engine.busy--;
            render();
        };
        const reader = new FileReader();
        reader.onload = () => openRecord(String(reader.result), file.name).finally(done);
        reader.onerror = () => {
            showMessage(`Could not read “${file.name}”. Nothing was changed.`);
            done();
        };
        reader.readAsText(file);
    }

    // ---- Drawing -------------------------------------------------------------------------

    let boardBuilt = false;
    let points = [];  // points[x][y]: the element of each point

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
    function buildBoard() {
        const size = game.size;
        const board = $('board');
        board.textContent = '';
        board.style.setProperty('--n', size);
        board.style.gridTemplateColumns = `0.8fr repeat(${size}, 1fr)`;
        board.style.gridTemplateRows = `repeat(${size}, 1fr) 0.8fr`;
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
        boardBuilt = true;
    }

    function setFlag(element, name, on, value = '') {
        if (on)
            element.setAttribute(name, value);
        else
            element.removeAttribute(name);
    }

    const capital = (word) => word[0].toUpperCase() + word.slice(1);

    function resultText(result) {
        if (result.how === 'full')
            return 'Draw: the board is full.';
        if (result.how === 'forbidden') {
            const [x, y] = result.line[0];
            return `White wins: black played the forbidden point ${R.pointName(x, y)}.`;
        }
        return `${capital(result.winner)} wins with five in a row.`;
    }

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

    function render() {
        const size = game.size;
        const moves = shown();
        const last = moves[moves.length - 1];
        const win = game.result && !reviewing() ? game.result.line : [];
        const numbers = $('numbers').checked;
        const owner = new Map(moves.map((m, n) => [m.x * 100 + m.y, n]));
        for (let x = 0; x < size; x++) {
            for (let y = 0; y < size; y++) {
                const point = points[x][y];
                const n = owner.get(x * 100 + y);
                const stone = n === undefined ? '' : R.colourOf(n);
                const hint = n === undefined ? game.hints.findIndex(([u, v]) => u === x && v === y) : -1;
                const forbidden = n === undefined && hasPoint(game.forbidden, x, y);
                point.dataset.stone = stone;
                setFlag(point, 'data-last', last && last.x === x && last.y === y);
                setFlag(point, 'data-win', stone && hasPoint(win, x, y));
                setFlag(point, 'data-forbidden', forbidden);
                setFlag(point, 'data-hint', hint >= 0, String(hint + 1));
                setFlag(point, 'data-cursor', game.cursor.x === x && game.cursor.y === y);
                point.firstChild.textContent = numbers && stone ? String(n + 1) : '';
                point.lastChild.textContent = hint >= 0 ? String(hint + 1) : forbidden ? '×' : '';
                let label = `${R.pointName(x, y)}, ${stone ? `${stone}, move ${n + 1}` : 'empty'}`;
                if (forbidden) label += ', forbidden for black';
                if (hint >= 0) label += `, hint ${hint + 1}`;
                point.setAttribute('aria-label', label);
            }
        }
        const board = $('board');
        setFlag(board, 'data-numbers', numbers);
        board.setAttribute('aria-activedescendant', `p-${game.cursor.x}-${game.cursor.y}`);
        $('status').textContent = statusText();
        $('engine-info').textContent = game.info;
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

    function showMessage(text, kind = 'error') {
        const message = $('message');
        message.textContent = text;
        message.dataset.kind = kind;
        message.hidden = false;
    }

    function hideMessage() {
        $('message').hidden = true;
    }

    // ---- Controls ------------------------------------------------------------------------

    const ARROWS = {
        ArrowLeft: [-1, 0],
        ArrowRight: [1, 0],
        ArrowUp: [0, 1],
        ArrowDown: [0, -1],
    };

    function wire() {
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
        const at = () => (reviewing() ? game.view : game.moves.length);
        $('first').addEventListener('click', () => review(0));
        $('back').addEventListener('click', () => review(at() - 1));
        $('forward').addEventListener('click', () => review(at() + 1));
        $('last').addEventListener('click', () => review(game.moves.length));
        $('save').addEventListener('click', save);
        for (const id of ['black-player', 'white-player']) {
            $(id).addEventListener('change', () => {
                game.gen++;  // who plays changed: a move or hints under way are for nobody now
                game.thinkingGen = -1;
                advance();
            });
        }
        $('time').addEventListener('change', () => {
            $('time').value = String(engineTime());
        });
        $('hints').addEventListener('change', () => {
            game.hints = [];
            render();
            const hintable = reviewing() || (!game.result && players()[sideToMove()] === 'person');
            if ($('hints').checked && hintable)
                requestHints(game.gen);
        });
        $('numbers').addEventListener('change', render);
        $('open').addEventListener('change', (event) => {
            openFile(event.target.files[0]);
            event.target.value = '';
        });

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

    wire();
    newGame();
    engine.start();
    render();
})();
