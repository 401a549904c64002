// Shared by the page tests: a page of the served site with its console watched, and the few
// moves every test makes (settings, clicks, records, reading the board).
'use strict';

const assert = require('node:assert/strict');

// Every main-thread task over 50 ms from the page's start, kept in window.longTasks.
function watchLongTasks() {
    window.longTasks = [];
    new PerformanceObserver((list) => {
        for (const entry of list.getEntries())
            window.longTasks.push({ start: Math.round(entry.startTime), ms: Math.round(entry.duration) });
    }).observe({ type: 'longtask', buffered: true });
}

// Every request to the engine's worker and every answer, kept in window.workerLog as
// {t, worker, dir: 'out' | 'in' | 'end', id, text}: a test sees when a search was stopped.
function watchWorkers() {
    const log = window.workerLog = [];
    let workers = 0;
    const Real = window.Worker;
    window.Worker = class extends Real {
        constructor(...args) {
            super(...args);
            this.number = ++workers;
            this.addEventListener('message', (event) => {
                if (event.data.lines || event.data.error)
                    log.push({ t: performance.now(), worker: this.number, dir: 'in', id: event.data.id });
            });
        }

        postMessage(data, ...rest) {
            if (data && data.text)
                log.push({ t: performance.now(), worker: this.number, dir: 'out', id: data.id, text: data.text });
            return super.postMessage(data, ...rest);
        }

        terminate() {
            log.push({ t: performance.now(), worker: this.number, dir: 'end' });
            return super.terminate();
        }
    };
}

// Every Content-Security-Policy violation becomes a console error, which fails the test.
function watchPolicy() {
    document.addEventListener('securitypolicyviolation', (event) => {
        console.error(`CSP violation: ${event.violatedDirective} ${event.blockedURI}`);
    });
}

// A fresh page on `site` (with `query` after its address), the engine loaded; `page.errors`
// collects the console's errors.
async function openPage(browser, site, { width = 1100, height = 800, colorScheme = 'light', query = '' } = {}) {
    const page = await browser.context.newPage();
    const errors = [];
    page.on('console', (message) => {
        if (message.type() === 'error')
            errors.push(message.text());
    });
    page.on('pageerror', (error) => errors.push(String(error)));
    await page.addInitScript(watchLongTasks);
    await page.addInitScript(watchWorkers);
    await page.addInitScript(watchPolicy);
    await page.setViewportSize({ width, height });
    await page.emulateMedia({ colorScheme });
    await page.goto(site.url + query);
    await page.waitForFunction(() => !document.getElementById('status').textContent.includes('Loading'));
    await idle(page);
    page.errors = errors;
    return page;
}

async function closePage(page) {
    assert.deepEqual(page.errors, [], 'errors in the browser console');
    await page.close();
}

// The long tasks since `since` (the page's clock, performance.now()).
const longTasks = (page, since = 0) => page.evaluate(
    (from) => window.longTasks.filter((task) => task.start >= from), since);

const idle = (page, timeout = 30000) => page.waitForFunction(
    () => document.body.dataset.state !== 'thinking', null, { timeout });

const over = (page, timeout = 120000) => page.waitForFunction(
    () => document.body.dataset.state === 'over', null, { timeout });

// Settings: players, rule, size, time; a change of rule or size starts a new game.
async function setUp(page, { black = 'person', white = 'person', rule = '0', size = '15', time = '200' }) {
    await page.selectOption('#black-player', black);
    await page.selectOption('#white-player', white);
    await setTime(page, time);
    await page.selectOption('#rule', rule);
    await page.selectOption('#size', size);
    await page.click('#new-game');
    await idle(page);
}

async function setTime(page, time) {
    await page.fill('#time', time);
    await page.dispatchEvent('#time', 'change');
}

const point = (x, y) => `.point[data-x="${x}"][data-y="${y}"]`;

// The stones on the board as "x,y,colour", sorted.
const stones = (page) => page.$$eval('.point[data-stone="black"], .point[data-stone="white"]',
    (points) => points.map((p) => `${p.dataset.x},${p.dataset.y},${p.dataset.stone}`).sort());

const marked = (page, attribute) => page.$$eval(`.point[${attribute}]`,
    (points, name) => points.map((p) => [`${p.dataset.x},${p.dataset.y}`, p.getAttribute(name)]),
    attribute);

async function play(page, x, y) {
    await page.click(point(x, y));
    await idle(page);
}

// A record opened through the file input.
async function openRecord(page, text, name = 'game.psq') {
    await page.setInputFiles('#open', { name, mimeType: 'text/plain', buffer: Buffer.from(text) });
    await idle(page);
}

module.exports = {
    openPage, closePage, longTasks, idle, over, setUp, setTime, point, stones, marked, play,
    openRecord,
};
