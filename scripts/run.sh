#!/usr/bin/env bash
# What `make run` starts: the window when it is built and a display is there, otherwise the
# headless runner on the shipped examples, saying why.
set -euo pipefail
build=${1:-build}
if [ -x "$build/mondrel" ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$build/mondrel" "${@:2}"
fi
if [ -x "$build/mondrel-run" ] && [ -d examples ]; then
  if [ -x "$build/mondrel" ]; then
    echo "mondrel: no display found; running the examples headless with mondrel-run"
  else
    echo "mondrel: the window is not built; running the examples headless with mondrel-run"
  fi
  shopt -s nullglob
  sheets=(examples/*.mdr examples/*.txt)
  exec "$build/mondrel-run" "${sheets[@]}"
fi
echo "run: nothing to start in $build yet" >&2
exit 1
