// The board page in headless Chromium: whole games, renju's forbidden points, undo, records,
// the keyboard, a phone screen and the dark theme. Every test also fails on any error the
// browser's console or the page reports.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');

const { SITE, serveSite, launchBrowser, loadEngine } = require('./support.js');
const pages = require('./pages.js');
const { closePage, idle, over, setUp, point, stones, marked, play, openRecord } = pages;

let site;
let browser;

test.before(async () => {
    site = await serveSite();
    browser = await launchBrowser();
});

test.after(async () => {
    await browser.close();
    site.close();
});

const openPage = (options) => pages.openPage(browser, site, options);

const DOUBLE_THREE_RECORD = '15x15 result:-1\n8,8,0\n1,1,0\n9,8,0\n1,15,0\n7,9,0\n15,1,0\n7,10,0\n15,15,0\nPlayer\nPlayer';

test('a person plays the engine to a result on 15x15 freestyle', async () => {
    const page = await openPage();
    await setUp(page, { white: 'engine' });
    // the person plays the free point nearest the centre, row by row: the engine wins
    const order = [];
    for (let r = 0; r < 8; r++)
        for (let y = 7 - r; y <= 7 + r; y++)
            for (let x = 7 - r; x <= 7 + r; x++)
                if (Math.max(Math.abs(x - 7), Math.abs(y - 7)) === r) order.push([x, y]);
    for (const [x, y] of order) {
        if (await page.getAttribute('body', 'data-state') === 'over')
            break;
        if (await page.getAttribute(point(x, y), 'data-stone') === '')
            await play(page, x, y);
    }
    await over(page, 1000);
    const status = await page.textContent('#status');
    assert.match(status, /wins with five in a row|Draw/);
    assert.equal(await page.isVisible('#banner'), true);
    assert.equal(await page.textContent('#banner-text'), status);
    assert.match(await page.textContent('#engine-info'), /^Depth \d+ \(\d+-\d+-\d+\)  Eval -?\d+  Node \d+/);
    const win = await marked(page, 'data-win');
    if (/wins/.test(status)) {
        const colour = status.startsWith('Black') ? 'black' : 'white';
        assert.ok(win.length >= 5);
        const all = await stones(page);
        for (const [xy] of win) assert.ok(all.includes(`${xy},${colour}`));
    }
    // nothing more is played
    const before = await stones(page);
    const empty = await page.$eval('.point[data-stone=""]', (p) => [p.dataset.x, p.dataset.y]);
    await page.click(point(...empty));
    assert.deepEqual(await stones(page), before);
    await closePage(page);
});

test('the engine plays itself on 10x10 standard caro to a result', async () => {
    const page = await openPage();
    await setUp(page, { black: 'engine', white: 'engine', rule: '9', size: '10' });
    await over(page);
    const status = await page.textContent('#status');
    const all = await stones(page);
    if (/wins/.test(status)) {
        // standard caro: exactly five, not boxed in by the other side
        const win = await marked(page, 'data-win');
        assert.equal(win.length, 5, status);
    } else {
        assert.match(status, /Draw: the board is full/);
        assert.equal(all.length, 100);
    }
    assert.equal(await page.$$eval('.point', (p) => p.length), 100);
    assert.equal(await page.isDisabled('#undo'), true);
    await closePage(page);
});

test('renju: the forbidden marks are the engine\'s, and a forbidden move loses for black', async () => {
    const page = await openPage();
    await setUp(page, { rule: '4' });
    await openRecord(page, DOUBLE_THREE_RECORD);
    const shown = (await marked(page, 'data-forbidden')).map(([xy]) => xy);
    // the same position asked of the engine module under Node
    const engine = await loadEngine();
    const reply = engine.send('START 15\nINFO rule 4\nYXBOARD\n7,7,1\n0,0,2\n8,7,1\n0,14,2\n6,8,1\n' +
        '14,0,2\n6,9,1\n14,14,2\nDONE\nYXSHOWFORBID\n').find((l) => l.startsWith('FORBID'));
    const expected = [];
    for (let k = 7; k + 4 <= reply.length - 1; k += 4)
        expected.push(`${Number(reply.slice(k, k + 2))},${Number(reply.slice(k + 2, k + 4))}`);
    assert.deepEqual(shown, expected);
    assert.deepEqual(shown, ['6,7']);
    // the marks go while white is to move and come back for black
    await play(page, 12, 12);
    assert.deepEqual(await marked(page, 'data-forbidden'), []);
    await play(page, 12, 11);
    assert.deepEqual((await marked(page, 'data-forbidden')).map(([xy]) => xy), ['6,7']);
    // black plays it
    await play(page, 6, 7);
    assert.equal(await page.getAttribute('body', 'data-state'), 'over');
    assert.equal(await page.textContent('#status'), 'White wins: black played the forbidden point G8.');
    await closePage(page);
});

