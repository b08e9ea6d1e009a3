#!/usr/bin/env bash
# Tries the README's two commands where a new user would: a bare Debian 12 root made with
# debootstrap (minbase, with git, ca-certificates and sudo added), the committed project cloned
# into it, and each command run as root with an empty environment (no LANG). Reports the result
# and removes the root. Slow (tens of minutes): run it before changing the package list, the
# scripts or the README's commands, not in every CI run.
# Usage: tools/check-fresh-machine.sh [KEEP_LOGS_DIR]
set -euo pipefail
source="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
logs="${1:-$source/build/fresh-machine}"
[[ "$(id -u)" -eq 0 ]] || { echo "Needs root, for debootstrap and chroot." >&2; exit 1; }
command -v debootstrap >/dev/null || { apt-get update -qq && apt-get install -y -qq debootstrap; }

work="$(mktemp -d /var/tmp/fresh-debian.XXXXXX)"
target="$work/root"
cleanup() {
    for mount in dev/pts dev proc sys; do umount -lf "$target/$mount" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$logs"

# The same Debian mirror as this machine's apt, or Debian's own.
mirror="$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -1)"
mirror="${mirror:-http://deb.debian.org/debian}"
echo "== a bare Debian 12 root from $mirror"
debootstrap --variant=minbase --include=git,ca-certificates,sudo bookworm "$target" "$mirror" \
    >"$logs/debootstrap.log" 2>&1 || { tail -20 "$logs/debootstrap.log"; exit 1; }
# Reach the network as this machine does; nothing else of it goes in.
cp /etc/resolv.conf "$target/etc/resolv.conf"
[[ -f /etc/apt/sources.list.d/debian.sources ]] &&
    cp /etc/apt/sources.list.d/debian.sources "$target/etc/apt/sources.list.d/" &&
    rm -f "$target/etc/apt/sources.list"
cp /etc/apt/apt.conf.d/99* "$target/etc/apt/apt.conf.d/" 2>/dev/null || true
# Where this machine reaches the network through a proxy with a certificate authority of its own,
# the root trusts it too (npm fetches over HTTPS); a place Debian's trust store keeps when it is
# rebuilt.
if [[ -f /etc/ssl/certs/ca-certificates.crt ]]; then
    mkdir -p "$target/usr/local/share/ca-certificates"
    cp /etc/ssl/certs/ca-certificates.crt "$target/usr/local/share/ca-certificates/this-machine.crt"
    chroot "$target" update-ca-certificates >/dev/null 2>&1 || true
fi
for mount in proc sys dev dev/pts; do mount --bind "/$mount" "$target/$mount"; done

echo "== the committed project, cloned"
git clone -q "$source" "$target/root/project"

status=0
for command in run.sh test.sh; do
    echo "== ./tools/$command, as root with an empty environment"
    start=$SECONDS
    if chroot "$target" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        HOME=/root /bin/bash -c "cd /root/project && ./tools/$command" >"$logs/$command.log" 2>&1; then
        echo "PASS: ./tools/$command in $((SECONDS - start)) s"
    else
        echo "FAIL: ./tools/$command after $((SECONDS - start)) s; the end of its log:"
        tail -40 "$logs/$command.log"
        status=1
    fi
done
grep -h -E 'tests passed|tests failed|Skipped|SKIP' "$logs/test.sh.log" || true
echo "Logs in $logs"
exit $status
