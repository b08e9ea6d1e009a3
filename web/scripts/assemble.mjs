// Lays out the web edition's files in one folder that any static web server can serve
// (tools/build-web.sh calls it after compiling the core):
//   index.html, *.js, app.css        the page, from web/src (each tool's module is loaded when
//                                    the tool is first opened)
//   orvane-core.js, orvane-core.wasm the core and its glue, from the emscripten build
//   docs/NAME.html, docs/NAME.txt    each guidance/NAME.rtf, converted by the desktop's rtf2text
//   docs/documents.css               the documents' styles, as classes
//   docs/Estimated Wet Bulb Globe Temperatures.htm, as it is
//   icons/                           rendered from assets/logo.svg
//   manifest.webmanifest, sw.js      the app's manifest, and the service worker with the release
//                                    and its file list
//
// Usage: node assemble.mjs ROOT OUT WASM_DIR RTF2TEXT VERSION

import { execFileSync } from 'node:child_process';
import { createHash } from 'node:crypto';
import { copyFileSync, mkdirSync, readdirSync, readFileSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { join, relative } from 'node:path';
import { FragmentWriter } from './doc-fragment.mjs';

const [root, out, wasmDir, rtf2text, version] = process.argv.slice(2);
if (!version) {
    console.error('usage: node assemble.mjs ROOT OUT WASM_DIR RTF2TEXT VERSION');
    process.exit(2);
}

// Every page file of web/src but the worker, which is written below with the release.
const kPageFiles = readdirSync(join(root, 'web', 'src')).filter(name => /\.(html|js|css)$/.test(name) && name !== 'sw.js').sort();
const kWbgtPage = 'Estimated Wet Bulb Globe Temperatures.htm';

rmSync(out, { recursive: true, force: true });
mkdirSync(join(out, 'docs'), { recursive: true });
mkdirSync(join(out, 'icons'), { recursive: true });

for (const file of kPageFiles)
    copyFileSync(join(root, 'web', 'src', file), join(out, file));
writeFileSync(join(out, 'version.js'),
              `// Written by web/scripts/assemble.mjs.\nexport const kVersion = '${version}';\n`);
for (const file of ['orvane-core.js', 'orvane-core.wasm'])
    copyFileSync(join(wasmDir, file), join(out, file));

// The documents. A file the reader refuses or finds cut off stops the build: the page must
// never ship half a document.
function convert(args, source) {
    try {
        return execFileSync(rtf2text, [...args, source], { encoding: 'utf8', maxBuffer: 64 << 20,
                                                           env: { ...process.env, QT_QPA_PLATFORM: 'offscreen' },
                                                           stdio: ['ignore', 'pipe', 'pipe'] });
    } catch (error) {
        throw new Error(`rtf2text ${args.join(' ')} "${source}" failed (status ${error.status}): ${error.stderr}`);
    }
}
const writer = new FragmentWriter();
const guidance = join(root, 'guidance');
for (const name of readdirSync(guidance).filter(n => n.endsWith('.rtf')).sort()) {
    const source = join(guidance, name);
    const base = name.replace(/\.rtf$/, '');
    writeFileSync(join(out, 'docs', `${base}.html`), writer.fragment(convert(['--html'], source), name));
    // The text as the desktop's record copies it: cells parted by " | ".
    const text = convert(['--document', '--cells', ' | '], source);
    writeFileSync(join(out, 'docs', `${base}.txt`), text);
}
writeFileSync(join(out, 'docs', 'documents.css'), writer.stylesheet());
copyFileSync(join(guidance, kWbgtPage), join(out, 'docs', kWbgtPage));

// The icons, from the one source drawing (rsvg-convert draws SVG; Debian's ImageMagick may not).
const logo = join(root, 'assets', 'logo.svg');
copyFileSync(logo, join(out, 'icons', 'logo.svg'));
copyFileSync(join(root, 'assets', 'icon-48.png'), join(out, 'icons', 'icon-48.png'));
for (const size of [192, 512])
    execFileSync('rsvg-convert', ['-w', `${size}`, '-h', `${size}`, logo,
                                  '-o', join(out, 'icons', `icon-${size}.png`)]);
// A maskable icon keeps its drawing inside the middle 80 %, on the splash's red.
execFileSync('rsvg-convert', ['-w', '400', '-h', '400', logo, '-o', join(out, 'icons', 'maskable-drawing.png')]);
execFileSync('convert', [join(out, 'icons', 'maskable-drawing.png'), '-background', '#c00000', '-gravity', 'center',
                         '-extent', '512x512', '-flatten', `PNG24:${join(out, 'icons', 'icon-maskable-512.png')}`]);
rmSync(join(out, 'icons', 'maskable-drawing.png'));
copyFileSync(join(root, 'web', 'src', 'manifest.webmanifest'), join(out, 'manifest.webmanifest'));

// The service worker last, with every other file and a release named by their content, so that
// any change to any file is a new release.
function listFiles(folder) {
    return readdirSync(folder).flatMap(name => {
        const path = join(folder, name);
        return statSync(path).isDirectory() ? listFiles(path) : [path];
    });
}
const files = listFiles(out).map(path => relative(out, path)).sort();
const hash = createHash('sha256');
for (const file of files)
    hash.update(file).update('\0').update(readFileSync(join(out, file)));
const release = `${version}-${hash.digest('hex').slice(0, 12)}`;
const precached = ['./', ...files.filter(file => file !== 'index.html')].map(
    file => file === './' ? file : file.split('/').map(encodeURIComponent).join('/'));
const worker = readFileSync(join(root, 'web', 'src', 'sw.js'), 'utf8')
    .replace("'@RELEASE@'", JSON.stringify(release))
    .replace('@FILES@', JSON.stringify(precached, null, 4));
writeFileSync(join(out, 'sw.js'), worker);
writeFileSync(join(out, 'release.txt'), `${release}\n`);
console.log(`web edition ${release}: ${files.length + 1} files in ${out}`);
