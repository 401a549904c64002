// Shared by the browser tests: the built site served on 127.0.0.1, Debian's Chromium through
// playwright-core (no browser is downloaded), and the engine module loaded under Node.
'use strict';

const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');

const SITE = process.env.GRAVIK_SITE || path.join(__dirname, '..', '..', 'build-web', 'site');
const CHROMIUM = process.env.GRAVIK_CHROMIUM || '/usr/bin/chromium';

const TYPES = {
    '.html': 'text/html; charset=utf-8',
    '.js': 'text/javascript; charset=utf-8',
    '.css': 'text/css; charset=utf-8',
    '.wasm': 'application/wasm',
    '.svg': 'image/svg+xml',
    '.png': 'image/png',
    '.webmanifest': 'application/manifest+json',
};

// The two headers that make the page cross-origin isolated: it may then share memory with
// the engine's worker.
const ISOLATION = {
    'Cross-Origin-Opener-Policy': 'same-origin',
    'Cross-Origin-Embedder-Policy': 'require-corp',
};

// Serves SITE (or the folder `root`) on a free loopback port, with or without ISOLATION;
// resolves to {url, close}.
function serveSite({ isolated = false, root = SITE } = {}) {
    const server = http.createServer((request, response) => {
        const name = decodeURIComponent(new URL(request.url, 'http://x').pathname);
        const file = path.join(root, name === '/' ? 'index.html' : name);
        if (!file.startsWith(root) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
            response.writeHead(404).end('not found');
            return;
        }
        response.writeHead(200, { 'Content-Type': TYPES[path.extname(file)] || 'text/plain',
            ...(isolated ? ISOLATION : {}) });
        fs.createReadStream(file).pipe(response);
    });
    return new Promise((resolve) => {
        server.listen(0, '127.0.0.1', () => {
            const { port } = server.address();
            resolve({ url: `http://127.0.0.1:${port}/`, close: () => server.close() });
        });
    });
}

// Chromium as root on a closed network: no sandbox, no background connections, a fresh profile.
async function launchBrowser() {
    const { chromium } = require('playwright-core');
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'gravik-chromium-'));
    const context = await chromium.launchPersistentContext(profile, {
        executablePath: CHROMIUM,
        headless: true,
        acceptDownloads: true,
        args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
            '--disable-background-networking', '--disable-component-update', '--disable-sync'],
    });
    return {
        context,
        close: async () => {
            await context.close();
            fs.rmSync(profile, { recursive: true, force: true });
        },
    };
}

// The WebAssembly engine in this process: send(text, id) serves protocol lines as request id,
// returns lines; `module` is the engine's Module (onLine, stopMark, ccall).
// `build` is 'engine' (WebAssembly's vector instructions) or 'engine-plain'.
async function loadEngine(seed = 1, build = 'engine') {
    const create = require(path.join(SITE, `${build}.js`));
    const module = await create({ wasmBinary: fs.readFileSync(path.join(SITE, `${build}.wasm`)) });
    const lines = (text) => text.split('\n').filter((l) => l !== '');
    const greeting = lines(module.ccall('gravik_start', 'string', ['number'], [seed]));
    return {
        greeting,
        module,
        send: (text, id = 0) => lines(module.ccall('gravik_serve', 'string', ['string', 'number'],
            [text, id])),
    };
}

module.exports = { SITE, serveSite, launchBrowser, loadEngine };
