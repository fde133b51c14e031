#!/usr/bin/env bash
# Installs what is missing, builds a Release build and starts the editor.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build-release --target lumora
exec build-release/bin/lumora "$@"
