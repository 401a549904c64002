// The engine's two WebAssembly builds: the one with vector instructions, which the page loads
// where the browser validates them, and the plain one for the others. That both search alike
// is the bench's signature, checked for each (bench.test.js, make bench-web); here the page
// must run on either.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');

const { serveSite, launchBrowser } = require('./support.js');
const pages = require('./pages.js');

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
