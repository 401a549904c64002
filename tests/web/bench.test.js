// The bench in Chromium, in a worker as the page runs the engine: both builds must print the
// recorded signature, and their speed is reported (native and Node figures come from make
// bench and make bench-web).
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const { execSync } = require('node:child_process');
const path = require('node:path');

const { SITE, serveSite, launchBrowser } = require('./support.js');
const { benchInWorker } = require('../../tools/web-pace.js');

const BENCH = path.join(SITE, '..', 'bench');

function recordedSignature() {
    const log = execSync('git log --format=%B', { cwd: __dirname, encoding: 'utf8' });
    return /^Bench: (\d+)$/m.exec(log)[1];
}

test('both WebAssembly builds print the recorded signature in a browser worker', async (t) => {
    const signature = recordedSignature();
    const server = await serveSite({ root: BENCH });
    const browser = await launchBrowser();
    try {
        const page = await browser.context.newPage();
        await page.goto(`${server.url}none`);  // any page of the origin: the worker needs one
        for (const build of ['gravik-bench-worker', 'gravik-bench-worker-plain']) {
            const output = await benchInWorker(page, `${server.url}${build}.js`);
            const speed = output.find((line) => line.startsWith('Nodes/second'));
            t.diagnostic(`${build}: ${speed}`);
            assert.equal(output.at(-1), `Nodes searched : ${signature}`, build);
        }
        await page.close();
    } finally {
        await browser.close();
        server.close();
    }
});
