// Imports one of the built site's ES modules (build/web) in Node. The site's folder has no
// package.json, since it is served as it is, and Node before 20.19 (Debian 12 has 18) reads a
// .js file there as CommonJS; a copy beside a package.json that says "module" is read as the
// module it is. Each file is copied once per test process.

import { copyFileSync, mkdtempSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';

let folder = null;

export async function importBuilt(webBuild, file) {
    if (!folder) {
        folder = mkdtempSync(join(tmpdir(), 'orvane-built-'));
        writeFileSync(join(folder, 'package.json'), '{"type": "module"}\n');
    }
    copyFileSync(join(webBuild, file), join(folder, file));
    return import(pathToFileURL(join(folder, file)).href);
}
