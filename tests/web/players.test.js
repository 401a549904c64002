// The board for players: the engine's levels, the game review with its graph, games as links
// and the page's Content-Security-Policy. Every test also fails on any console error, CSP
// violations included (pages.js turns each into one).
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');

const { serveSite, launchBrowser, loadEngine } = require('./support.js');
const pages = require('./pages.js');
const { closePage, idle, setUp, point, stones, marked, openRecord } = pages;

let site;
let browser;

test.before(async () => {
    site = await serveSite({ isolated: true });
    browser = await launchBrowser();
});

test.after(async () => {
    await browser.close();
    site.close();
});

const openPage = (options) => pages.openPage(browser, site, options);

const record = (moves, size = 15) =>
    `${size}x${size} result:-1\n${moves.map(([x, y]) => `${x + 1},${y + 1},0\n`).join('')}Player\nPlayer`;

// Protocol lines for a position, as the page sends them: `level` first, then the board.
function ask(engine, moves, { level, time = 1000, rule = 0 }) {
    const toMove = moves.length % 2;
    const board = moves.map(([x, y], k) => `${x},${y},${k % 2 === toMove ? 1 : 2}`);
    const reply = engine.send(['START 15', `INFO rule ${rule}`, `INFO level ${level}`,
        `INFO timeout_turn ${time}`, 'INFO show_detail 0', 'BOARD', ...board, 'DONE', ''].join('\n'));
    return reply[reply.length - 1];
}

// A game of 40 moves between two levels of the engine (0-based points, black first).
const GAME40 = [[7, 8], [8, 7], [8, 9], [9, 10], [10, 9], [9, 9], [9, 8], [10, 8], [8, 10], [7, 7],
    [8, 8], [6, 8], [9, 7], [10, 6], [9, 5], [9, 6], [8, 6], [10, 5], [10, 4], [11, 6], [12, 6],
    [12, 7], [9, 4], [7, 4], [11, 4], [13, 8], [14, 9], [12, 4], [9, 2], [11, 5], [11, 3], [12, 2],
    [9, 3], [9, 1], [10, 3], [13, 3], [14, 2], [12, 5], [8, 3], [12, 3]];

test('levels: a low level differs from full strength, yet never misses a five or a block', async () => {
    const engine = await loadEngine(11);
    // the middle game of GAME40, every other position from move 8 on
    let differ = 0;
    for (let k = 8; k <= 30; k += 2) {
        const position = GAME40.slice(0, k);
        if (ask(engine, position, { level: 1 }) !== ask(engine, position, { level: 6, time: 300 }))
            differ++;
    }
    assert.ok(differ >= 2, `Beginner chose as full strength did in all but ${differ} of 12`);
    // black to move, its four open at 9,5 only; then white to move, black's four to stop there
    const four = [[5, 5], [9, 9], [6, 5], [9, 10], [7, 5], [10, 9], [8, 5], [4, 5]];
    const block = [[5, 5], [9, 9], [6, 5], [9, 10], [7, 5], [4, 5], [8, 5]];
    for (const level of [1, 2, 3]) {
        for (let n = 0; n < 8; n++) {
            assert.equal(ask(engine, four, { level }), '9,5', `level ${level} missed its five`);
            assert.equal(ask(engine, block, { level }), '9,5', `level ${level} missed the block`);
            assert.equal(ask(engine, block, { level, rule: 4 }), '9,5', `level ${level}, renju`);
        }
    }
});

test('levels: the chosen level goes with the engine\'s moves, is kept, and names the engine in records', async () => {
    const page = await openPage();
    const options = await page.$$eval('#level option', (list) => list.map((o) => `${o.value} ${o.textContent}`));
    assert.deepEqual(options, ['1 1 · Beginner', '2 2 · Novice', '3 3 · Casual', '4 4 · Club',
        '5 5 · Expert', '6 6 · Full strength']);
    await setUp(page, { white: 'engine', time: '2000' });
    // white's reply after black's 4,6 takes the whole turn at full strength
    const midgame = '15x15 result:-1\n4,4,0\n5,5,0\n4,5,0\n5,4,0\n6,6,0\n3,3,0\nPlayer\nPlayer';
    const reply = async () => {
        await openRecord(page, midgame);
        const start = Date.now();
        await page.click(point(3, 5));
        await page.waitForFunction(() => document.querySelectorAll('[data-stone="white"]').length === 4);
        await idle(page);
        return Date.now() - start;
    };
    await page.selectOption('#level', '1');
    const low = await reply();
    await page.selectOption('#level', '6');
    const full = await reply();
    assert.ok(low < 600 && full > 1500 && low * 3 < full, `Beginner ${low} ms, full strength ${full} ms`);
    const sent = await page.evaluate(() => window.workerLog.filter((e) => e.dir === 'out' &&
        /\nBOARD\n/.test(e.text)).map((e) => /INFO level (\d)/.exec(e.text)[1]));
    assert.deepEqual(sent, ['1', '6']);
    await page.selectOption('#level', '3');
    const [download] = await Promise.all([page.waitForEvent('download'), page.click('#save')]);
    const text = fs.readFileSync(await download.path(), 'utf8');
    assert.match(text, /\nPlayer\nGravik \(level 3\)$/);
    // the record opens again, and the level is there after a reload
    await openRecord(page, text);
    assert.equal((await stones(page)).length, 8);
    await page.reload();
    await page.waitForFunction(() => !document.getElementById('status').textContent.includes('Loading'));
    assert.equal(await page.inputValue('#level'), '3');
    await page.selectOption('#level', '6');
    await closePage(page);
});

