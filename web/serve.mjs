// A small static web server for the web edition on this machine: `./tools/run.sh --web` and the
// browser tests serve build/web with it. It answers on 127.0.0.1 only, on the port given or a
// free one, which it prints; it sends each file with its type (application/wasm for the core,
// which a browser needs to compile it as it arrives) and the page's security policy as a header
// as well. Any other static server does the same job for an association's own site; this one
// only spares a developer from installing one.
//
// Usage: node serve.mjs FOLDER [PORT]

import { createServer } from 'node:http';
import { readFile, stat } from 'node:fs/promises';
import { extname, join, normalize, resolve, sep } from 'node:path';

const kTypes = {
    '.html': 'text/html; charset=utf-8',
    '.htm': 'text/html; charset=utf-8',
    '.js': 'text/javascript; charset=utf-8',
    '.mjs': 'text/javascript; charset=utf-8',
    '.css': 'text/css; charset=utf-8',
    '.wasm': 'application/wasm',
    '.json': 'application/json',
    '.webmanifest': 'application/manifest+json',
    '.png': 'image/png',
    '.svg': 'image/svg+xml',
    '.txt': 'text/plain; charset=utf-8',
};

// The page's own policy, as its meta element states it; the frame rule can only be a header.
export const kPagePolicy =
    "default-src 'none'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self'; img-src 'self'; " +
    "connect-src 'self' https://api.open-meteo.com https://geocoding-api.open-meteo.com; manifest-src 'self'; worker-src 'self'; base-uri 'none'; " +
    "form-action 'none'; frame-ancestors 'none'";
// The page of estimated WBGT is a plain document with its own style sheet and no script.
const kDocumentPolicy = "default-src 'none'; style-src 'unsafe-inline'; img-src 'self'; frame-ancestors 'none'";

export function startServer(folder, port = 0) {
    const root = resolve(folder);
    const server = createServer(async (request, response) => {
        const send = (status, body, headers = {}) => {
            response.writeHead(status, { 'Content-Type': 'text/plain; charset=utf-8', ...headers });
            response.end(request.method === 'HEAD' ? undefined : body);
        };
        if (request.method !== 'GET' && request.method !== 'HEAD')
            return send(405, 'Only GET and HEAD\n', { Allow: 'GET, HEAD' });
        let path;
        try {
            path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
        } catch {
            return send(400, 'Bad address\n');
        }
        if (path.endsWith('/'))
            path += 'index.html';
        const file = normalize(join(root, path));
        if (file !== root && !file.startsWith(root + sep))
            return send(404, 'Not found\n');
        try {
            if (!(await stat(file)).isFile())
                return send(404, 'Not found\n');
            const body = await readFile(file);
            const type = kTypes[extname(file).toLowerCase()] ?? 'application/octet-stream';
            const headers = {
                'Content-Type': type,
                'Content-Length': body.length,
                'X-Content-Type-Options': 'nosniff',
                'Referrer-Policy': 'no-referrer',
                // Always asked again: the service worker keeps the offline copy, by release.
                'Cache-Control': 'no-cache',
            };
            if (type.startsWith('text/html'))
                headers['Content-Security-Policy'] = file.endsWith('index.html') ? kPagePolicy : kDocumentPolicy;
            response.writeHead(200, headers);
            response.end(request.method === 'HEAD' ? undefined : body);
        } catch (error) {
            send(error.code === 'ENOENT' ? 404 : 500, error.code === 'ENOENT' ? 'Not found\n' : 'Cannot read the file\n');
        }
    });
    return new Promise((resolvePromise, reject) => {
        server.once('error', reject);
        server.listen(port, '127.0.0.1', () => resolvePromise(server));
    });
}

if (import.meta.url === `file://${process.argv[1]}`) {
    const [folder, port] = process.argv.slice(2);
    if (!folder) {
        console.error('usage: node serve.mjs FOLDER [PORT]');
        process.exit(2);
    }
    try {
        if (!(await stat(join(folder, 'index.html'))).isFile())
            throw new Error();
    } catch {
        console.error(`serve.mjs: ${folder} holds no index.html; build the web edition first (tools/build-web.sh)`);
        process.exit(1);
    }
    const server = await startServer(folder, Number(port ?? 0)).catch(error => {
        console.error(`serve.mjs: cannot listen on 127.0.0.1:${port ?? 0}: ${error.message}`);
        process.exit(1);
    });
    console.log(`Solvane Calculator \u00b0F, web edition: http://127.0.0.1:${server.address().port}/`);
    console.log('Open that address in a browser on this machine. Ctrl+C stops the server.');
}
