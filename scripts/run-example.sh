#!/usr/bin/env bash
# Builds the quorvalin program alone (no tests, no GoogleTest) into build/example
# and aligns the bundled zinc-finger structures; results land in out/example/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/ensure-tools.sh program
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build/example -DQUORVALIN_TESTS=OFF >/dev/null
cmake --build build/example --target quorvalin --parallel "$jobs" >/dev/null
echo "program: $root/build/example/driver/quorvalin"
mkdir -p "$root/out/example"
cd "$root/out/example"
"$root/build/example/driver/quorvalin" "$root/examples/1sp1.pdb" "$root/examples/1sp2.pdb" "$root/examples/3znf.pdb"
echo "results in $root/out/example:"
ls "$root/out/example"
