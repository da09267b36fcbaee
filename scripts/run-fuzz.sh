#!/usr/bin/env bash
# Builds the fuzz targets (clang++, libFuzzer) and runs each for a set time.
#   run-fuzz.sh BUILD [SECONDS]      SECONDS per target, default 60
# FUZZ_TARGETS (names without "fuzz_", space-separated) picks targets; JOBS limits the build;
# FUZZ_BUILD=0 runs what is built (for several runs side by side in one build folder).
# Corpora grow in BUILD/fuzz/corpus/<target> and are kept between runs; inputs that crash,
# leak or hang land in BUILD/fuzz/findings/<target>/ and make the exit status 1.
set -u
build=${1:?build folder}
seconds=${2:-60}
jobs=${JOBS:-$(nproc)}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
all="smf_reader smf_scan rcp mlt config hex_bytes member_names archive"
targets=${FUZZ_TARGETS:-$all}

if [ "${FUZZ_BUILD:-1}" != 0 ]; then
  if ! command -v clang++ >/dev/null; then
    echo "the fuzz targets need clang++ and libFuzzer (Debian: clang libclang-rt-14-dev)" >&2
    exit 1
  fi
  cmake -S "$root" --preset fuzz -B "$build" >/dev/null || exit 1
  build_targets=()
  for t in $targets; do build_targets+=("fuzz_$t"); done
  cmake --build "$build" -j "$jobs" --target "${build_targets[@]}" || exit 1
fi

export LC_ALL=C.UTF-8
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# Per target: seed folders, dictionary, largest input.
seeds_of() {
  case $1 in
    smf_reader | smf_scan) echo "$root/tests/data/midi-test-files" ;;
    rcp) echo "$root/tests/data/rcp-samples" ;;
    *) echo "$root/fuzz/seeds/$1" ;;
  esac
}
dict_of() {
  case $1 in
    smf_reader | smf_scan) echo "$root/fuzz/dict/smf.dict" ;;
    rcp | mlt | config) echo "$root/fuzz/dict/$1.dict" ;;
  esac
}
max_len_of() {
  case $1 in
    smf_reader | rcp) echo 65536 ;;
    smf_scan) echo 1024 ;;
    archive) echo 8192 ;;
    *) echo 4096 ;;
  esac
}

# Hostile inputs made by a script rather than kept as binaries.
generated=$build/fuzz/seeds-generated
python3 "$root/fuzz/make_seeds.py" "$generated" || exit 1

status=0
summary=()
for t in $targets; do
  corpus=$build/fuzz/corpus/$t
  findings=$build/fuzz/findings/$t
  log=$build/fuzz/logs/$t.log
  mkdir -p "$corpus" "$findings" "$(dirname "$log")"
  args=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len="$(max_len_of "$t")"
        -print_final_stats=1 -artifact_prefix="$findings/")
  dict=$(dict_of "$t")
  [ -n "$dict" ] && args+=(-dict="$dict")
  echo "== fuzz_$t for ${seconds}s"
  seeds=("$(seeds_of "$t")")
  [ -d "$generated/$t" ] && seeds+=("$generated/$t")
  "$build/fuzz/fuzz_$t" "${args[@]}" "$corpus" "${seeds[@]}" >"$log" 2>&1
  rc=$?
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
  if [ $rc -eq 0 ]; then
    result="no findings"
  else
    result="FINDING (exit $rc): $(ls "$findings" | tr '\n' ' ')see $log"
    status=1
  fi
  summary+=("fuzz_$t: ${runs:-?} inputs in ${seconds}s, $result")
done
echo
printf '%s\n' "${summary[@]}"
exit $status
