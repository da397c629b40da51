#!/usr/bin/env bash
# Tries the README's two set-up commands as a new lab or contributor would meet them: on a freshly
# bootstrapped Debian 12 minbase root (debootstrap), with a clean clone of the committed HEAD, the
# suite's command ("bash tools/test.sh") and then the program's ("bash tools/run.sh") under a
# virtual display, until its window is open. Run it as root before any change of the packages.
#
#     bash tools/fresh_root_check.sh [FOLDER]
#
# FOLDER (new, default under /var/tmp) holds the root; the screenshot of the window is written
# beside it as FOLDER.png and every command's output as FOLDER.log. The root is left for a look.
set -euo pipefail
[ "$(id -u)" -eq 0 ] || { echo "fresh_root_check.sh: run it as root (debootstrap and chroot need it)" >&2; exit 2; }
source_dir=$(cd "$(dirname "$0")/.." && pwd)
root=${1:-$(mktemp -d /var/tmp/quorin-fresh-root.XXXXXX)}
log=$root.log
display=:97

# The host's own tools for this check (never installed into the root).
host_tools=(debootstrap git xvfb x11-utils imagemagick)
missing=()
for package in "${host_tools[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

step() { printf '\n== %s (%s)\n' "$1" "$(date -u +%H:%M:%S)" | tee -a "$log"; }
timed() {
  local started=$SECONDS
  "$@" >>"$log" 2>&1
  local status=$?
  printf '   %d s, exit status %d\n' $((SECONDS - started)) $status | tee -a "$log"
  return $status
}
in_root() {
  chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb PATH=/usr/sbin:/usr/bin:/sbin:/bin \
    bash -c "cd /root/quorin && $1"
}

mounted=()
xvfb=""
cleanup() {
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" 2>/dev/null || true; done
}
trap cleanup EXIT
bind() {
  mkdir -p "$root$1"
  mount --bind "$1" "$root$1"
  mounted+=("$root$1")
}

: >"$log"
step "debootstrap --variant=minbase bookworm $root"
timed debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian
step "a clean clone of $(git -C "$source_dir" rev-parse --short HEAD)"
timed git clone --quiet "$source_dir" "$root/root/quorin"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mkdir -p "$root/proc" && mount -t proc proc "$root/proc" && mounted+=("$root/proc")
bind /sys
bind /dev
bind /dev/pts

step "bash tools/test.sh"
suite=0
timed in_root "bash tools/test.sh" || suite=$?
grep -E "tests passed|tests failed" "$log" | sed 's/^/   /'

step "bash tools/run.sh under a virtual display"
Xvfb "$display" -screen 0 1366x768x24 -nolisten tcp -ac >/dev/null 2>&1 &
xvfb=$!
sleep 1
bind /tmp/.X11-unix
in_root "DISPLAY=$display exec bash tools/run.sh" >>"$log" 2>&1 &
program=$!
window=0
started=$SECONDS
while [ $((SECONDS - started)) -lt 900 ] && kill -0 "$program" 2>/dev/null; do
  if xwininfo -display "$display" -root -tree 2>/dev/null | grep -q '"QUORIN'; then
    sleep 3
    import -display "$display" -window root "$root.png"
    window=1
    break
  fi
  sleep 2
done
printf '   window open: %s after %d s; screenshot %s\n' "$([ $window = 1 ] && echo yes || echo NO)" \
  $((SECONDS - started)) "$root.png" | tee -a "$log"
# Ends every process living in the root (the program and the shells that started it).
for process in /proc/[0-9]*; do
  [ "$(readlink "$process/root" 2>/dev/null)" != "$root" ] || kill "${process#/proc/}" 2>/dev/null || true
done
wait "$program" 2>/dev/null || true

if [ "$suite" -ne 0 ] || [ "$window" -ne 1 ]; then
  echo "FAILED: see $log" >&2
  exit 1
fi
echo "Both README commands work on a fresh Debian 12 root ($SECONDS s in all)."
