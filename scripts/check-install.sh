#!/usr/bin/env bash
# The README's install steps on a fresh clone of what is committed: build,
# install into a scratch prefix, and use what was installed.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
git clone -q . "$work/src"
bash "$work/src/scripts/build.sh"
cmake --install "$work/src/build-release" --prefix "$work/prefix" >/dev/null
"$work/prefix/bin/lumora-batch" --version
printf 'MOV EAX,1\r\n' >"$work/in.txt"
"$work/prefix/bin/lumora-batch" --highlight "$work/in.txt" "$work/out.rtf"
grep -q 'red255' "$work/out.rtf"
test -x "$work/prefix/bin/lumora"
echo "install check passed"
