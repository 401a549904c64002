// The service worker: keeps the site's files, both engine builds included, in a cache named
// after the release, so the page opens and plays offline. A new release's worker fills its
// own cache and, once in charge, deletes the caches of older ones. Files are served from the
// cache first, as whole responses with the headers the server sent (the cross-origin
// isolation ones among them), and anything else goes to the network untouched.
'use strict';

const CACHE = 'gravik-@PROJECT_VERSION@';
const FILES = ['./', @GRAVIK_SITE_FILES@];

self.addEventListener('install', (event) => {
    event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(FILES))
        .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
    event.waitUntil(caches.keys()
        .then((names) => Promise.all(names.filter((name) => name.startsWith('gravik-') &&
            name !== CACHE).map((name) => caches.delete(name))))
        .then(() => self.clients.claim()));
});

// The site's own files by their path; a query (?engine=plain) does not change the file. A
// file kept under another address is served as a copy of itself without one, so that the
// page and the worker see the address they asked for, query and all.
self.addEventListener('fetch', (event) => {
    const request = event.request;
    const url = new URL(request.url);
    if (request.method !== 'GET' || url.origin !== self.location.origin)
        return;
    event.respondWith(caches.open(CACHE)
        .then((cache) => cache.match(request, { ignoreSearch: true }))
        .then((kept) => (kept && url.search ? new Response(kept.body, kept) : kept) ||
            fetch(request)));
});
