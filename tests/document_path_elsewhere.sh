#!/usr/bin/env bash
# Copies the probe into a folder whose path has blanks and letters beyond ASCII, starts it from
# another working directory, and checks it finds the document beside itself.
set -euo pipefail
probe="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
folder="$work/Événements d'été/Heat \"guide\""
mkdir -p "$folder"
cp "$probe" "$folder/probe"
printf '{\\rtf1 Found beside the program}' > "$folder/Asterisk.rtf"
printf '{\\rtf1 Wrong: the working directory}' > "$work/Asterisk.rtf"
cd "$work"
out="$(QT_QPA_PLATFORM=offscreen "$folder/probe" '\Asterisk.rtf')"
echo "$out"
grep -qxF "path: $folder/Asterisk.rtf" <<<"$out"
grep -qxF "loaded: yes Found beside the program" <<<"$out"
# The local page goes to the browser as one argument, however the folder is named.
printf '<html></html>' > "$folder/Estimated Wet Bulb Globe Temperatures.htm"
out="$(QT_QPA_PLATFORM=offscreen "$folder/probe" --open-page)"
echo "$out"
[[ "$(grep -c '^arg: ' <<<"$out")" == 2 ]]
[[ "$(tail -n 1 <<<"$out")" == "arg: $folder/Estimated Wet Bulb Globe Temperatures.htm" ]]
echo "PASS"
