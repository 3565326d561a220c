#!/usr/bin/env bash
# Runs every benchmark built in the given folder; each prints its own ratios.
set -uo pipefail
build=${1:-build-release}
here=$(cd "$(dirname "$0")" && pwd)
status=0
for b in "$build"/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" || status=1
done
for s in "$here"/run_*.sh; do
  [ "$(basename "$s")" = run_all.sh ] && continue
  [ -f "$s" ] || continue
  echo "== $(basename "$s")"
  bash "$s" "$build" || status=1
done
exit $status
