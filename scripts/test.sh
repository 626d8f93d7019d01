#!/usr/bin/env bash
# Builds Clipwright and runs every test once: the unit, process and end-to-end
# tests in the main tree (labels unit, process, e2e), the unit and process
# tests again under AddressSanitizer + UndefinedBehaviorSanitizer, the tests
# labelled concurrency under ThreadSanitizer, and each fuzz target briefly.
# Installs the Debian packages it needs first.
#
# The windows stage (last) cross-builds the Windows programs with mingw-w64 and runs
# their tests under wine (it installs what it needs itself).
#
# Environment: CW_FUZZ_SECONDS (default 30) per fuzz target; CW_STAGES to run a
# subset, e.g. CW_STAGES="main" (stages: main asan tsan fuzz windows).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup-deps.sh

stages=${CW_STAGES:-"main asan tsan fuzz windows"}
fuzz_seconds=${CW_FUZZ_SECONDS:-30}
jobs=$(nproc)
werror=ON
failed=()
ctest_logs=()

has_stage() { [[ " $stages " == *" $1 "* ]]; }

# Runs ctest in DIR for STAGE with CTEST_ARGS, keeping its output in DIR. Each
# test runs once: a test that fails fails its stage.
run_ctest() {  # STAGE DIR CTEST_ARGS...
  local stage=$1 dir=$2; shift 2
  if ! (cd "$dir" && ctest --output-on-failure "$@" 2>&1) | tee "$dir/ctest-output.log"; then
    failed+=("$stage")
  fi
  ctest_logs+=("$stage:$dir/ctest-output.log")
}

# Prints, for every test that failed, its stage and the output printed under
# its failure, from a little before its first failure message (a long run's
# messages sit in its middle): the last lines of a long log are what the CI
# log keeps.
report_failures() {
  local entry stage log name
  for entry in "${ctest_logs[@]}"; do
    stage=${entry%%:*}
    log=${entry#*:}
    while IFS= read -r name; do
      [ -n "$name" ] || continue
      echo "--- $stage: FAILED: $name"
      awk -v name="$name" '
        index($0, ": " name " ") && /\*\*\*(Failed|Exception|Timeout)/ && !seen { inside = 1; seen = 1; next }
        inside && (/^ +Start +[0-9]+: / || /Test +#[0-9]+: /) { inside = 0 }
        inside { line[n++] = $0 }
        END {
          first = -1
          for (i = 0; i < n && first < 0; i++) if (line[i] ~ /not ok|Failure|FAILED|[Ee]rror/) first = i
          start = first >= 0 ? first - 5 : n - 60
          if (start < 0) start = 0
          for (i = start; i < n && i < start + 60; i++) print "    " line[i]
        }' "$log"
    done < <(grep -E -- 'Test +#[0-9]+: .*\*\*\*(Failed|Exception|Timeout)' "$log" |
             sed -E 's/^.*Test +#[0-9]+: (.*[^ .]) \.+ *\*\*\*.*$/\1/' | sort -u)
  done
}

configure() {  # DIR CMAKE_ARGS...
  local dir=$1; shift
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCW_WERROR=$werror "$@" >/dev/null
}

if has_stage main; then
  echo "=== main build: unit and end-to-end tests"
  configure build
  cmake --build build -j "$jobs"
  run_ctest main build -j "$jobs" --timeout 900
fi

if has_stage asan; then
  echo "=== AddressSanitizer + UndefinedBehaviorSanitizer build: unit and process tests"
  # Without the window (no end-to-end tests, no package build), and without
  # the checks made by scripts, which run none of our code.
  configure build-asan -DCW_SANITIZE=ON -DCW_GUI=OFF -DCW_BENCH=OFF
  cmake --build build-asan -j "$jobs"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    run_ctest asan build-asan -j "$jobs" -L 'unit|process' -LE 'e2e|package|script' --timeout 900
fi

if has_stage tsan; then
  echo "=== ThreadSanitizer build: concurrency tests"
  configure build-tsan -DCW_TSAN=ON -DCW_GUI=OFF -DCW_BENCH=OFF
  # Only the test programs that hold tests labelled concurrency are built.
  cmake --build build-tsan -j "$jobs" --target concurrency_tests
  TSAN_OPTIONS=halt_on_error=1 run_ctest tsan build-tsan -j "$jobs" -L concurrency --timeout 900
fi

if has_stage fuzz; then
  echo "=== fuzz targets, ${fuzz_seconds}s each"
  configure build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCW_FUZZ=ON -DCW_GUI=OFF -DCW_BENCH=OFF
  fuzz_targets=$(ls src/*/*_fuzz.cc | xargs -n1 basename | sed 's/\.cc$//')
  cmake --build build-fuzz -j "$jobs" --target $fuzz_targets
  while IFS= read -r target; do
    name=$(basename "$target")
    corpus_seed="$root/fuzz/corpus/${name%_fuzz}"
    work=$(mktemp -d)
    [ -d "$corpus_seed" ] && cp -r "$corpus_seed/." "$work/"
    echo "--- $name"
    if ! "$target" -max_total_time="$fuzz_seconds" -print_final_stats=1 "$work" >"build-fuzz/$name.log" 2>&1; then
      tail -n 60 "build-fuzz/$name.log"
      failed+=("$name")
    else
      grep -E '^stat::number_of_executed_units' "build-fuzz/$name.log" || true
    fi
    rm -rf "$work"
  done < <(find build-fuzz -maxdepth 3 -type f -name '*_fuzz' -perm -u+x | sort)
fi

if has_stage windows; then
  echo "=== Windows build (mingw-w64): unit and process tests under wine"
  bash scripts/setup-deps.sh windows
  cryptopp=$(bash scripts/build-cryptopp-win.sh | tail -n 1)
  # A wine prefix of the build folder's own, made once; wine runs headless.
  export CW_WINEPREFIX="$root/build-win/wineprefix"
  configure build-win -DCW_WINDOWS=ON -DCW_CRYPTOPP_PREFIX="$cryptopp"
  cmake --build build-win -j "$jobs"
  # Tests of behaviour that Windows does not have, left out by name:
  windows_excluded=$(sed -e 's/#.*//' -e '/^[[:space:]]*$/d' tests/windows_excluded.txt | paste -sd '|')
  run_ctest windows build-win -j "$jobs" --timeout 300 ${windows_excluded:+-E "$windows_excluded"}
  WINEPREFIX="$CW_WINEPREFIX" wineserver -k >/dev/null 2>&1 || true
fi

echo "=== tests that failed"
report_failures
if [ "${#failed[@]}" -gt 0 ]; then
  echo "FAILED stages: ${failed[*]}"
  exit 1
fi
echo "all test stages passed"