test('undo takes back the engine\'s reply with the person\'s move; between people, one move', async () => {
    const page = await openPage();
    await setUp(page, { white: 'engine' });
    await play(page, 7, 7);
    assert.equal((await stones(page)).length, 2);
    await page.click('#undo');
    await idle(page);
    assert.deepEqual(await stones(page), []);
    assert.match(await page.textContent('#status'), /Black to move/);
    // while the engine thinks (out of its book): its move is dropped
    await page.fill('#time', '1500');
    await page.dispatchEvent('#time', 'change');
    await openRecord(page, '15x15 result:-1\n4,4,0\n5,5,0\n4,5,0\n5,4,0\n6,6,0\n3,3,0\nPlayer\nPlayer');
    const opened = await stones(page);
    await page.click(point(4, 6));
    await page.waitForFunction(() => document.getElementById('status').textContent.includes('thinking'));
    await page.click('#undo');
    await idle(page);
    assert.deepEqual(await stones(page), opened);
    assert.equal(await page.textContent('#engine-info'), '');
    // two people
    await setUp(page, {});
    await play(page, 7, 7);
    await play(page, 8, 8);
    await page.click('#undo');
    assert.deepEqual(await stones(page), ['7,7,black']);
    await closePage(page);
});

test('a saved record opens to the same board, in the console\'s format', async () => {
    const page = await openPage();
    await setUp(page, { size: '12' });
    for (const [x, y] of [[5, 5], [6, 6], [0, 11], [11, 0], [4, 7]]) await play(page, x, y);
    const board = await stones(page);
    const [download] = await Promise.all([page.waitForEvent('download'), page.click('#save')]);
    assert.match(download.suggestedFilename(), /^REC \d{8}-\d{6}\.psq$/);
    const text = fs.readFileSync(await download.path(), 'utf8');
    assert.equal(text, '12x12 result:-1\n6,6,0\n7,7,0\n1,12,0\n12,1,0\n5,8,0\nPlayer\nPlayer');
    await setUp(page, { size: '15' });
    assert.deepEqual(await stones(page), []);
    await openRecord(page, text, download.suggestedFilename());
    assert.deepEqual(await stones(page), board);
    assert.equal(await page.inputValue('#size'), '12');
    assert.match(await page.textContent('#status'), /Move 6: White to move/);
    await closePage(page);
});

test('a record that cannot be read gives a message and changes nothing', async () => {
    const page = await openPage();
    await setUp(page, { size: '13' });
    await play(page, 6, 6);
    await play(page, 7, 7);
    const board = await stones(page);
    for (const bad of ['not a record at all', '15x15 result:-1\n8,8,0\n8,8,0\n', '30x30 result:-1\n']) {
        await openRecord(page, bad, 'bad.psq');
        assert.equal(await page.isVisible('#message'), true);
        assert.match(await page.textContent('#message'), /^Could not open “bad\.psq”: .+ Nothing was changed\.$/);
        assert.deepEqual(await stones(page), board);
        assert.equal(await page.inputValue('#size'), '13');
    }
    await closePage(page);
});

test('a record dropped on the board opens; a finished game shows its five', async () => {
    const page = await openPage();
    await setUp(page, {});
    const record = '15x15 result:2\n1,1,0\n1,2,0\n2,1,0\n2,2,0\n3,1,0\n3,2,0\n4,1,0\n4,2,0\n5,1,0\n9,9,0\nPlayer\nPlayer';
    const transfer = await page.evaluateHandle((text) => {
        const data = new DataTransfer();
        data.items.add(new File([text], 'won.psq', { type: 'text/plain' }));
        return data;
    }, record);
    await page.dispatchEvent('#board-wrap', 'drop', { dataTransfer: transfer });
    await over(page, 5000);
    assert.equal(await page.textContent('#status'), 'Black wins with five in a row.');
    assert.deepEqual((await marked(page, 'data-win')).map(([xy]) => xy).sort(),
        ['0,0', '1,0', '2,0', '3,0', '4,0']);
    assert.match(await page.textContent('#message'), /the game ended at move 9; the move after it was left out\./);
    assert.equal((await stones(page)).length, 9);
    await closePage(page);
});

