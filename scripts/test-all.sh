#!/usr/bin/env bash
# Installs what is needed, builds every variant and runs every test:
# unit and end-to-end tests on Linux (with and without sanitizers), the
# Windows runtimes under Wine, the runtime size budget and the fuzzers.
set -uo pipefail
cd "$(dirname "$0")/.."
FUZZ_SECONDS=${FUZZ_SECONDS:-60}

scripts/install-deps.sh || exit 1

status=0
log=$(mktemp)
trap 'rm -f "$log"' EXIT
for preset in win32 win64 linux linux-asan; do
  echo "== build $preset"
  options=()
  # The Linux builds take the Windows runtimes just built instead of building their own.
  case $preset in linux*) options=(-DVOQ_WIN32_RUNTIME="$PWD/build/win32/voq.exe"
                                   -DVOQ_WIN64_RUNTIME="$PWD/build/win64/voq.exe") ;; esac
  { cmake --preset "$preset" "${options[@]}" >/dev/null && cmake --build --preset "$preset" -j2; } || exit 1
done

echo "== tests (linux)"
ctest --test-dir build/linux -j2 --output-on-failure --timeout 600 -LE 'wine|x11' | tee -a "$log"
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1
# Tests that drive real windows on an X server run one at a time, so that no
# other test's load skews their waits.
echo "== tests on X and under Wine (linux)"
ctest --test-dir build/linux -j1 --output-on-failure --timeout 600 -L 'wine|x11' | tee -a "$log"
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1
echo "== tests (linux, AddressSanitizer and UBSan)"
ctest --test-dir build/linux-asan -j2 --output-on-failure --timeout 900 -LE 'wine|size|x11' |
  tee -a "$log"
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1

if [ -x fuzz/run.sh ]; then
  echo "== fuzzing, $FUZZ_SECONDS s a target"
  fuzz/run.sh "$FUZZ_SECONDS" || status=1
fi

# One line over all three test runs.
awk '/tests passed, [0-9]+ tests failed out of/ { failed += $4; total += $NF }
     END { printf "summary: %d passed, %d failed\n", total - failed, failed }' "$log"
exit $status
