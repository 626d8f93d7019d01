#!/bin/sh
# Checks that the code's includes run the way the build declares: a file of
# src/X/ (tests, benchmarks and fuzz targets left out) includes headers only
# of its own folder and of the folders that cw_library(X DEPS ...) names, and
# src/platform/ includes nothing of the other folders.
# usage: include_layers.sh SOURCE_DIR
set -eu
src=$1/src
status=0
for cmake in "$src"/*/CMakeLists.txt; do
  dir=$(dirname "$cmake")
  name=$(basename "$dir")
  line=$(grep -E "^cw_library\($name( |\))" "$cmake" || true)
  [ -n "$line" ] || continue
  deps=$(echo "$line" | sed -n 's/.*DEPS \([^)]*\).*/\1/p' | sed 's/SYSTEM_LIBS.*//')
  for file in "$dir"/*.cc "$dir"/*.h; do
    [ -e "$file" ] || continue
    case $(basename "$file") in
      *_test.cc|*_bench.cc|*_fuzz.cc|*_testing.cc|*_main.cc|*fakes_for_tests.h|*_testing.h|*test_fixture.h|*_for_tests.h) continue ;;
    esac
    for used in $(sed -n 's/^#include "\([a-z_]*\)\/.*/\1/p' "$file" | sort -u); do
      [ "$used" = "$name" ] && continue
      case " $deps " in
        *" $used "*) ;;
        *) echo "$file includes $used/ but cw_library($name) does not depend on it"; status=1 ;;
      esac
    done
  done
done
exit $status
