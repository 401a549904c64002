// Records: Save writes the game in the console's .psq format; Open (or a file dropped on the
// board) reads that format and managers' records, judged under the rule chosen on the page.
import { buildBoard } from './board.js';
import { changed } from './play.js';
import { $, R, engine, engineLevel, game, hasPoint, players } from './state.js';
import { render, showMessage } from './view.js';

const REPLAY_CHUNK = 16;  // positions per request when a renju record is checked

function timestamp() {
    const now = new Date();
    const two = (n) => String(n).padStart(2, '0');
    return `${now.getFullYear()}${two(now.getMonth() + 1)}${two(now.getDate())}-` +
        `${two(now.getHours())}${two(now.getMinutes())}${two(now.getSeconds())}`;
}

export function save() {
    const who = players();
    const engineName = `Gravik (level ${engineLevel()})`;
    const names = [who.black, who.white].map((p) => (p === 'engine' ? engineName : 'Player'));
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
export async function forbiddenMoves(size, moves) {
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

export function openFile(file) {
    if (!file)
        return;
    // The page counts as busy from the reading of the file to the record's last check.
    engine.holds++;
    render();
    const done = () => {
        engine.holds--;
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
