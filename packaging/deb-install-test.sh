#!/usr/bin/env bash
# Builds the .deb, unpacks it into a scratch root, checks what it installs, and starts the
# installed program under Xvfb from another working directory: the conditions of use must load.
# Usage: deb-install-test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build="$1" source="$2"
# shellcheck source=tools/virtual-display.sh
source "$source/tools/virtual-display.sh"
work="$(mktemp -d)"
track_pid_dir() { trap '_vd_cleanup; rm -rf "$work"' EXIT; }
track_pid_dir
fail() { echo "FAIL: $*"; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/package" >/dev/null) || fail "cpack could not build the package"
deb="$(ls "$work"/package/*.deb)"
echo "package: $(basename "$deb")"
dpkg-deb --field "$deb" Depends | grep -q libqt6widgets6 || fail "no dependency on Qt found"
dpkg-deb --field "$deb" Depends | grep -q libqt6sql6-sqlite || fail "no dependency on the SQLite driver plugin"
root="$work/root"
dpkg -x "$deb" "$root"

app="$root/usr/lib/orvane-calculator"
[[ -x "$app/OrvaneCalculatorF" ]] || fail "program missing"
# The network is a module beside the program, loaded when a forecast is first asked for: the
# program itself must not load Qt Network at start-up, and the module must find what it needs.
[[ -f "$app/modules/liborvane_http.so" ]] || fail "network module missing"
if [[ "$(readelf -d "$app/OrvaneCalculatorF")" == *libQt6Network* ]]; then
    fail "the program loads Qt Network at start-up"
fi
[[ "$(readelf -W --dyn-syms "$app/modules/liborvane_http.so")" == *orvane_create_http_transport_v1* ]] ||
    fail "the network module has no entry point"
if ldd "$app/modules/liborvane_http.so" | grep -q 'not found'; then fail "the network module lacks a library"; fi
dpkg-deb --field "$deb" Depends | grep -q libqt6network6 || fail "no dependency on Qt Network"
[[ "$(ls "$app" | grep -c -E '\.(rtf|htm)$')" == 9 ]] || fail "not all nine documents installed"
[[ -L "$root/usr/bin/OrvaneCalculatorF" ]] || fail "no link in bin/"
desktop="$root/usr/share/applications/org.solvane.Calculator.desktop"
[[ -f "$desktop" ]] || fail "desktop file missing"
[[ -f "$root/usr/share/metainfo/org.solvane.Calculator.metainfo.xml" ]] || fail "metainfo missing"
for size in 16 24 32 48 64 128 256; do
    [[ -f "$root/usr/share/icons/hicolor/${size}x${size}/apps/org.solvane.Calculator.png" ]] || fail "icon $size missing"
done
[[ -f "$root/usr/share/icons/hicolor/scalable/apps/org.solvane.Calculator.svg" ]] || fail "scalable icon missing"
# The web edition, when it was built: every file of it, byte for byte, ready to serve.
if [[ -f "$source/build/web/index.html" ]]; then
    diff -r "$source/build/web" "$root/usr/share/orvane-calculator/web" >/dev/null ||
        fail "the package's web edition differs from build/web"
    echo "PASS: the package holds the web edition"
fi
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$desktop"; fi

start_virtual_display 1024x700
mkdir -p "$work/elsewhere" && cd "$work/elsewhere"
"$root/usr/bin/OrvaneCalculatorF" >"$work/program.log" 2>&1 &
pid=$!
track_pid $pid
splash="$(timeout 20 xdotool search --sync --onlyvisible --pid "$pid" | head -1)" || fail "no window appeared"
xdotool mousemove --window "$splash" 130 355 click 1 # Readme: Conditions of Use
about="$(timeout 20 xdotool search --sync --onlyvisible --name 'About Solvane Calculator' | head -1)" || fail "About window did not open"
sleep 1
# A message box about the document would be a second window of the program.
[[ "$(xdotool search --onlyvisible --pid "$pid" | wc -l)" == 1 ]] || fail "a message box reported a problem with the conditions of use"
# The document's headings are navy: their pixels show that the document was read and drawn.
import -window "$about" "$work/about.png"
navy="$(convert "$work/about.png" -fill white +opaque 'rgb(0,0,128)' -fill black -opaque 'rgb(0,0,128)' -format '%[fx:int(w*h*(1-mean))]' info:)"
[[ "$navy" -gt 50 ]] || fail "the conditions of use are not shown ($navy navy pixels)"
kill "$pid"
echo "PASS: installed package runs from $(pwd) and shows the conditions of use"
