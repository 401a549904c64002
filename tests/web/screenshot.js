// Takes docs/web-renju.png: the page in the middle of a renju game, black to move, hints on,
// black's forbidden point marked; then docs/web-analysis.png: the same position under
// analysis, its candidates on the board and beside it; then docs/web-review.png: a reviewed
// game replayed at its blunder, the graph under the board, and the same review on a phone and
// in the dark theme (in /tmp, to look at). Run with `npm run screenshot` after `make web`.
'use strict';

const path = require('node:path');
const { serveSite, launchBrowser } = require('./support.js');

// Black and white in turn, 1-based as in a record: black to move, G7 and G8 forbidden.
const MOVES = [[8, 8], [8, 9], [9, 8], [8, 7], [7, 9], [9, 7], [7, 10], [6, 9], [9, 10], [10, 9],
    [6, 6], [8, 10]];
const RECORD = `15x15 result:-1\n${MOVES.map(([x, y]) => `${x},${y},0\n`).join('')}Player\nGravik`;

(async () => {
    const site = await serveSite();
    const browser = await launchBrowser();
    const page = await browser.context.newPage();
    await page.setViewportSize({ width: 1000, height: 820 });
    await page.goto(site.url);
    await page.waitForFunction(() => document.body.dataset.state === 'idle' &&
        !document.getElementById('status').textContent.includes('Loading'));
    await page.selectOption('#white-player', 'engine');
    await page.selectOption('#rule', '4');
    await page.setInputFiles('#open', { name: 'renju.psq', mimeType: 'text/plain', buffer: Buffer.from(RECORD) });
    await page.check('#hints');
    await page.waitForFunction(() => document.querySelector('[data-hint]') && document.body.dataset.state === 'idle');
    await page.evaluate(() => {
        document.getElementById('message').hidden = true;
    });
    const file = path.join(__dirname, '..', '..', 'docs', 'web-renju.png');
    await page.screenshot({ path: file });
    const forbidden = await page.$$eval('[data-forbidden]', (p) => p.map((e) => e.getAttribute('aria-label')));
    const hints = await page.$$eval('[data-hint]', (p) => p.map((e) => e.getAttribute('aria-label')));
    console.log(`${file}\nforbidden: ${forbidden.join('; ')}\nhints: ${hints.join('; ')}`);

    await page.setViewportSize({ width: 1100, height: 820 });
    await page.uncheck('#hints');
    await page.check('#analyse');
    await page.waitForFunction(() => document.querySelectorAll('#analysis-lines li').length >= 2 &&
        document.querySelector('#analysis-lines .eval').textContent !== '', null, { timeout: 30000 });
    await page.waitForTimeout(1500);
    const analysis = path.join(__dirname, '..', '..', 'docs', 'web-analysis.png');
    await page.screenshot({ path: analysis });
    console.log(`${analysis}\n${await page.textContent('#analysis-head')}\n` +
        (await page.$$eval('#analysis-lines li', (rows) => rows.map((r) => r.textContent))).join('\n'));

    // A review: white ignores black's open three (move 10), the graph and the marks.
    const review = [[7, 7], [8, 8], [6, 8], [8, 6], [8, 7], [6, 7], [9, 6], [5, 8], [7, 9], [12, 2],
        [7, 10], [1, 13], [7, 8], [0, 0], [7, 11]];
    await page.uncheck('#analyse');
    await page.selectOption('#rule', '0');
    await page.selectOption('#white-player', 'person');
    await page.setInputFiles('#open', { name: 'review.psq', mimeType: 'text/plain',
        buffer: Buffer.from(`15x15 result:2\n${review.map(([x, y]) => `${x + 1},${y + 1},0\n`).join('')}Player\nPlayer`) });
    await page.click('#review');
    await page.waitForFunction(() => document.getElementById('eval-graph').dataset.review === 'done',
        null, { timeout: 30000 });
    const blunder = await page.$eval('#eval-graph [data-mistake="2"]', (g) => g.dataset.move);
    await page.click(`#eval-graph [data-move="${blunder}"]`);
    await page.evaluate(() => {
        document.getElementById('message').hidden = true;
    });
    const shots = [['web-review.png', 1100, 900, 'light', true], ['review-desktop-dark.png', 1100, 900, 'dark'],
        ['review-phone-light.png', 390, 1300, 'light'], ['review-phone-dark.png', 390, 1300, 'dark']];
    for (const [name, width, height, colorScheme, kept] of shots) {
        await page.setViewportSize({ width, height });
        await page.emulateMedia({ colorScheme });
        await page.waitForTimeout(300);
        const file = kept ? path.join(__dirname, '..', '..', 'docs', name) : path.join('/tmp', name);
        await page.screenshot({ path: file, fullPage: !kept });
        console.log(file);
    }
    console.log(await page.textContent('#review-status'));
    await browser.close();
    site.close();
})();
