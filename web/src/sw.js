// The service worker that keeps the web edition working with no network once it has been opened:
// it stores the release's files (the page, the core, the documents, the icons) when it is
// installed, and answers every request for them from that store. The build writes the release
// and its file list below; a new release is a new store, installed beside the old one at the
// next visit and taking over at once, and the old store is then deleted.
//
// The page's security policy lets it reach its own folder and Open-Meteo's two addresses. Where
// the user has set other weather service addresses ("Weather Service" in the planner, kept in
// the browser's settings database), the worker adds their origins, and only theirs, to the
// policy of the page it hands out: a static page cannot widen its own policy, and no server is
// asked to know what each user set.

const kRelease = '@RELEASE@';
const kFiles = @FILES@;
const kStore = `orvane-web-${kRelease}`;
// The connect-src of the page's policy as the build ships it, in its <meta> and in the header
// web/serve.mjs sends.
const kConnectSources = "connect-src 'self' https://api.open-meteo.com https://geocoding-api.open-meteo.com";

// The origins of the addresses set in Weather Service that the policy does not name already.
function configuredOrigins() {
    return new Promise(resolve => {
        let request;
        try {
            request = indexedDB.open('orvane-settings', 1);
        } catch {
            resolve([]);
            return;
        }
        request.onupgradeneeded = () => request.result.createObjectStore('settings', { keyPath: 'name' });
        request.onerror = () => resolve([]);
        request.onblocked = () => resolve([]);
        request.onsuccess = () => {
            const db = request.result;
            const read = db.transaction('settings').objectStore('settings').get('weather');
            read.onerror = () => resolve([]);
            read.onsuccess = () => {
                const origins = [];
                for (const address of [read.result?.value?.forecast, read.result?.value?.geocoding]) {
                    try {
                        const url = new URL(String(address ?? '').trim());
                        if ((url.protocol === 'https:' || url.protocol === 'http:') &&
                            !kConnectSources.split(' ').includes(url.origin) && !origins.includes(url.origin))
                            origins.push(url.origin);
                    } catch {
                        // empty or not an address: Open-Meteo's own is used
                    }
                }
                db.close();
                resolve(origins);
            };
        };
    });
}

// The page with the configured origins added to its policy, in the <meta> and the header alike.
async function withPolicy(response) {
    const type = response.headers.get('Content-Type') ?? '';
    if (!response.ok || !type.startsWith('text/html'))
        return response;
    const origins = await configuredOrigins();
    if (origins.length === 0)
        return response;
    const extended = `${kConnectSources} ${origins.join(' ')}`;
    const body = (await response.text()).replace(kConnectSources, extended);
    const headers = new Headers(response.headers);
    const header = headers.get('Content-Security-Policy');
    if (header)
        headers.set('Content-Security-Policy', header.replace(kConnectSources, extended));
    headers.delete('Content-Length');
    return new Response(body, { status: response.status, statusText: response.statusText, headers });
}

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
        const response = stored ?? await fetch(request);
        return navigate ? withPolicy(response) : response;
    })());
});
