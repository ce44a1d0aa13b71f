#!/usr/bin/env bash
# Builds quorvalin and aligns the bundled zinc-finger structures; results land in out/example/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh" default
mkdir -p "$root/out/example"
cd "$root/out/example"
"$root/build/default/driver/quorvalin" "$root/examples/1sp1.pdb" "$root/examples/1sp2.pdb" "$root/examples/3znf.pdb"
echo "results in $root/out/example:"
ls "$root/out/example"