test('replay: back and forward through an opened record, and a move there goes on from it', async () => {
    const page = await openPage();
    await setUp(page, { white: 'engine' });
    await openRecord(page, '15x15 result:-1\n8,8,0\n9,9,0\n8,9,0\n8,10,0\n10,8,0\n9,8,0\nPlayer\nGravik');
    const all = await stones(page);
    assert.equal(all.length, 6);
    assert.equal(await page.isDisabled('#forward'), true);
    await page.click('#back');
    await page.click('#back');
    await idle(page);
    assert.equal((await stones(page)).length, 4);
    assert.match(await page.textContent('#status'), /^Replay, move 4 of 6: Black to move/);
    await page.click('#first');
    await idle(page);
    assert.deepEqual(await stones(page), []);
    assert.equal(await page.isDisabled('#back'), true);
    await page.click('#forward');
    await idle(page);
    assert.deepEqual(await stones(page), ['7,7,black']);
    // white is the engine's: in a replay it does not move, and the person cannot move for it
    await page.click(point(3, 3));
    assert.deepEqual(await stones(page), ['7,7,black']);
    await page.click('#last');
    await idle(page);
    assert.deepEqual(await stones(page), all);
    // a person's move in a replayed position drops the moves after it; the engine answers
    await page.click('#back');
    await page.click('#back');
    await idle(page);
    await play(page, 0, 0);
    const now = await stones(page);
    assert.equal(now.length, 6);
    assert.ok(now.includes('0,0,black'));
    assert.ok(!now.includes('9,7,black'));  // the fifth move of the record is gone
    assert.equal(await page.textContent('#status'), 'Move 7: Black to move (you).');
    assert.equal(await page.isDisabled('#forward'), true);
    await closePage(page);
});

test('keyboard: arrows move the cursor, Enter and Space play, focus is visible', async () => {
    const page = await openPage();
    await setUp(page, {});
    await page.focus('#board');
    for (const key of ['ArrowRight', 'ArrowRight', 'ArrowUp', 'Enter', 'ArrowLeft', 'ArrowDown', 'ArrowDown', ' '])
        await page.keyboard.press(key);
    await idle(page);
    assert.deepEqual(await stones(page), ['8,6,white', '9,8,black']);
    assert.equal(await page.$eval('[data-cursor]', (p) => getComputedStyle(p).outlineStyle), 'solid');
    assert.equal(await page.getAttribute('#board', 'aria-activedescendant'), 'p-8-6');
    // every control is labelled
    const unlabelled = await page.$$eval('button, select, input', (controls) => controls
        .filter((c) => !(c.labels && c.labels.length) && !c.getAttribute('aria-label') && !c.textContent.trim())
        .map((c) => c.id));
    assert.deepEqual(unlabelled, []);
    await closePage(page);
});

test('hints: the engine\'s ranked candidates on empty points, ranks 1 up', async () => {
    const page = await openPage();
    await setUp(page, {});
    await play(page, 7, 7);
    await play(page, 8, 8);
    await page.check('#hints');
    await page.waitForFunction(() => document.querySelectorAll('[data-hint]').length > 0);
    await idle(page);
    const hints = await marked(page, 'data-hint');
    assert.ok(hints.length >= 1 && hints.length <= 5);
    assert.deepEqual(hints.map(([, rank]) => rank).sort(), hints.map((h, k) => String(k + 1)));
    for (const [xy] of hints)
        assert.equal(await page.getAttribute(point(...xy.split(',')), 'data-stone'), '');
    await page.uncheck('#hints');
    assert.deepEqual(await marked(page, 'data-hint'), []);
    await closePage(page);
});

test('a 25x25 board fits a 360-pixel phone screen; the dark theme; the version', async () => {
    const page = await openPage({ width: 360, height: 740, colorScheme: 'dark' });
    await setUp(page, { size: '25' });
    const box = await page.$eval('#board', (b) => b.getBoundingClientRect().toJSON());
    assert.ok(box.left >= 0 && box.right <= 360, JSON.stringify(box));
    assert.equal(await page.evaluate(() => document.documentElement.scrollWidth), 360);
    const cell = await page.$eval(point(0, 0), (p) => p.getBoundingClientRect().width);
    assert.ok(cell >= 12, `a point is ${cell} px wide`);
    await play(page, 24, 24);
    assert.deepEqual(await stones(page), ['24,24,black']);
    const background = await page.evaluate(() => getComputedStyle(document.body).backgroundColor);
    const [r, g, b] = background.match(/\d+/g).map(Number);
    assert.ok(r + g + b < 150, background);
    const cmake = fs.readFileSync(path.join(__dirname, '..', '..', 'CMakeLists.txt'), 'utf8');
    const version = /project\(Gravik VERSION (\d+\.\d+\.\d+)/.exec(cmake)[1];
    assert.match(await page.textContent('footer'), new RegExp(`Gravik ${version.replace(/\./g, '\\.')} `));
    assert.ok(fs.existsSync(path.join(SITE, 'engine.wasm')));
    await closePage(page);
});
