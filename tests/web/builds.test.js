// The engine's two WebAssembly builds: the one with vector instructions, which the page loads
// where the browser validates them, and the plain one for the others. Both must play alike,
// and the page must run on either.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');

const { serveSite, launchBrowser, loadEngine } = require('./support.js');
const pages = require('./pages.js');

// A renju position with black to move, asked for its ranked candidates on a node budget (so
// the answer does not depend on the clock): both builds must give the same lines.
const QUESTION = 'INFO timeout_turn 60000\nINFO max_node 30000\nINFO rule 4\nINFO show_detail 2\n' +
    'YXBOARD\n7,7,1\n8,8,2\n7,8,1\n6,9,2\n9,7,1\nDONE\nYXNBEST 5\n';

test('the vector and the plain build give the same answers', async () => {
    const answers = [];
    for (const build of ['engine', 'engine-plain']) {
        const engine = await loadEngine(7, build);
        // Timings are the only lines allowed to differ.
        answers.push(engine.send(QUESTION).filter((line) => !/^INFO (TOTALTIME|SPEED) /.test(line)));
    }
    assert.ok(answers[0].some((line) => line.startsWith('MESSAGE NBEST ')), answers[0].join('\n'));
    assert.ok(answers[0].some((line) => line.startsWith('INFO BESTLINE ')));
    assert.deepEqual(answers[1], answers[0]);
});

test('the page loads the vector build where it can, the plain one when asked, and plays', async () => {
    const site = await serveSite();
    const browser = await launchBrowser();
    try {
        for (const [query, build] of [['', 'engine'], ['?engine=plain', 'engine-plain']]) {
            const page = await pages.openPage(browser, site, { query });
            assert.equal(await page.evaluate(() => document.body.dataset.engine), build);
            await pages.setUp(page, { black: 'person', white: 'engine', time: '200' });
            await pages.play(page, 7, 7);
            await pages.idle(page);
            assert.equal((await pages.stones(page)).length, 2, `${build}: the engine replied`);
            await pages.closePage(page);
        }
    } finally {
        await browser.close();
        site.close();
    }
});
