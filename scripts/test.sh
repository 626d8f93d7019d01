#!/usr/bin/env bash
# Builds Clipwright and runs every test: unit and end-to-end tests in the main
# tree, the unit tests again under AddressSanitizer + UndefinedBehaviorSanitizer
# and under ThreadSanitizer (concurrency tests), and each fuzz target briefly.
# Installs the Debian packages it needs first.
#
# The windows stage (last) cross-builds the Windows programs with mingw-w64 and runs
# their tests under wine (it installs what it needs itself).
#
# Environment: CW_FUZZ_SECONDS (default 60) per fuzz target; CW_STAGES to run a
# subset, e.g. CW_STAGES="main" (stages: main asan tsan fuzz windows).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup-deps.sh

stages=${CW_STAGES:-"main asan tsan fuzz windows"}
fuzz_seconds=${CW_FUZZ_SECONDS:-60}
jobs=$(nproc)
werror=ON
failed=()

has_stage() { [[ " $stages " == *" $1 "* ]]; }

configure() {  # DIR CMAKE_ARGS...
  local dir=$1; shift
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCW_WERROR=$werror "$@" >/dev/null
}

if has_stage main; then
  echo "=== main build: unit and end-to-end tests"
  configure build
  cmake --build build -j "$jobs"
  (cd build && ctest -j "$jobs" --output-on-failure --timeout 900) || failed+=(main)
fi

if has_stage asan; then
  echo "=== AddressSanitizer + UndefinedBehaviorSanitizer build: unit tests"
  configure build-asan -DCW_SANITIZE=ON -DCW_GUI=OFF -DCW_BENCH=OFF
  cmake --build build-asan -j "$jobs"
  (cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
     ctest -j "$jobs" -L unit --output-on-failure --timeout 900) || failed+=(asan)
fi

if has_stage tsan; then
  echo "=== ThreadSanitizer build: concurrency tests"
  configure build-tsan -DCW_TSAN=ON -DCW_GUI=OFF -DCW_BENCH=OFF
  # Only the suites that hold concurrency tests are built and run here.
  tsan_suites=$(grep -l 'Concurren' src/*/*_test.cc | xargs -n1 dirname | xargs -n1 basename | sort -u | sed 's/$/_test/')
  cmake --build build-tsan -j "$jobs" --target $tsan_suites
  for suite in $tsan_suites; do
    echo "--- $suite"
    (cd build-tsan && TSAN_OPTIONS=halt_on_error=1 "./$suite" --gtest_filter='*Concurren*') || failed+=("tsan:$suite")
  done
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
  (cd build-win && ctest -j "$jobs" --output-on-failure --timeout 300 ${windows_excluded:+-E "$windows_excluded"}) ||
    failed+=(windows)
  WINEPREFIX="$CW_WINEPREFIX" wineserver -k >/dev/null 2>&1 || true
fi

if [ "${#failed[@]}" -gt 0 ]; then
  echo "FAILED stages: ${failed[*]}"
  exit 1
fi
echo "all test stages passed"
