#!/usr/bin/env bash
# The script engine against CPython and Lua 5.4 on the reference programs of bench/vbs/.
# Usage: run_vbs.sh BUILD_DIR   (run by run_all.sh; BUILD_DIR holds mondrel-vbs)
# Prints the table of bench/vbs/run.sh and then the engine's targets as ratios measured in
# this same run: geometric mean of engine/CPython at most 1.0, no program above 2.0.
set -uo pipefail
build=${1:-build-release}
here=$(cd "$(dirname "$0")" && pwd)
engine="$build/mondrel-vbs"
if [ ! -x "$engine" ]; then
  echo "run_vbs.sh: $engine not built" >&2
  exit 1
fi
for tool in lua5.4 python3; do
  command -v "$tool" >/dev/null || { echo "run_vbs.sh: $tool not installed, skipped"; exit 0; }
done
out=$(bash "$here/vbs/run.sh" "$engine")
status=$?
echo "$out"
echo "$out" | awk '
  $1 ~ /^(loop_sum|fib|strings|sieve|mandel|dict|grow)$/ && $6 != "-" { if ($6 + 0 > worst) { worst = $6 + 0; which = $1 } }
  /^geomean/ { gm = $5 }
  END {
    printf "targets: geomean engine/python %s (target <= 1.0), slowest %s at %.3f (target <= 2.0)\n", gm, which, worst
  }'
exit $status
