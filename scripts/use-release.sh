# Sourced by the demonstration and the benchmarks after they enter the project's root: they use the release library,
# so it is the one registered in the prefix while they run; the tests' checked library (the same
# code, its platform calls going through the Windows-rules checker) is registered again at the end.
# Whole paths: a script may change folders before it ends.
zor_bench_build="$(cd "${ZOR_BUILD:-build}" && pwd)"
zor_bench_win="Z:$(printf %s "$zor_bench_build" | tr / '\\')"
"$zor_bench_build"/wine-run.sh regsvr32 /s "$zor_bench_win\\ZorUtility.dll"
# A script with an EXIT trap of its own calls zor_bench_restore from it.
zor_bench_restore() { "$zor_bench_build"/wine-run.sh regsvr32 /s "$zor_bench_win\\checked\\ZorUtility.dll"; }
trap zor_bench_restore EXIT
