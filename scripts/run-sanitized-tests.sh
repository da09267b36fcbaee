#!/usr/bin/env bash
# Builds the project with sanitizers and runs its tests.
#   run-sanitized-tests.sh asan BUILD   AddressSanitizer + UndefinedBehaviorSanitizer, whole suite
#   run-sanitized-tests.sh tsan BUILD   ThreadSanitizer, the programs with threads of their own
# JOBS limits the build (default: all cores). Exit status: 0 only when every test passed.
set -u
mode=${1:?mode: asan or tsan}
build=${2:?build folder}
jobs=${JOBS:-$(nproc)}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
supp=$here/sanitizers

export QT_QPA_PLATFORM=offscreen
export LC_ALL=C.UTF-8

case $mode in
  asan)
    export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:abort_on_error=1"
    export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$supp/ubsan.supp"
    targets=()
    ;;
  tsan)
    export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$supp/tsan.supp"
    # The sequencer's playback thread, the synthesizer's audio side and the engine's
    # completion flag; the player drives them all from its one thread.
    targets=(test_sequencer test_midiout test_engine test_player)
    ;;
  *)
    echo "unknown mode: $mode (asan or tsan)" >&2
    exit 2
    ;;
esac

cmake -S "$root" --preset "$mode" -B "$build" >/dev/null || exit 1

if [ ${#targets[@]} -eq 0 ]; then
  # Tests of the parts that build still run when one part does not; the run fails anyway.
  cmake --build "$build" -j "$jobs" -- -k 0
  built=$?
  cd "$build" || exit 1
  ctest --output-on-failure -j "$jobs" --timeout 900
  tested=$?
  [ $built -eq 0 ] && [ $tested -eq 0 ]
  exit $?
fi

cmake --build "$build" -j "$jobs" --target "${targets[@]}" || exit 1
status=0
for t in "${targets[@]}"; do
  echo "== $t"
  "$build/tests/$t" --gtest_brief=1 || status=1
done
exit $status
