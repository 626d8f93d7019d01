#!/bin/sh
# Checks that the system's shutdown command (cw::RunSystemShutdown) is linked
# into the desktop program and into no test program of the build folder $1.
build=$1
status=0
nm -C "$build/clipwright" | grep -q 'cw::RunSystemShutdown()' || {
  echo "clipwright does not contain cw::RunSystemShutdown: this check would prove nothing"
  exit 1
}
for program in "$build"/*_test "$build"/*_bench "$build"/e2e_*; do
  [ -x "$program" ] || continue
  if nm -C "$program" 2>/dev/null | grep -q 'cw::RunSystemShutdown()'; then
    echo "$program links cw::RunSystemShutdown"
    status=1
  fi
done
exit $status
