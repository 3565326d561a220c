#!/usr/bin/env bash
# What `make run` starts: the window when it is built and a display is there, otherwise the
# headless tools on the shipped examples.
set -euo pipefail
build=${1:-build}
if [ -x "$build/mondrel" ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$build/mondrel" "${@:2}"
elif [ -x "$build/mondrel-run" ] && [ -d examples ]; then
  shopt -s nullglob
  sheets=(examples/*.mdr examples/*.txt)
  exec "$build/mondrel-run" "${sheets[@]}"
elif [ -x "$build/mondrel-describe" ]; then
  exec "$build/mondrel-describe"
else
  echo "run: nothing to start in $build yet" >&2
  exit 1
fi
