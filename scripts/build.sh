#!/usr/bin/env bash
# Installs what is missing and builds the Release build in build-release:
# the editor, lumora-batch and the keyword lists, everything that
# `cmake --install build-release` installs.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DLUMORA_BENCH=OFF >/dev/null
cmake --build build-release
