// Offline: once the page has been opened, its service worker keeps every file of the site, and
// the page opens again and plays with the network gone. On a server that sends the
// cross-origin isolation headers the page served from the cache is isolated still.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');

const { SITE, serveSite, launchBrowser } = require('./support.js');
const pages = require('./pages.js');
const { closePage, idle, setUp, point, stones } = pages;

const version = /project\(Gravik VERSION (\d+\.\d+\.\d+)/.exec(
    fs.readFileSync(path.join(__dirname, '..', '..', 'CMakeLists.txt'), 'utf8'))[1];

for (const isolated of [true, false]) {
    test(`offline (${isolated ? 'isolated' : 'plain'} server): a reload plays against the engine`, async () => {
        const site = await serveSite({ isolated });
        const browser = await launchBrowser();
        try {
            // an older release's cache, which the new worker removes once in charge
            await browser.context.addInitScript(() => {
                if (window.caches) caches.open('gravik-0.0.1');
            });
            const page = await pages.openPage(browser, site);
            await page.evaluate(() => navigator.serviceWorker.ready);
            await page.waitForFunction(() => navigator.serviceWorker.controller !== null);
            const names = await page.evaluate(() => caches.keys());
            assert.deepEqual(names, [`gravik-${version}`]);
            const kept = await page.evaluate((name) => caches.open(name).then((cache) => cache.keys())
                .then((list) => list.map((r) => new URL(r.url).pathname.slice(1))), names[0]);
            // every file but the service worker itself, which the browser keeps
            for (const file of fs.readdirSync(SITE).filter((name) => name !== 'sw.js'))
                assert.ok(kept.includes(file), `${file} is not kept`);

            await browser.context.setOffline(true);
            await page.reload();
            await page.waitForFunction(() => !document.getElementById('status').textContent.includes('Loading'));
            assert.equal(await page.evaluate(() => globalThis.crossOriginIsolated), isolated);
            await setUp(page, { white: 'engine' });
            await page.click(point(7, 7));
            await page.waitForFunction(() => document.querySelectorAll('[data-stone="white"]').length === 1);
            await idle(page);
            assert.equal((await stones(page)).length, 2);
            await closePage(page);
        } finally {
            await browser.context.setOffline(false);
            await browser.close();
            site.close();
        }
    });
}
