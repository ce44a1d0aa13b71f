#!/usr/bin/env bash
# Configures and builds one preset (default or asan).
set -euo pipefail
preset=${1:-default}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/ensure-tools.sh
jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --parallel "$jobs"
