#!/usr/bin/env bash
# Builds the Debian package and checks it as Debian and a user would:
# lintian (no errors), desktop-file-validate and appstreamcli validate on
# what it ships, then installs it with apt-get, runs both programs from
# /usr/bin, removes it and checks that every file it brought is gone.
# Installs and removes the package on this machine: run as root (or with
# sudo), where lumora is not installed already.
set -euo pipefail
cd "$(dirname "$0")/.."
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
if dpkg-query -W -f='${Status}' lumora 2>/dev/null | grep -q "install ok installed"; then
  echo "lumora is installed already: remove it first (apt-get remove lumora)" >&2
  exit 1
fi

bash scripts/package.sh
deb=$(ls lumora_*_amd64.deb)
work=$(mktemp -d)
installed=no
pids=()
cleanup() {
  # A failed check does not leave the package on the machine.
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  if [ "$installed" = yes ]; then $sudo apt-get remove -y -qq lumora >/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# Errors fail; the warnings kept are listed in the README.
lintian --fail-on error "$deb"

dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/lumora.desktop"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/"*.metainfo.xml

# What the package holds, and which of those paths were there before it
# (the folders it shares with others, such as /usr/bin).
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|; s|/$||' | grep -v '^$' >"$work/paths"
while read -r p; do [ -e "$p" ] && echo "$p"; done <"$work/paths" >"$work/before" || true

export DEBIAN_FRONTEND=noninteractive
installed=yes
$sudo apt-get install -y -qq "$PWD/$deb" >/dev/null
dpkg -L lumora >"$work/listed"
/usr/bin/lumora-batch --version
printf 'MOV EAX,1\r\n' >"$work/in.txt"
/usr/bin/lumora-batch --highlight "$work/in.txt" "$work/out.rtf"
grep -q 'red255' "$work/out.rtf"   # the installed keyword lists were found
QT_QPA_PLATFORM=offscreen timeout 30 /usr/bin/lumora --version

# The installed editor opens a file given to it, as File > Open would: its
# window, on a virtual display of its own, is titled with the file's path.
display=""
for n in $(seq 90 120); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
Xvfb "$display" -screen 0 1280x800x24 >/dev/null 2>&1 &
pids+=($!)
printf 'MOV EAX,1\r\n' >"$work/打开.txt"
sleep 1
DISPLAY="$display" /usr/bin/lumora "$work/打开.txt" >/dev/null 2>&1 &
pids+=($!)
title="Tesvar论坛专用记事本 - $work/打开.txt"
for _ in $(seq 1 60); do
  if DISPLAY="$display" xdotool search --name "^$title\$" >/dev/null 2>&1; then break; fi
  sleep 0.5
done
DISPLAY="$display" xdotool search --name "^$title\$" >/dev/null || { echo "no window titled: $title" >&2; exit 1; }
echo "lumora FILE: window titled \"$title\""
for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
pids=()
sleep 0.5

$sudo apt-get remove -y -qq lumora >/dev/null
installed=no
if dpkg-query -W -f='${Status}' lumora 2>/dev/null | grep -qv "not-installed"; then
  echo "still known to dpkg after removal: $(dpkg-query -W -f='${Status}' lumora)" >&2
  exit 1
fi
left=()
while read -r p; do
  [ -e "$p" ] || [ -L "$p" ] || continue
  grep -qxF "$p" "$work/before" || left+=("$p")
done < <(sort -u "$work/paths" "$work/listed")
if [ ${#left[@]} -ne 0 ]; then
  printf 'left behind after apt-get remove: %s\n' "${left[@]}" >&2
  exit 1
fi
echo "package check passed: $deb"
