#!/usr/bin/env node
// The WebAssembly engine's pace against the native engine's: the bench of each build in turn,
// round after round (alternating, so that a slow spell of the machine hits them all), then each
// build's best round and its share of the native best, and the median of its shares round by
// round.
//
//   node tools/web-pace.js [rounds] [passes]   (make web-pace; default 5 rounds of 3 passes)
//
// Each run of a bench times the suite `passes` times over (gravik-bench --passes): a single
// pass takes under half a second natively, short enough for a quick spell of the machine to
// decide a round.
//
// Builds: build/gravik-bench (native), build-web/gravik-bench.js and gravik-bench-plain.js under
// this Node, and build-web/bench/gravik-bench-worker*.js in a worker of headless Chromium, as the
// page runs its engine. Chromium is Debian's /usr/bin/chromium (or GRAVIK_CHROMIUM), driven by
// the playwright-core of tests/web (npm ci there first). Every run must print the same node count.
'use strict';

const { spawnSync } = require('node:child_process');
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');

const ROOT = path.join(__dirname, '..');
const NATIVE = path.join(ROOT, process.env.BUILD || 'build', 'gravik-bench');
const WEB = path.join(ROOT, process.env.WEB_BUILD || 'build-web');
const CHROMIUM = process.env.GRAVIK_CHROMIUM || '/usr/bin/chromium';
const rounds = Number(process.argv[2] || 5);
const PASS_ARGS = ['--passes', String(Number(process.argv[3] || 3))];

// Nodes per second and node count from a bench's output.
function figures(text, who) {
    const speed = /^Nodes\/second\s*:\s*(\d+)/m.exec(text);
    const nodes = /^Nodes searched\s*:\s*(\d+)/m.exec(text);
    if (!speed || !nodes)
        throw new Error(`${who}: no bench figures in its output:\n${text}`);
    const passes = /^Passes\s*:\s*(\d+)/m.exec(text);
    if ((passes ? passes[1] : '1') !== PASS_ARGS[1])
        throw new Error(`${who}: did not run ${PASS_ARGS[1]} passes:\n${text}`);
    return { speed: Number(speed[1]), nodes: Number(nodes[1]) };
}

function runProgram(command, args) {
    const run = spawnSync(command, args, { encoding: 'utf8', maxBuffer: 1 << 24 });
    if (run.status !== 0)
        throw new Error(`${command} ${args.join(' ')} failed: ${run.stderr}`);
    return run.stdout;
}

// Serves build-web/bench/ on a loopback port; a worker needs a page of the same origin.
function serveBench() {
    const root = path.join(WEB, 'bench');
    const server = http.createServer((request, response) => {
        const file = path.join(root, path.basename(new URL(request.url, 'http://x').pathname));
        if (file.endsWith('.js') && fs.existsSync(file)) {
            response.writeHead(200, { 'Content-Type': 'text/javascript' });
            fs.createReadStream(file).pipe(response);
        } else {
            response.writeHead(200, { 'Content-Type': 'text/html' }).end('<title>bench</title>');
        }
    });
    return new Promise((resolve) => {
        server.listen(0, '127.0.0.1', () =>
            resolve({ url: `http://127.0.0.1:${server.address().port}/`, server }));
    });
}

// The output lines of the bench script at `url` run with arguments `args` in a fresh worker of
// `page` (a page of the same origin), up to its "Nodes searched" line.
function benchInWorker(page, url, args = []) {
    return page.evaluate(([script, argv]) => new Promise((resolve, reject) => {
        const source = `self.Module = { arguments: ${JSON.stringify(argv)},
            print: (line) => postMessage(line) };
            importScripts(${JSON.stringify(script)});`;
        const worker = new Worker(URL.createObjectURL(new Blob([source])));
        const lines = [];
        worker.onmessage = (event) => {
            lines.push(event.data);
            if (event.data.startsWith('Nodes searched')) {
                worker.terminate();
                resolve(lines);
            }
        };
        worker.onerror = (event) => reject(new Error(event.message));
    }), [url, args]);
}

async function openChromium() {
    let playwright;
    try {
        playwright = require(path.join(ROOT, 'tests', 'web', 'node_modules', 'playwright-core'));
    } catch (error) {
        throw new Error('playwright-core is missing: run npm ci in tests/web first');
    }
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'gravik-pace-'));
    const context = await playwright.chromium.launchPersistentContext(profile, {
        executablePath: CHROMIUM,
        headless: true,
        args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
            '--disable-component-update'],
    });
    const served = await serveBench();
    const page = await context.newPage();
    await page.goto(`${served.url}page`);
    return {
        // The bench's output from a fresh worker running build `name`.
        bench: async (name) =>
            (await benchInWorker(page, `${served.url}${name}.js`, PASS_ARGS)).join('\n'),
        close: async () => {
            await context.close();
            served.server.close();
            fs.rmSync(profile, { recursive: true, force: true });
        },
    };
}

async function main() {
    const chromium = await openChromium();
    const builds = [
        { name: 'native', run: () => runProgram(NATIVE, PASS_ARGS) },
        { name: 'node, vector', run: () => runProgram(process.execPath, [path.join(WEB, 'gravik-bench.js'), ...PASS_ARGS]) },
        { name: 'node, plain', run: () => runProgram(process.execPath, [path.join(WEB, 'gravik-bench-plain.js'), ...PASS_ARGS]) },
        { name: 'chromium, vector', run: () => chromium.bench('gravik-bench-worker') },
        { name: 'chromium, plain', run: () => chromium.bench('gravik-bench-worker-plain') },
    ];
    const speeds = builds.map(() => []);
    let signature = null;
    try {
        for (let round = 1; round <= rounds; ++round) {
            const line = [];
            for (const [k, build] of builds.entries()) {
                const got = figures(await build.run(), build.name);
                if (signature !== null && got.nodes !== signature)
                    throw new Error(`${build.name}: ${got.nodes} nodes, not ${signature}`);
                signature = got.nodes;
                speeds[k].push(got.speed);
                line.push(`${build.name} ${got.speed}`);
            }
            console.log(`round ${round}: ${line.join(', ')}`);
        }
    } finally {
        await chromium.close();
    }
    const native = Math.max(...speeds[0]);
    const median = (values) => {
        const sorted = [...values].sort((a, b) => a - b);
        const mid = sorted.length >> 1;
        return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
    };
    console.log(`\nsignature ${signature}; best of ${rounds} rounds of ${PASS_ARGS[1]} passes, ` +
        'nodes/s (and the median of the shares of the native round beside):');
    for (const [k, build] of builds.entries()) {
        const best = Math.max(...speeds[k]);
        const share = (100 * best / native).toFixed(1);
        const roundShare = median(speeds[k].map((speed, r) => speed / speeds[0][r]));
        console.log(`  ${build.name.padEnd(17)} ${String(best).padStart(8)}  ${share} % of native` +
            `  (median ${(100 * roundShare).toFixed(1)} %)`);
    }
}

if (require.main === module) {
    main().catch((error) => {
        console.error(error.message);
        process.exit(1);
    });
}

module.exports = { benchInWorker };
