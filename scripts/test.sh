#!/usr/bin/env bash
# Builds everything for one preset (default or asan) and runs every test.
set -euo pipefail
preset=${1:-default}
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh" "$preset"
cd "$root"
jobs=$(nproc 2>/dev/null || echo 2)
ctest --preset "$preset" --parallel "$jobs"
