#!/bin/bash
# Builds the native fuzz targets (clang, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# into <build>/fuzz-native and runs each from its seeds.
#   bash fuzz/run.sh <build> short        a fixed-seed run of a few seconds (part of the tests)
#   bash fuzz/run.sh <build> long [secs]  each target for secs seconds (default 120), new seeds
# Prints one line per target: inputs tried, and the crash or broken invariant if any.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:?build folder}" && pwd)/fuzz-native"
mode="${2:-short}"
secs="${3:-120}"
cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ >/dev/null || exit 1
cmake --build "$build" -j2 >/dev/null || exit 1

# target, seed folder, short run: inputs and largest input
targets=(
  "leadingnumber $root/fuzz/seeds/leadingnumber 30000 64"
  "readers $root/fuzz/seeds/readers 10000 256"
  "expr $root/fuzz/seeds/expr 30000 256"
  "table $root/tests/data/xbase 1000 4096"
  "index $root/tests/data/xbase 1000 4096"
)
failed=0
for t in "${targets[@]}"; do
  read -r name seeds runs maxlen <<<"$t"
  work="$build/work-$name"
  rm -rf "$work" && mkdir -p "$work/corpus"
  dict=()
  [ -f "$seeds.dict" ] && dict=(-dict="$seeds.dict")
  if [ "$mode" = long ]; then
    args=(-seed=0 -max_total_time="$secs" -max_len=65536 "$work/corpus" "$seeds")
  else
    args=(-seed=1 -runs="$runs" -max_len="$maxlen" "$work/corpus" "$seeds")
  fi
  (cd "$work" && "$build/${name}_fuzz" "${dict[@]}" "${args[@]}" >"$work/log" 2>&1)
  status=$?
  tried=$(grep -o 'Done [0-9]* runs' "$work/log" | grep -o '[0-9]*')
  if [ $status -eq 0 ]; then
    echo "$name: ${tried} inputs, no crash"
  else
    failed=1
    echo "$name: FAILED, input kept in $work:"
    grep -m3 -E 'invariant failed|ERROR:|runtime error' "$work/log"
  fi
done
[ $failed -eq 0 ] && echo "fuzz: all targets passed"
exit $failed
