# The start every runner benchmark shares, sourced with the benchmark's name and its build
# folder: sets $runner (mondrel-run of that build, or the third argument), ends the benchmark
# as skipped when it is not built, makes a scratch folder $tmp that goes at exit, and puts
# bench/ on python3's path for sheet_blocks.py.
#   . "$(dirname "$0")/runner_common.sh" NAME BUILD [RUNNER]
bench_name=$1
build=${2:-build-release}
runner=${3:-"$build/mondrel-run"}
if [ ! -x "$runner" ]; then
  echo "$bench_name: $runner is not built; skipped"
  exit 0
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export PYTHONPATH="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)${PYTHONPATH:+:$PYTHONPATH}"
