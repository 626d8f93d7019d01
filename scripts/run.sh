#!/usr/bin/env bash
# Builds Clipwright and starts the desktop program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
if [ -x build/clipwright ]; then
  exec build/clipwright "$@"
fi
exec build/cwdiag --help
