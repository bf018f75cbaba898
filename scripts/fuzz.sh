#!/usr/bin/env bash
# Builds a fuzz target natively with clang into build-fuzz/ and runs it for
# the given number of inputs (default 100000), niced, one process. The
# target is mask (the default), guess, regfile, manifest, mozilla, snapshot, help
# or report (each builds from src/formats/ alone):
#   bash scripts/fuzz.sh 1000000
#   bash scripts/fuzz.sh 200000 regfile
# The build waits for the shared build lock; the run does not hold it.
# Findings are written to build-fuzz/findings/; the corpus grows in
# build-fuzz/corpus/. Not part of the tests or CI.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-100000}
target=${2:-mask}
case "$target" in
  mask) dict=masks.dict; seeds=seeds; max_len=512 ;;
  guess) dict=guess.dict; seeds=seeds/guess; max_len=512 ;;
  regfile) dict=regfile.dict; seeds=seeds/regfile; max_len=2048 ;;
  manifest) dict=manifest.dict; seeds=seeds/manifest; max_len=1024 ;;
  mozilla) dict=mozilla.dict; seeds=seeds/mozilla; max_len=4096 ;;
  snapshot) dict=snapshot.dict; seeds=seeds/snapshot; max_len=2048 ;;
  help) dict=help.dict; seeds=seeds/help; max_len=2048 ;;
  report) dict=report.dict; seeds=seeds/report; max_len=1024 ;;
  *) echo "unknown fuzz target: $target (mask, guess, regfile, manifest, mozilla, snapshot, help, report)" >&2; exit 2 ;;
esac
lock=${ORV_BUILD_LOCK:-/tmp/orv-build.lock}

install_missing() {
  local missing=()
  for package in "$@"; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return
  echo "Installing: ${missing[*]}"
  local sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

install_missing cmake make clang googletest
# The fuzzer runtime comes with the clang version's compiler-rt package.
clang_major=$(clang --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -n 1)
install_missing "libclang-rt-${clang_major}-dev"

build="$top/build-fuzz"
flock -o "$lock" cmake -S "$top/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
flock -o "$lock" cmake --build "$build" --target "${target}_fuzz" -j "$(nproc)"

# The mask target keeps the corpus it always had; the others one each.
corpus="$build/corpus"
[ "$target" = mask ] || corpus="$build/corpus-$target"
mkdir -p "$corpus" "$build/findings"
# The help target starts from the shipped help file itself, not a copy of it.
[ "$target" = help ] && cp "$top/res/Help.html" "$corpus/shipped-help.html"
cd "$build/findings"
exec nice -n 19 "$build/${target}_fuzz" -runs="$runs" -max_len="$max_len" -dict="$top/fuzz/$dict" \
  -print_final_stats=1 -artifact_prefix="$build/findings/" "$corpus" "$top/fuzz/$seeds"
