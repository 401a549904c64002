// The page while the engine thinks: the live line and the best point so far, Move now, and
// analysis that stops on every change of the position. Each runs twice: on a page served
// cross-origin isolated (the engine stops through shared memory) and on a plain one (the
// engine's worker is replaced). The console must stay free of errors, and no main-thread task
// may take over 50 ms. On the plain page a terminated worker that is busy computing goes on
// for about 1.5 s before Chromium ends it (seen in its traces), so for that long the page
// shares this two-core machine with two engine threads: there the bound is 100 ms.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');

const { serveSite, launchBrowser } = require('./support.js');
const pages = require('./pages.js');
const { closePage, idle, longTasks, setUp, setTime, point, stones, marked, openRecord } = pages;

// Six stones, black to move; after black's 4,6 (0-based 3,5) white's think reports for
// seconds: the alpha-beta search's first lines come after about 2 s of a 10 s turn.
const MIDGAME = '15x15 result:-1\n4,4,0\n5,5,0\n4,5,0\n5,4,0\n6,6,0\n3,3,0\nPlayer\nPlayer';

let browser;
const sites = {};

test.before(async () => {
    browser = await launchBrowser();
    sites.isolated = await serveSite({ isolated: true });
    sites.plain = await serveSite();
});

test.after(async () => {
    await browser.close();
    sites.isolated.close();
    sites.plain.close();
});

const now = (page) => page.evaluate(() => performance.now());

// Clicks Move now; resolves to the milliseconds until a new white stone is on the board.
const moveNow = (page) => page.evaluate(() => new Promise((resolve) => {
    const whites = () => document.querySelectorAll('.point[data-stone="white"]').length;
    const before = whites();
    const start = performance.now();
    document.getElementById('move-now').click();
    const check = () => (whites() > before ? resolve(performance.now() - start) :
        requestAnimationFrame(check));
    check();
}));

// The one new stone between two lists of stones: white, on a point that was empty.
function newStone(before, after) {
    const added = after.filter((s) => !before.includes(s));
    const taken = new Set(before.map((s) => s.split(',').slice(0, 2).join()));
    assert.equal(added.length, 1, `${before} → ${after}`);
    assert.equal(after.length, before.length + 1);
    assert.ok(added[0].endsWith(',white') && !taken.has(added[0].split(',').slice(0, 2).join()));
    return added[0];
}

// Every analysis request (YXNBEST) still unanswered at `since` was answered, or its worker
// ended, within half a second of it.
async function analysisStopped(page, since, isolated) {
    await page.waitForTimeout(500);
    const log = await page.evaluate(() => window.workerLog);
    const before = (e) => (a) => a.t < since && (a.dir === 'in' ? a.id === e.id :
        a.dir === 'end' && a.worker === e.worker);
    const running = log.filter((e) => e.dir === 'out' && e.t < since && e.text.includes('YXNBEST') &&
        !log.some(before(e)));
    assert.ok(running.length > 0, 'no analysis was running');
    for (const request of running) {
        const answered = log.find((a) => a.dir === 'in' && a.id === request.id);
        const ended = log.find((a) => a.dir === 'end' && a.worker === request.worker && a.t >= since);
        const at = answered ? answered.t : ended ? ended.t : Infinity;
        assert.ok(at - since < 500, `request ${request.id} still ran ${Math.round(at - since)} ms ` +
            `after the change at ${Math.round(since)}: ${JSON.stringify(log.map((e) => [Math.round(e.t), e.worker, e.dir, e.id]))}`);
        // shared memory stops the search itself; without it the worker goes
        assert.equal(Boolean(answered), isolated, JSON.stringify({ answered, ended }));
    }
}

// Analysis of the position now shown: its candidates on empty points, each with evaluation,
// depth and best line.
async function analysed(page) {
    await page.waitForFunction(() => document.querySelectorAll('[data-hint]').length > 0 &&
        document.querySelector('#analysis-lines .eval')?.textContent !== '', null, { timeout: 10000 });
    // read at one moment: the list follows the marks
    const [hints, rows] = await page.evaluate(() => [
        [...document.querySelectorAll('[data-hint]')].map((p) => [p.dataset.stone, p.getAttribute('aria-label')]),
        [...document.querySelectorAll('#analysis-lines li')].map((li) => li.textContent)]);
    assert.deepEqual(hints.map(([stone]) => stone), hints.map(() => ''));
    assert.equal(rows.length, hints.length);
    assert.match(rows[0], /^1[A-Z]\d+([+-]\d+|0|win|loss)d\d+/);
    assert.ok(hints.some(([, label]) => label.startsWith(`${/^1([A-Z]\d+)/.exec(rows[0])[1]},`)));
}

