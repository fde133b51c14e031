#!/usr/bin/env bash
# Installs what is missing, builds the Release build (scripts/build.sh) and
# starts the editor.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
exec build-release/bin/lumora "$@"