// White ignores black's open three (move 6, 0-based 12,2), then its four: black wins at move 9.
const BLUNDER = [[7, 7], [8, 8], [7, 8], [6, 6], [7, 9], [12, 2], [7, 10], [0, 14], [7, 11]];

const reviewed = (page, timeout = 30000) => page.waitForFunction(
    () => document.getElementById('eval-graph').dataset.review === 'done', null, { timeout });

test('review: a saved game gets one graph point per move and its blunder marked; the graph replays', async () => {
    const page = await openPage();
    await setUp(page, {});
    await openRecord(page, record(BLUNDER));
    assert.equal(await page.getAttribute('body', 'data-state'), 'over');
    assert.equal(await page.isVisible('#eval-graph'), false);
    await page.click('#review');
    await reviewed(page);
    const graph = await page.$$eval('#eval-graph [data-move]', (list) =>
        list.map((g) => [g.dataset.move, g.dataset.mistake || '']));
    assert.deepEqual(graph.map(([move]) => move), ['1', '2', '3', '4', '5', '6', '7', '8', '9']);
    assert.deepEqual(graph.find(([move]) => move === '6'), ['6', '2']);
    // black's moves were all good; white's first ones no worse than mistakes
    assert.ok(graph.filter(([move]) => move % 2 === 1).every(([, grade]) => grade === ''), JSON.stringify(graph));
    const stonesMarked = await marked(page, 'data-mistake');
    assert.ok(stonesMarked.some(([xy, grade]) => xy === '12,2' && grade === '2'), JSON.stringify(stonesMarked));
    assert.match(await page.textContent('#review-status'), /^Review: \d+ mistakes?, 1 blunder\./);
    // the bar of a black win stands above the middle line, in the graph's upper half
    const [mid, top] = await page.$eval('#eval-graph [data-move="7"] .bar', (bar) =>
        [bar.ownerSVGElement.viewBox.baseVal.height / 2, Number(bar.getAttribute('y'))]);
    assert.ok(top < mid - 40, `${top} vs ${mid}`);

    await page.click('#eval-graph [data-move="6"]');
    await idle(page);
    assert.match(await page.textContent('#status'), /^Replay, move 6 of 9: Black to move\./);
    assert.equal((await stones(page)).length, 6);
    const better = await marked(page, 'data-better');
    assert.equal(better.length, 1);
    assert.ok(['7,6', '7,10'].includes(better[0][0]), `the better move ${better[0][0]}`);
    assert.equal(better[0][1], 'white');
    assert.match(await page.textContent('#review-status'), /^Move 6 \(white N3\) was a blunder: the engine prefers H(7|11)/);
    assert.equal(await page.getAttribute('#eval-graph [data-move="6"]', 'data-current'), '');
    await page.click('#eval-graph [data-move="2"]');
    assert.match(await page.textContent('#status'), /^Replay, move 2 of 9/);
    assert.deepEqual(await marked(page, 'data-better'), []);
    // hidden, the marks go
    await page.click('#review');
    assert.deepEqual(await marked(page, 'data-mistake'), []);
    assert.equal(await page.isVisible('#eval-graph'), false);
    await closePage(page);
});

test('review: a 40-move game in under 20 s with progress, the page usable, and cancellable', async () => {
    const page = await openPage();
    await setUp(page, {});
    await openRecord(page, record(GAME40));
    const start = Date.now();
    await page.click('#review');
    await page.waitForFunction(() => /^Reviewing move \d+ of 40…$/.test(
        document.getElementById('review-status').textContent));
    assert.equal(await page.getAttribute('body', 'data-state'), 'idle');
    await page.click('#back');  // the page goes on while the engine reviews
    assert.match(await page.textContent('#status'), /^Replay, move 39 of 40/);
    await reviewed(page, 20000);
    const ms = Date.now() - start;
    console.log(`review of 40 moves: ${ms} ms`);
    assert.equal(await page.locator('#eval-graph [data-move]').count(), 40);
    // cancelled: the review goes, and the engine is free at once
    await page.click('#review');  // hide
    await page.click('#review');  // again
    await page.waitForFunction(() => /^Reviewing move \d+/.test(document.getElementById('review-status').textContent));
    await page.click('#review');  // cancel
    assert.equal(await page.isVisible('#review-panel'), false);
    await page.click('#last');
    await page.click(point(0, 0));
    await idle(page);
    assert.equal((await stones(page)).length, 41);
    await closePage(page);
});

