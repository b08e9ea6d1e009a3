#!/usr/bin/env bash
# The web edition's tests: builds it (tools/build-web.sh), installs the pinned npm packages the
# tests use (puppeteer-core, axe-core) when the lock file changed, and runs them with Node's
# test runner: the WebAssembly core against the native orvane-eval, then the page in Debian's
# Chromium. Expects tools/setup.sh to have run and the default build's orvane-eval to be built.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
"$root/tools/build-web.sh"
[[ -x build/default/bin/orvane-eval ]] || cmake --build build/default --target orvane-eval

# npm ci only when the lock file is not the one installed: it empties node_modules first.
stamp=web/node_modules/.orvane-lock
if [[ ! -f "$stamp" ]] || ! cmp -s web/package-lock.json "$stamp"; then
    # puppeteer-core downloads no browser; the tests drive /usr/bin/chromium.
    (cd web && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund)
    cp web/package-lock.json "$stamp"
fi
cd web
exec node --test tests/
