#!/bin/sh
# Guards the build folder's own settings: the build folder is the program
# folder, so its config.ini is the developer's settings for `scripts/run.sh`.
# No test may write it (or set it aside).
#   build_config_guard.sh record BUILD_DIR   before the tests
#   build_config_guard.sh check BUILD_DIR    after them: fails if it changed
mode=$1
build=$2
state="$build/.config-ini-before-tests"
snapshot() {
  if [ -e "$build/config.ini" ]; then
    sha256sum < "$build/config.ini"
  else
    echo "no config.ini"
  fi
  ls -a "$build" | grep '^config\.ini\.' || true
}
case $mode in
  record)
    snapshot > "$state"
    ;;
  check)
    if [ ! -f "$state" ]; then
      echo "no record of config.ini from before the tests"
      exit 1
    fi
    now=$(snapshot)
    if [ "$now" != "$(cat "$state")" ]; then
      echo "the tests changed $build/config.ini (or left files beside it):"
      echo "before:"; cat "$state"
      echo "after:"; echo "$now"
      exit 1
    fi
    echo "config.ini of the build folder unchanged"
    ;;
  *)
    echo "usage: $0 record|check BUILD_DIR"
    exit 2
    ;;
esac