for (const mode of ['isolated', 'plain']) {
    const isolated = mode === 'isolated';
    const how = isolated ? 'shared memory' : 'a new worker';
    const longest = isolated ? 50 : 100;
    const noLongTasks = async (page, since) => assert.deepEqual(
        (await longTasks(page, since)).filter((task) => task.ms > longest), []);

    test(`Move now (${how}): the live line, the best point, a legal move in half a second`, async () => {
        const page = await pages.openPage(browser, sites[mode]);
        assert.equal(await page.evaluate(() => window.crossOriginIsolated), isolated);
        await setUp(page, { white: 'engine', time: '10000' });
        await openRecord(page, MIDGAME);
        const since = await now(page);
        assert.equal(await page.isDisabled('#move-now'), true);
        await page.click(point(3, 5));
        // the live line and the best point so far, the same point
        await page.waitForFunction(() => document.querySelector('[data-best="1"]') &&
            /^Depth \d+ · eval \S+ · [\d.]+[kM]? nodes\/s · best [A-Z]\d+/.test(
                document.getElementById('live').textContent), null, { timeout: 10000 });
        const [live, best] = await page.evaluate(() => [document.getElementById('live').textContent,
            document.querySelector('[data-best="1"]').getAttribute('aria-label')]);
        assert.equal(/best ([A-Z]\d+)/.exec(live)[1], best.split(',')[0]);
        assert.match(best, /empty/);
        assert.equal(await page.isDisabled('#move-now'), false);
        let before = await stones(page);
        let took = await moveNow(page);
        assert.ok(took < 500, `Move now took ${took} ms`);
        newStone(before, await stones(page));
        assert.deepEqual(await marked(page, 'data-best'), []);
        assert.equal(await page.textContent('#live'), '');
        assert.equal(await page.isDisabled('#move-now'), true);
        // at once, before the engine has reported anything
        await idle(page);
        before = await stones(page);
        await page.click(point(12, 12));
        await page.waitForFunction(() => !document.getElementById('move-now').disabled);
        before.push('12,12,black');
        took = await moveNow(page);
        assert.ok(took < 500, `Move now at once took ${took} ms`);
        newStone(before.sort(), await stones(page));
        // the game goes on at the usual pace
        await idle(page);
        await setTime(page, '300');
        before = await stones(page);
        await page.click(point(0, 14));
        await page.waitForFunction((n) => document.querySelectorAll('[data-stone="white"]').length > n,
            before.length / 2, { timeout: 10000 });
        await idle(page);
        assert.equal((await stones(page)).length, before.length + 2);
        assert.match(await page.textContent('#engine-info'), /^Depth \d+/);
        await noLongTasks(page, since);
        await closePage(page);
    });

    test(`analysis (${how}): live candidates, stopped by every change of the position`, async () => {
        const page = await pages.openPage(browser, sites[mode]);
        await setUp(page, {});
        await openRecord(page, MIDGAME);
        const since = await now(page);
        await page.check('#analyse');
        assert.equal(await page.isVisible('#analysis'), true);
        await analysed(page);
        // it goes deeper while it runs
        const depth = () => page.$eval('#analysis-lines .depth', (d) => Number(d.textContent.slice(1)));
        const first = await depth();
        await page.waitForFunction((d) => Number(document.querySelector('#analysis-lines .depth')
            .textContent.slice(1)) > d, first, { timeout: 10000 });
        // a best line shown beside a candidate starts with it (a line of the move alone is not
        // shown: how far the line goes depends on what the hash table kept)
        assert.ok(await page.$$eval('#analysis-lines li', (items) => items.every((li) => {
            const line = li.querySelector('.line').textContent;
            return line === '' || line.startsWith(`${li.querySelector('.move').textContent} `);
        })));
        assert.equal(await page.getAttribute('body', 'data-state'), 'idle');
        // A change while the analysis runs must stop it. One may come after the analysis has
        // finished by itself: after the undo the hash tables often prove the position at once.
        let stopped = 0;
        const change = async (act) => {
            const [at, running] = await page.evaluate(() => [performance.now(),
                document.getElementById('analysis').hasAttribute('data-running')]);
            await act();
            if (running) {
                await analysisStopped(page, at, isolated);
                stopped++;
            }
        };
        // a new move, undo, a replay step
        await change(() => page.click(point(3, 5)));
        await analysed(page);
        assert.equal((await stones(page)).length, 7);
        await change(() => page.click('#undo'));
        await analysed(page);
        await change(() => page.click('#back'));
        await analysed(page);
        assert.match(await page.textContent('#status'), /^Replay, move 5 of 6/);
        // turned off: the marks and the list go
        await change(() => page.uncheck('#analyse'));
        assert.deepEqual(await marked(page, 'data-hint'), []);
        assert.equal(await page.isVisible('#analysis'), false);
        // a new game: the empty board's candidate comes at once, and analysis has finished
        await page.check('#analyse');
        await analysed(page);
        await change(() => page.click('#new-game'));
        await page.waitForFunction(() => document.querySelector('[data-hint]') &&
            !document.getElementById('analysis').hasAttribute('data-running'));
        assert.deepEqual(await stones(page), []);
        assert.ok(stopped >= 3, `only ${stopped} of the changes came while the analysis ran`);
        await noLongTasks(page, since);
        await closePage(page);
    });
}
