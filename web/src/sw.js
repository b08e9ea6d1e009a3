// The service worker that keeps the web edition working with no network once it has been opened:
// it stores the release's files (the page, the core, the documents, the icons) when it is
// installed, and answers every request for them from that store. The build writes the release
// and its file list below; a new release is a new store, installed beside the old one at the
// next visit and taking over at once, and the old store is then deleted.

const kRelease = '@RELEASE@';
const kFiles = @FILES@;
const kStore = `orvane-web-${kRelease}`;

self.addEventListener('install', event => {
    event.waitUntil((async () => {
        const store = await caches.open(kStore);
        // Each file fetched afresh: a copy in the browser's HTTP cache may be the last release's.
        await store.addAll(kFiles.map(file => new Request(file, { cache: 'reload' })));
        await self.skipWaiting();
    })());
});

self.addEventListener('activate', event => {
    event.waitUntil((async () => {
        for (const name of await caches.keys())
            if (name.startsWith('orvane-web-') && name !== kStore)
                await caches.delete(name);
        await self.clients.claim();
    })());
});

self.addEventListener('fetch', event => {
    const request = event.request;
    if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin)
        return;
    event.respondWith((async () => {
        const store = await caches.open(kStore);
        const navigate = request.mode === 'navigate';
        let stored = await store.match(request, { ignoreSearch: navigate });
        // The page itself under its other address: the folder for index.html and back.
        if (!stored && navigate) {
            const path = new URL(request.url).pathname;
            const scope = new URL(self.registration.scope).pathname;
            if (path === scope || path === scope + 'index.html')
                stored = await store.match(new URL('./', self.registration.scope).href);
        }
        return stored ?? fetch(request);
    })());
});