test('a game that ends on the board is reviewed by itself; a new game drops the review', async () => {
    const page = await openPage();
    await setUp(page, {});
    for (const [x, y] of BLUNDER) await pages.play(page, x, y);
    await reviewed(page);
    assert.equal(await page.locator('#eval-graph [data-move]').count(), 9);
    await page.click('#new-game');
    assert.equal(await page.isVisible('#review-panel'), false);
    await closePage(page);
});

// A renju game, black to move: the link holds it exactly.
const RENJU = [[7, 7], [8, 8], [8, 7], [6, 7], [9, 6], [10, 5], [6, 9], [9, 9], [5, 5], [7, 9]];

test('links: a renju game goes into the address and opens exactly, in replay', async () => {
    const page = await openPage();
    await setUp(page, { white: 'engine', rule: '4', size: '17' });
    await openRecord(page, record(RENJU, 17));
    const board = await stones(page);
    await page.click('#share');
    const url = page.url();
    assert.match(url, /#rule=renju&size=17&moves=h8j9j8g8k7l6g10k10f6h10$/);
    await closePage(page);

    const again = await openPage({ query: url.slice(site.url.length) });
    await idle(again);
    assert.deepEqual(await stones(again), board);
    assert.equal(await again.inputValue('#rule'), '4');
    assert.equal(await again.inputValue('#size'), '17');
    assert.match(await again.textContent('#status'), /^Replay, move 10 of 10: Black to move\./);
    assert.match(await again.textContent('#message'), /^Opened the game from the link: 10 moves\./);
    // the game goes on from here: black's move, and the engine's white reply
    await again.click(point(0, 16));
    await again.waitForFunction(() => document.querySelectorAll('[data-stone="white"]').length === 6);
    assert.equal((await stones(again)).length, 12);
    await closePage(again);
});

test('links: a bad link gives a message and an empty board, never anything of its own', async () => {
    const bad = {
        size: '#rule=freestyle&size=9&moves=a1',
        'size word': '#size=fifteen&moves=h8',
        twice: '#rule=freestyle&size=15&moves=h8j9h8',
        'off the board': '#rule=renju&size=15&moves=h8q3',
        'no such point': '#size=15&moves=h8i9',
        'renju foul': '#rule=renju&size=15&moves=f8a1g8a3h6a5h7a10h8',
        'after the five': '#rule=freestyle&size=15&moves=a1a2b1b2c1c2d1d2e1e2',
        markup: '#rule=freestyle&size=15&moves=%3Cimg%20src%3Dx%20onerror%3Dalert(1)%3E',
        rule: '#rule=go&size=15&moves=h8',
    };
    const page = await openPage();
    for (const [name, hash] of Object.entries(bad)) {
        await page.goto(site.url + hash);
        await page.waitForFunction(() => !document.getElementById('message').hidden);
        await idle(page);
        assert.match(await page.textContent('#message'),
            /^This link holds no game that can be shown: .+\. Here is an empty board\.$/, name);
        assert.deepEqual(await stones(page), [], name);
        assert.equal(await page.locator('#message *').count(), 0, name);
        assert.equal(await page.locator('img').count(), 0, name);
    }
    // the foul's message says what happened
    await page.goto(site.url + bad['renju foul']);
    await page.waitForFunction(() => !document.getElementById('message').hidden);
    assert.match(await page.textContent('#message'), /black's move 9 is on a forbidden point/);
    // a good link after a bad one opens
    await page.goto(site.url + '#rule=freestyle&size=15&moves=h8');
    await page.waitForFunction(() => document.querySelectorAll('[data-stone="black"]').length === 1);
    await closePage(page);
});

test('the page\'s Content-Security-Policy: own files only, and a violation fails a test', async () => {
    const page = await openPage();
    const policy = await page.getAttribute('meta[http-equiv="Content-Security-Policy"]', 'content');
    assert.match(policy, /default-src 'self'/);
    assert.match(policy, /script-src 'self' 'wasm-unsafe-eval'/);
    assert.match(policy, /worker-src 'self'/);
    // an inline script is refused, and the refusal reaches the console errors
    await page.evaluate(() => {
        const script = document.createElement('script');
        script.textContent = 'window.ran = true';
        document.head.append(script);
    });
    await page.waitForTimeout(100);
    assert.equal(await page.evaluate(() => window.ran), undefined);
    assert.ok(page.errors.some((text) => /CSP violation: script-src/.test(text)), page.errors.join('\n'));
    page.errors.length = 0;
    await closePage(page);
});
